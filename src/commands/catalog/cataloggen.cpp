// Build-time generator: turns the catalog contents files into constant C++ tables.
// usage: omni_cataloggen OUTPUT.cpp CAPTIONS.tsv CATALOG2D.txt CATALOG1D.txt
//
// Each caption is replaced by its string id from CAPTIONS.tsv (matched on the English text); a
// caption without a row fails the build, as does any line that does not parse.
//
// Contents file, one group per line, two spaces of indent per level ('#' starts a comment):
//   - "Group caption"                       a group with sub-groups only
//   - "Group caption": ENTRY; ENTRY; ...    a group with entries (and maybe sub-groups)
// ENTRY is either
//   "COMMAND" "Caption"                     a plain entry (kind 0)
// or
//   "Caption" kind K ["COMMAND"] [, MIN to MAX, default D[, N digits, flags F]] [, min M]
// The entry list ends with a full stop. "\r" in a command stands for a carriage return.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../../resources/gen/tsv.h"

namespace {

struct Entry {
    std::uint32_t labelId = 0;
    unsigned kind = 0;
    std::string command;
    int minValue = 0, maxValue = 0, defaultValue = 0;
    unsigned digits = 0, flags = 0;
};

struct Group {
    std::uint32_t labelId = 0;
    bool hasEntries = false;
    std::vector<Entry> entries;
    std::vector<std::unique_ptr<Group>> children;
};

class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads one line of a contents file.
class LineParser {
public:
    LineParser(const std::string& text, const std::map<std::string, std::uint32_t>& captions)
        : text_(text), captions_(captions) {}

    std::size_t indent() {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
        return pos_;
    }

    void expect(const std::string& word) {
        skipSpaces();
        if (text_.compare(pos_, word.size(), word) != 0)
            throw ParseError("expected '" + word + "' at column " + std::to_string(pos_ + 1));
        pos_ += word.size();
    }

    bool accept(const std::string& word) {
        skipSpaces();
        if (text_.compare(pos_, word.size(), word) != 0)
            return false;
        pos_ += word.size();
        return true;
    }

    bool atQuote() {
        skipSpaces();
        return pos_ < text_.size() && text_[pos_] == '"';
    }

    std::string quoted() {
        skipSpaces();
        if (pos_ >= text_.size() || text_[pos_] != '"')
            throw ParseError("expected a quoted text at column " + std::to_string(pos_ + 1));
        auto end = text_.find('"', pos_ + 1);
        if (end == std::string::npos)
            throw ParseError("unterminated quoted text");
        std::string value = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        return value;
    }

    long number() {
        skipSpaces();
        std::size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-')
            ++pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        if (start == pos_ || text_[pos_ - 1] == '-')
            throw ParseError("expected a number at column " + std::to_string(start + 1));
        return std::stol(text_.substr(start, pos_ - start));
    }

    std::uint32_t caption() { return lookUp(quoted()); }

    std::uint32_t lookUp(const std::string& text) const {
        auto it = captions_.find(text);
        if (it == captions_.end())
            throw ParseError("caption \"" + text + "\" has no row in the string table");
        return it->second;
    }

    bool atEnd() {
        skipSpaces();
        return pos_ >= text_.size();
    }

private:
    void skipSpaces() {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
    }

    const std::string& text_;
    const std::map<std::string, std::uint32_t>& captions_;
    std::size_t pos_ = 0;
};

std::string commandText(const std::string& written) {
    std::string out;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written.compare(i, 2, "\\r") == 0) {
            out += '\r';
            ++i;
        } else {
            out += written[i];
        }
    }
    return out;
}

Entry parseEntry(LineParser& p) {
    Entry entry;
    std::string first = p.quoted();
    if (p.atQuote()) {  // "COMMAND" "Caption"
        entry.command = commandText(first);
        entry.labelId = p.caption();
        return entry;
    }
    entry.labelId = p.lookUp(first);  // "Caption" kind K ...
    p.expect("kind");
    entry.kind = static_cast<unsigned>(p.number());
    if (p.atQuote())
        entry.command = commandText(p.quoted());
    while (p.accept(",")) {
        if (p.accept("min")) {
            entry.minValue = static_cast<int>(p.number());
            continue;
        }
        long value = p.number();
        if (p.accept("to")) {
            entry.minValue = static_cast<int>(value);
            entry.maxValue = static_cast<int>(p.number());
            p.expect(",");
            p.expect("default");
            entry.defaultValue = static_cast<int>(p.number());
        } else {
            p.expect("digits");
            entry.digits = static_cast<unsigned>(value);
            p.expect(",");
            p.expect("flags");
            entry.flags = static_cast<unsigned>(p.number());
        }
    }
    // Byte-argument entries carry 2 digits and flags 1, which nothing reads.
    if (entry.kind == 4 && entry.digits == 0) {
        entry.digits = 2;
        entry.flags = 1;
    }
    if ((entry.kind == 2 || entry.kind == 4) && entry.maxValue <= entry.minValue)
        throw ParseError("a number entry needs its range");
    if (entry.kind == 0 && entry.command.empty())
        throw ParseError("a plain entry needs a command");
    return entry;
}

std::vector<std::unique_ptr<Group>> readCatalog(
    const std::string& path, const std::map<std::string, std::uint32_t>& captions) {
    std::vector<std::unique_ptr<Group>> top;
    // levels[d] is the list that receives a group indented d levels.
    std::vector<std::vector<std::unique_ptr<Group>>*> levels{&top};
    omni::gen::forEachDataLine(path, [&](const std::string& line, int number) {
        try {
            LineParser p(line, captions);
            std::size_t indent = p.indent();
            if (indent % 2 != 0)
                throw ParseError("indent is not a multiple of two spaces");
            std::size_t depth = indent / 2;
            if (depth >= levels.size())
                throw ParseError("indented deeper than under its parent");
            levels.resize(depth + 1);
            p.expect("- ");
            auto group = std::make_unique<Group>();
            group->labelId = p.caption();
            if (p.accept(":")) {
                group->hasEntries = true;
                do {
                    group->entries.push_back(parseEntry(p));
                } while (p.accept(";"));
                p.expect(".");
            }
            if (!p.atEnd())
                throw ParseError("unexpected text after the group");
            auto* raw = group.get();
            levels.back()->push_back(std::move(group));
            levels.push_back(&raw->children);
        } catch (const std::exception& e) {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": " + e.what());
        }
    });
    if (top.empty())
        throw std::runtime_error(path + ": no groups");
    return top;
}

// Writes the tables of one catalog, children before their parents, and returns the name of the
// top-level array.
class Emitter {
public:
    Emitter(std::ostream& out, std::string prefix) : out_(out), prefix_(std::move(prefix)) {}

    std::string nodes(const std::vector<std::unique_ptr<Group>>& groups) {
        std::vector<std::pair<std::string, std::string>> refs;
        for (const auto& g : groups)
            refs.emplace_back(g->children.empty() ? "nullptr" : nodes(g->children),
                              g->hasEntries ? entries(g->entries) : "nullptr");
        std::string name = prefix_ + "Nodes" + std::to_string(counter_++);
        out_ << "constexpr CatalogNode " << name << "[] = {\n";
        for (std::size_t i = 0; i < groups.size(); ++i)
            out_ << "    {" << groups[i]->labelId << "u, " << refs[i].first << ", "
                 << refs[i].second << "},\n";
        out_ << "    {0u, nullptr, nullptr},\n};\n";
        return name;
    }

private:
    std::string entries(const std::vector<Entry>& list) {
        std::string name = prefix_ + "Entries" + std::to_string(counter_++);
        out_ << "constexpr CatalogEntry " << name << "[] = {\n";
        for (const auto& e : list)
            out_ << "    {" << e.labelId << "u, EntryKind{" << e.kind << "u}, \""
                 << omni::gen::cxxLiteralBody(e.command) << "\", " << e.minValue << ", "
                 << e.maxValue << ", " << e.defaultValue << ", " << e.digits << ", " << e.flags
                 << "},\n";
        out_ << "    {0u, EntryKind{0u}, \"\", 0, 0, 0, 0, 0},\n};\n";
        return name;
    }

    std::ostream& out_;
    std::string prefix_;
    int counter_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: omni_cataloggen OUTPUT.cpp CAPTIONS.tsv CATALOG2D.txt CATALOG1D.txt\n";
        return 2;
    }
    std::map<std::string, std::uint32_t> captions;
    std::vector<std::unique_ptr<Group>> catalog2D, catalog1D;
    try {
        for (const auto& row : omni::gen::readStringFile(argv[2])) {
            auto [it, fresh] = captions.emplace(row.english, row.id);
            if (!fresh)
                throw std::runtime_error(row.file + ":" + std::to_string(row.line) +
                                         ": caption \"" + row.english + "\" already has id " +
                                         std::to_string(it->second));
        }
        catalog2D = readCatalog(argv[3], captions);
        catalog1D = readCatalog(argv[4], captions);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::ostringstream body;
    std::string root2D = Emitter(body, "k2D").nodes(catalog2D);
    std::string root1D = Emitter(body, "k1D").nodes(catalog1D);

    std::ofstream out(argv[1], std::ios::binary);
    out << "// Generated by omni_cataloggen from src/commands/catalog/*.txt. Do not edit.\n"
        << "#include \"commands/catalog/catalog_data.h\"\n\n"
        << "namespace omni::commands::catalog_data {\n\nnamespace {\n\n"
        << body.str() << "\n}  // namespace\n\n"
        << "const CatalogNode* const kRoot2D = " << root2D << ";\n"
        << "const CatalogNode* const kRoot1D = " << root1D << ";\n\n"
        << "}  // namespace omni::commands::catalog_data\n";
    return out ? 0 : 1;
}

// Reader for the string-table files: one row per line, "id<TAB>name<TAB>English<TAB>Japanese".
// The name is a C++ identifier that the generated header gives the id under, or "-" for a row
// that code never names (catalog captions are found by their text).
// Blank lines and lines starting with '#' are skipped. Inside a text, \n, \r, \t, \\ and \xHH stand
// for a line feed, a carriage return, a tab, a backslash and the byte HH. An empty Japanese text
// falls back to the English one at run time. Used by the build-time generators only.
#pragma once

#include <cctype>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../../stream/escapes.h"

namespace omni::gen {

struct StringRow {
    std::uint32_t id = 0;
    std::string name;      // identifier, or empty for "-"
    std::string english;   // UTF-8, escapes resolved
    std::string japanese;  // UTF-8, escapes resolved; may be empty
    std::string file;
    int line = 0;
};

inline bool isIdentifier(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '_')
            return false;
    return true;
}

// Calls `take(line, number)` for every line of the data file at `path` that is neither blank nor
// a comment (a line starting with '#'), without its line end; lines are numbered from 1.
template <typename Take>
void forEachDataLine(const std::string& path, Take take) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            take(line, number);
    }
}

inline std::vector<StringRow> readStringFile(const std::string& path) {
    std::vector<StringRow> rows;
    forEachDataLine(path, [&](const std::string& line, int number) {
        auto where = path + ":" + std::to_string(number) + ": ";
        auto tab1 = line.find('\t');
        auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos)
            throw std::runtime_error(where + "expected id<TAB>name<TAB>English<TAB>Japanese");
        auto tab3 = line.find('\t', tab2 + 1);
        StringRow row;
        row.file = path;
        row.line = number;
        try {
            row.id = static_cast<std::uint32_t>(std::stoul(line.substr(0, tab1)));
        } catch (const std::exception&) {
            throw std::runtime_error(where + "bad id");
        }
        row.name = line.substr(tab1 + 1, tab2 - tab1 - 1);
        if (row.name == "-")
            row.name.clear();
        else if (!isIdentifier(row.name))
            throw std::runtime_error(where + "the name \"" + row.name + "\" is not an identifier");
        row.english = omni::stream::unescape(
            line.substr(tab2 + 1, tab3 == std::string::npos ? std::string::npos : tab3 - tab2 - 1));
        if (tab3 != std::string::npos)
            row.japanese = omni::stream::unescape(line.substr(tab3 + 1));
        rows.push_back(std::move(row));
    });
    return rows;
}

// Text as the body of a C++ u"..." literal (the compiler turns the UTF-8 source into UTF-16).
inline std::string cxxLiteralBody(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '?':
                out += "\\?";
                break;  // no trigraphs
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\%03o", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

}  // namespace omni::gen

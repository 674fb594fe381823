// omnisetup-cli catalog [--1d]: the command catalog as an indented tree. A group is one line,
// indented two spaces per level; its entries follow one level deeper as
// caption TAB command TAB kind, a carriage return in a command written as "\r".
#include <iostream>
#include <string>

#include "command.h"
#include "commands/catalog.h"
#include "commands/selector_model.h"
#include "resources/strings.h"

namespace {

std::string visibleCommand(const char* command) {
    std::string out;
    for (const char* c = command; c && *c; ++c) {
        if (*c == '\r')
            out += "\\r";
        else
            out += *c;
    }
    return out;
}

void printGroup(std::ostream& out, const omni::commands::CatalogNode& group, std::size_t depth) {
    const std::string indent(2 * depth, ' ');
    out << indent << omni::res::toUtf8(omni::commands::catalogCaption(group.labelId)) << "\n";
    for (const omni::commands::CatalogEntry& entry : omni::commands::entriesOf(&group))
        out << indent << "  " << omni::res::toUtf8(omni::commands::catalogCaption(entry.labelId))
            << "\t" << visibleCommand(entry.command) << "\t"
            << static_cast<std::uint32_t>(entry.kind) << "\n";
    for (const omni::commands::CatalogNode& child : omni::commands::childrenOf(&group))
        printGroup(out, child, depth + 1);
}

}  // namespace

int omni::cli::runCatalog(const Args& args) {
    bool mode2D = true;
    for (const auto& arg : args) {
        if (arg == "--1d")
            mode2D = false;
        else
            return omni::cli::fail("usage: omnisetup-cli catalog [--1d]", 2);
    }
    for (const omni::commands::CatalogNode& group : omni::commands::topLevelGroups(mode2D))
        printGroup(std::cout, group, 0);
    return 0;
}

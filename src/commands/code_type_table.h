// The code-type table of the prefix/suffix settings: the symbologies with the commands that start
// their code-specific prefix and suffix.
#pragma once

#include <span>

namespace omni::commands {

// One row. A row whose both commands are null is a section heading (a dashed caption) and
// cannot be chosen for a command.
struct CodeTypeRow {
    const char* name;  // UTF-8
    const char* prefixCommand;
    const char* suffixCommand;
};

// The rows for 2D readers (60) or 1D readers (32), in display order. The first row stands for
// all codes; its name is the AllCodesCaption string in the interface language, loaded at the first
// call.
std::span<const CodeTypeRow> codeTypeTable(bool mode2D);

inline bool isSeparator(const CodeTypeRow& row) {
    return row.prefixCommand == nullptr && row.suffixCommand == nullptr;
}

}  // namespace omni::commands

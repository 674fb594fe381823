// The key table of the prefix/suffix settings: the characters and keys that a prefix or suffix
// slot can hold, each with the body of the menu command that selects it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace omni::commands {

// One row: the name shown in the slot lists and the command body written without its bracket.
// Heading rows (the empty choice and the dashed section captions) have no body.
struct KeyRow {
    const char* name;
    const char* body;
};

// The rows for 2D readers (178) or 1D readers (186), in display order. Row 0 is the empty
// choice "--------------------".
std::span<const KeyRow> keyTable(bool mode2D);

// True for rows without a body: the empty choice and the section headings.
inline bool isHeading(const KeyRow& row) {
    return row.body == nullptr;
}

// A body as a menu-command token: "[" before a 3-character body, "]" before a 4-character body,
// other bodies as they stand. A heading row gives the empty string.
std::string writtenKeyCommand(const KeyRow& row);

// The non-heading row of the mode's table whose written command equals `command`, or null.
const KeyRow* findKeyByCommand(std::string_view command, bool mode2D);

// The row of the mode's table named `name`, or null (used to find a default key by its name).
const KeyRow* findKeyByName(std::string_view name, bool mode2D);

}  // namespace omni::commands

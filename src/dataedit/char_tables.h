// The character table that separators, headers and terminators are chosen from, and the
// code-type table of the code selectors.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace omni::dataedit {

// One character choice: its display name, the script escape it stands for and an annotation
// shown after the name. Row 0 is the empty choice.
struct CharRow {
    std::string_view name;
    std::string_view escape;
    std::string_view annotation;
};

inline constexpr std::size_t kCharRowCount = 158;
// Longest escape a character slot holds (8 bytes with the terminator).
inline constexpr std::size_t kMaxCharEscape = 7;

std::span<const CharRow> CharTable();

// The row at `index`, or row 0 when the index is out of range.
const CharRow& CharRowAt(std::size_t index);

// The row whose escape equals `escape` exactly, the first in table order; 0 when none does.
std::size_t CharRowOfEscape(std::string_view escape);

// The row whose name equals `name` exactly (annotations not included); -1 when none does.
int CharRowOfName(std::string_view name);

// The item text of a character combo box: the name followed by its annotation.
std::string CharDisplayText(std::size_t index);

// True for the rows of control characters (NUL to US, DEL) and keyboard keys, which previews
// show in square brackets.
bool IsBracketedCharRow(std::size_t index);

// Row numbers the ready GS1 forms use.
inline constexpr std::size_t kRowGS = 30;
inline constexpr std::size_t kRowSlash = 49;
inline constexpr std::size_t kRowColon = 50;
inline constexpr std::size_t kRowSpace = 34;

// One code type: display name and code-selector character (0 for any code).
struct CodeTypeRow {
    std::string_view name;
    char selector;
};

inline constexpr std::size_t kCodeTypeCount = 52;

std::span<const CodeTypeRow> CodeTypes();

// The code type named `name` exactly; -1 when none is.
int CodeTypeOfName(std::string_view name);

}  // namespace omni::dataedit

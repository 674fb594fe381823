// Page files (".omnipage"): a menu-code page saved as text, its entries with their labels in
// order, so that it can be reopened, edited, printed and sent again. doc/page-file.md describes
// the format:
//
//   OMNIPAGE 1 2D
//   [BCA<TAB>Enable Code 39
//   [DC1Q0Q0\r<TAB>Minimum length
//
// Reading never gives up on a damaged entry line: the line is reported with its number and the
// rest of the page is kept. Only a missing header or a version this program does not know
// refuses the whole file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "commands/page_item.h"

namespace omni::menucode {

inline constexpr std::string_view kPageFileMagic = "OMNIPAGE";
inline constexpr int kPageFileVersion = 1;
inline constexpr std::string_view kPageFileExtension = ".omnipage";

struct PageFile {
    bool mode2D = true;
    std::vector<commands::PageItem> items;
};

// A line that was skipped while reading, with the reason in the user's words.
struct PageFileProblem {
    std::size_t line = 0;  // 1-based
    std::u16string message;
};

struct PageFileContents {
    PageFile page;
    std::vector<PageFileProblem> problems;
};

// "Line N: reason", for a list shown to the user.
std::u16string describe(const PageFileProblem& problem);

// Escaping of one field. Commands: "\\", "\t", "\r", "\n" and "\xHH" for every other byte
// outside printable ASCII, and for a leading "#". Labels: UTF-8 with "\\", "\t", "\r", "\n" and
// "\xHH" for other control characters.
std::string escapeCommand(std::string_view bytes);
std::string escapeLabel(std::u16string_view label);

// The file's text for a page.
std::string formatPageFile(const PageFile& page);

// Reads a page file's text. Throws UserException(BadInput) when the header is missing or
// malformed, or names another format version; entry lines that cannot be read become problems.
PageFileContents parsePageFile(std::string_view text);

// The same for a file; throws UserException naming the file when it cannot be read.
PageFileContents readPageFile(const std::filesystem::path& path);

// Writes the page whole or not at all: a temporary file in the same folder, every write checked,
// flushed to disk, then renamed over `path`. Throws UserException naming the file on failure,
// leaving any previous file as it was.
void writePageFile(const PageFile& page, const std::filesystem::path& path);

}  // namespace omni::menucode

// The code-page list: the choices of how received bytes are shown in the communication log, and
// the stored choice ("CodePageProperty").
//
// The list is "Default character code" (the user's locale encoding, always first), "Binary Data"
// (hexadecimal display), every code page of the built-in table that the C library converts, and
// UTF-16 of both byte orders, sorted by their text.
//
// Thread rules: a CodePageList belongs to the thread that made it (the user-interface thread);
// selecting an entry sets the process-wide current code page, which log chains read from any
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "stream/code_page_setting.h"

namespace omni::serial {

// One row of the list.
struct CodePageEntry {
    std::uint32_t codePage = 0;
    std::u16string text;     // as shown, at most kMaxText units
    bool multiByte = false;  // converted by the system conversion of `codePage`
    bool keepAtTop = false;

    stream::CodePageSetting setting() const { return {multiByte, codePage}; }
};

inline constexpr std::size_t kMaxCodePageText = 260;

// A code page the system offers: its number and its name as the list shows it.
struct SystemCodePage {
    std::uint32_t codePage;
    std::u16string_view name;
};

// The stored choice, 8 bytes: marker (0) and code-page number.
struct CodePageProperty {
    std::uint32_t marker = 0;
    std::uint32_t codePage = stream::kDefaultCodePage;
};
static_assert(sizeof(CodePageProperty) == 8);

inline constexpr std::string_view kCodePagePropertyName = "CodePageProperty";

// The stored record, or the default when it is missing, of another size or wrongly marked.
CodePageProperty loadCodePageProperty();
// Throws SystemException when the record cannot be written.
void storeCodePageProperty(const CodePageProperty& property);

// The code pages of the built-in table that the C library can convert here.
std::vector<SystemCodePage> installedCodePages();

// Builds the sorted list from the given system code pages: the two fixed entries first, the
// system's next, then UTF-16 entries for 1200 and 1201 when the system has none; then a stable
// sort that keeps the top entry first and orders the rest by text as unsigned 16-bit units.
std::vector<CodePageEntry> buildCodePageList(std::span<const SystemCodePage> system);

// Index of the entry for `codePage`; 0 (the first entry) when no entry has it.
std::size_t findCodePageEntry(std::span<const CodePageEntry> list, std::uint32_t codePage);

class CodePageList {
public:
    // Builds the list from the installed code pages, selects the stored choice (or the first
    // entry) and makes it the current code page.
    CodePageList();
    // For tests and tools: a list over the given system code pages, selecting `codePage`.
    CodePageList(std::span<const SystemCodePage> system, std::uint32_t codePage);

    const std::vector<CodePageEntry>& entries() const { return entries_; }
    std::size_t selectedIndex() const { return selected_; }
    const CodePageEntry& selected() const { return entries_[selected_]; }

    // Selects an entry (an out-of-range index selects the first) and makes it the current code
    // page.
    void select(std::size_t index);
    // Writes the selection as "CodePageProperty".
    void store() const;

private:
    std::vector<CodePageEntry> entries_;
    std::size_t selected_ = 0;
};

}  // namespace omni::serial

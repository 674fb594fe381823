#include "serial/codepage.h"

#include <algorithm>

#include "foundation/settings_store.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "stream/code_page_table.h"
#include "stream/multi_byte_converter.h"

namespace omni::serial {
namespace {

constexpr std::u16string_view kUtf16LeText = u"UTF-16 (Little-Endian)";
constexpr std::u16string_view kUtf16BeText = u"UTF-16 (Big-Endian)";

CodePageEntry entry(std::uint32_t codePage, std::u16string_view text, bool multiByte,
                    bool keepAtTop = false) {
    return {codePage, std::u16string(text.substr(0, kMaxCodePageText)), multiByte, keepAtTop};
}

}  // namespace

CodePageProperty loadCodePageProperty() {
    CodePageProperty property;
    if (!foundation::readSetting(foundation::kProgramSettingsKey, kCodePagePropertyName,
                                 property) ||
        property.marker != 0) {
        return {};
    }
    // A code page this program does not know is not kept.
    if (property.codePage != stream::kHexCodePage &&
        property.codePage != stream::kUtf16LeCodePage &&
        property.codePage != stream::kUtf16BeCodePage &&
        stream::findCodePage(property.codePage) == nullptr) {
        return {};
    }
    return property;
}

void storeCodePageProperty(const CodePageProperty& property) {
    foundation::writeSetting(foundation::kProgramSettingsKey, kCodePagePropertyName, property);
}

std::vector<SystemCodePage> installedCodePages() {
    std::vector<SystemCodePage> installed;
    for (const stream::CodePageInfo& info : stream::knownCodePages()) {
        if (stream::isCodePageConvertible(info.number))
            installed.push_back({info.number, info.name});
    }
    return installed;
}

std::vector<CodePageEntry> buildCodePageList(std::span<const SystemCodePage> system) {
    std::vector<CodePageEntry> list;
    list.push_back(entry(stream::kDefaultCodePage, res::loadString(res::ids::DefaultCharacterCode),
                         true, true));
    list.push_back(entry(stream::kHexCodePage, res::loadString(res::ids::BinaryData), false));
    for (const SystemCodePage& page : system)
        list.push_back(entry(page.codePage, page.name, true));

    auto has = [&](std::uint32_t codePage) {
        return std::any_of(list.begin(), list.end(),
                           [&](const CodePageEntry& e) { return e.codePage == codePage; });
    };
    if (!has(stream::kUtf16LeCodePage))
        list.push_back(entry(stream::kUtf16LeCodePage, kUtf16LeText, false));
    if (!has(stream::kUtf16BeCodePage))
        list.push_back(entry(stream::kUtf16BeCodePage, kUtf16BeText, false));

    std::stable_sort(list.begin(), list.end(), [](const CodePageEntry& a, const CodePageEntry& b) {
        if (a.keepAtTop != b.keepAtTop)
            return a.keepAtTop;
        if (a.keepAtTop)
            return false;
        return a.text < b.text;  // char16_t compares as unsigned
    });
    return list;
}

std::size_t findCodePageEntry(std::span<const CodePageEntry> list, std::uint32_t codePage) {
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const CodePageEntry& e) { return e.codePage == codePage; });
    return it == list.end() ? 0 : static_cast<std::size_t>(it - list.begin());
}

CodePageList::CodePageList() {
    std::vector<SystemCodePage> system = installedCodePages();
    entries_ = buildCodePageList(system);
    select(findCodePageEntry(entries_, loadCodePageProperty().codePage));
}

CodePageList::CodePageList(std::span<const SystemCodePage> system, std::uint32_t codePage)
    : entries_(buildCodePageList(system)) {
    select(findCodePageEntry(entries_, codePage));
}

void CodePageList::select(std::size_t index) {
    selected_ = index < entries_.size() ? index : 0;
    setCurrentCodePageSetting(entries_[selected_].setting());
}

void CodePageList::store() const {
    storeCodePageProperty({0, entries_[selected_].codePage});
}

}  // namespace omni::serial

#include "commands/gui/command_box_history.h"

#include <algorithm>
#include <memory>

#include "foundation/settings_store.h"

namespace omni::commands {
namespace {

constexpr std::size_t kSlots = CommandBoxRecord::kSlots;

char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return static_cast<char16_t>(c - u'A' + u'a');
    if (c >= 0xFF21 && c <= 0xFF3A)
        return static_cast<char16_t>(c - 0xFF21 + 0xFF41);
    return c;
}

}  // namespace

bool equalIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
}

CommandBoxHistory::CommandBoxHistory(const CommandBoxRecord& record) {
    if (record.marker != 0)
        return;
    record_ = record;
    // A slot without its terminating NUL is cut at the last unit rather than read past the end.
    for (auto& s : record_.texts)
        s[CommandBoxRecord::kSlotUnits - 1] = 0;
}

std::u16string_view CommandBoxHistory::slot(std::size_t index) const {
    const char16_t* s = record_.texts[index % kSlots];
    return std::u16string_view(s, std::char_traits<char16_t>::length(s));
}

void CommandBoxHistory::setSlot(std::size_t index, std::u16string_view text) {
    char16_t* s = record_.texts[index % kSlots];
    std::fill(s, s + CommandBoxRecord::kSlotUnits, u'\0');
    std::copy(text.begin(), text.end(), s);
}

void CommandBoxHistory::add(std::u16string_view text) {
    text = text.substr(0, kMaxText);
    if (text.empty())
        return;
    const std::size_t newest = record_.count % kSlots;
    setSlot(newest, text);
    // Walk the older slots, newest first; drop a duplicate by moving the older ones up.
    for (std::size_t age = 1; age < kSlots; ++age) {
        const std::size_t index = (newest + kSlots - age) % kSlots;
        if (!equalIgnoringCase(slot(index), text))
            continue;
        for (std::size_t a = age; a + 1 < kSlots; ++a) {
            const std::size_t to = (newest + kSlots - a) % kSlots;
            const std::size_t from = (newest + kSlots - a - 1) % kSlots;
            std::copy(std::begin(record_.texts[from]), std::end(record_.texts[from]),
                      record_.texts[to]);
        }
        setSlot(newest + 1, u"");  // the oldest position, which the next entry fills
        break;
    }
    ++record_.count;
}

std::vector<std::u16string> CommandBoxHistory::entries() const {
    std::vector<std::u16string> list;
    const std::size_t newest = (record_.count + kSlots - 1) % kSlots;
    for (std::size_t age = 0; age < kSlots; ++age) {
        const std::u16string_view text = slot((newest + kSlots - age) % kSlots);
        if (text.empty())
            continue;
        const bool listed = std::any_of(list.begin(), list.end(), [&](const std::u16string& e) {
            return equalIgnoringCase(e, text);
        });
        if (!listed)
            list.emplace_back(text);
    }
    return list;
}

CommandBoxHistory CommandBoxHistory::load(std::string_view keyPath) {
    auto record = std::make_unique<CommandBoxRecord>();
    if (!foundation::readSetting(keyPath, kCommandBoxValue, *record))
        return CommandBoxHistory();
    return CommandBoxHistory(*record);
}

void CommandBoxHistory::save(std::string_view keyPath) const {
    foundation::writeSetting(keyPath, kCommandBoxValue, record_);
}

}  // namespace omni::commands

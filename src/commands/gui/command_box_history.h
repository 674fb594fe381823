// The history of the command box and its settings record "CommandBox" (32776 bytes): a marker
// 0, sixteen slots of 1024 UTF-16 units, and the count of entries ever added. Slot
// (count mod 16) receives the next entry, so the newest sixteen distinct entries are kept.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace omni::commands {

struct CommandBoxRecord {
    static constexpr std::size_t kSlots = 16;
    static constexpr std::size_t kSlotUnits = 1024;

    std::uint32_t marker = 0;
    char16_t texts[kSlots][kSlotUnits] = {};
    std::uint32_t count = 0;
};
static_assert(sizeof(CommandBoxRecord) == 32776);

inline constexpr std::string_view kCommandBoxValue = "CommandBox";

class CommandBoxHistory {
public:
    // Longest text a slot holds (the edit box is limited to this many characters).
    static constexpr std::size_t kMaxText = 1022;

    CommandBoxHistory() = default;
    // From a stored record; a record whose marker is not 0 gives an empty history.
    explicit CommandBoxHistory(const CommandBoxRecord& record);

    // Adds `text` as the newest entry (cut to kMaxText units). An older entry equal to it,
    // letter case ignored, is removed. Empty text is ignored.
    void add(std::u16string_view text);

    // The entries, newest first, no text listed twice.
    std::vector<std::u16string> entries() const;

    const CommandBoxRecord& record() const { return record_; }

    // Reads the record under `keyPath` (defaults when missing, of the wrong size or marker);
    // writes it back.
    static CommandBoxHistory load(std::string_view keyPath);
    void save(std::string_view keyPath) const;

private:
    std::u16string_view slot(std::size_t index) const;
    void setSlot(std::size_t index, std::u16string_view text);

    CommandBoxRecord record_;
};

// True when `a` and `b` are equal with letter case ignored (ASCII and the full-width Latin
// letters).
bool equalIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace omni::commands

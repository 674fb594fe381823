// The prefix/suffix settings: the common prefix and suffix (eight key slots each) or the prefix
// and suffix of one code type (four slots each), their preview, reset and default key.
//
// Slots hold row indexes into keyTable(mode2D); row 0 is the empty choice. The code type is a row
// index into codeTypeTable(mode2D).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "commands/menu_command.h"

namespace omni::commands::compose {

// The four slot groups; the common pair is captioned "Preamble" and "Postamble".
enum class KeyGroup { CommonPrefix, CommonSuffix, CodePrefix, CodeSuffix };

// How the reader is connected when the dialog runs without a page: it decides the default key.
enum class ConnectionType { Hid, Com };

inline constexpr std::size_t kEmptyKey = 0;

// The reader model whose default key goes into the common suffix rather than the code suffix.
inline constexpr std::string_view kCommonSuffixModel = "KVT";

struct PrefixSuffixState {
    bool mode2D = true;
    bool eachCode = false;     // "Each Code": edit one code type's prefix and suffix
    std::size_t codeType = 0;  // row of the code-type table
    std::array<std::size_t, kCommonKeySlots> commonPrefix{};
    std::array<std::size_t, kCommonKeySlots> commonSuffix{};
    std::array<std::size_t, kCodeKeySlots> codePrefix{};
    std::array<std::size_t, kCodeKeySlots> codeSuffix{};
    bool connectionVisible = false;  // the "Connection Type" radios (only without a page)
    ConnectionType connection = ConnectionType::Hid;
    KeyGroup defaultGroup = KeyGroup::CodeSuffix;  // whose first slot holds the default key
};

struct PrefixSuffixControls {
    bool connectionVisible = false;
    bool commonGroupsEnabled = true;  // the common slots, while "Each Code" is clear
    bool codeGroupsEnabled = false;   // the code type combo and its slots, while it is ticked
};

// The start state. Without a current page the connection radios show and the default key is
// "RETURN" (keyboard); with a page they are hidden and the default key is "^M(CR)". The default
// key fills the first common suffix slot when the page's reader model is "KVT", otherwise the
// first code suffix slot.
PrefixSuffixState prefixSuffixStart(bool mode2D, bool hasCurrentPage, std::string_view model);

PrefixSuffixControls prefixSuffixControls(const PrefixSuffixState& state);

// The key-table row of the default key for the state's connection.
std::size_t defaultKeyRow(const PrefixSuffixState& state);

// Switches the connection type; the default slot follows when it still holds the old default.
void setConnection(PrefixSuffixState& state, ConnectionType connection);

std::span<std::size_t> keyRowsOf(PrefixSuffixState& state, KeyGroup group);
std::span<const std::size_t> keyRowsOf(const PrefixSuffixState& state, KeyGroup group);

// Puts a key-table row into a slot. A heading row (or a row past the table) empties the slot;
// a slot number past the group is ignored.
void setSlot(PrefixSuffixState& state, KeyGroup group, std::size_t slot, std::size_t keyRow);

// Empties a group's slots; the group that holds the default key gets it back in its first slot.
void resetGroup(PrefixSuffixState& state, KeyGroup group);

// The code type the combo box settles on when the operator picks `wanted` coming from `previous`:
// a heading row is skipped in the direction of travel (or towards the nearest choosable row at
// either end of the table).
std::size_t chooseCodeType(bool mode2D, std::size_t wanted, std::size_t previous);

// The command: the common prefix and suffix, or with "Each Code" the chosen code type's (empty
// for a heading row). In 1D mode every piece is followed by a carriage return.
std::string composePrefixSuffix(const PrefixSuffixState& state);

// The preview of the edited pair: "[ name ]+" per prefix key, the data marker, "+[ name ]" per
// suffix key.
std::u16string previewText(const PrefixSuffixState& state);

// The caption of a group and the question "Reset" asks before emptying it.
std::uint32_t groupCaptionId(KeyGroup group);
std::u16string resetQuestion(KeyGroup group);

}  // namespace omni::commands::compose

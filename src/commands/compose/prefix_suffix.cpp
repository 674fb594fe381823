#include "commands/compose/prefix_suffix.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "commands/code_type_table.h"
#include "commands/key_table.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::commands::compose {
namespace {

constexpr std::string_view kKeyboardDefaultKey = "RETURN";
constexpr std::string_view kSerialDefaultKey = "^M(CR)";

std::size_t rowOf(std::string_view name, bool mode2D) {
    const KeyRow* row = findKeyByName(name, mode2D);
    return row ? static_cast<std::size_t>(row - keyTable(mode2D).data()) : kEmptyKey;
}

std::size_t defaultKeyRow(bool mode2D, ConnectionType connection) {
    return rowOf(connection == ConnectionType::Hid ? kKeyboardDefaultKey : kSerialDefaultKey,
                 mode2D);
}

// The bodies of a group's keys; empty slots give empty bodies, which add nothing.
std::vector<std::string_view> bodies(const PrefixSuffixState& state, KeyGroup group) {
    const auto table = keyTable(state.mode2D);
    std::vector<std::string_view> out;
    for (std::size_t row : keyRowsOf(state, group)) {
        out.emplace_back(row < table.size() && table[row].body ? table[row].body : "");
    }
    return out;
}

}  // namespace

PrefixSuffixState prefixSuffixStart(bool mode2D, bool hasCurrentPage, std::string_view model) {
    PrefixSuffixState state;
    state.mode2D = mode2D;
    state.connectionVisible = !hasCurrentPage;
    state.connection = hasCurrentPage ? ConnectionType::Com : ConnectionType::Hid;
    state.defaultGroup =
        model == kCommonSuffixModel ? KeyGroup::CommonSuffix : KeyGroup::CodeSuffix;
    keyRowsOf(state, state.defaultGroup)[0] = defaultKeyRow(state);
    return state;
}

PrefixSuffixControls prefixSuffixControls(const PrefixSuffixState& state) {
    return {state.connectionVisible, !state.eachCode, state.eachCode};
}

std::size_t defaultKeyRow(const PrefixSuffixState& state) {
    return defaultKeyRow(state.mode2D, state.connection);
}

void setConnection(PrefixSuffixState& state, ConnectionType connection) {
    std::size_t& first = keyRowsOf(state, state.defaultGroup)[0];
    if (first == defaultKeyRow(state)) {
        first = defaultKeyRow(state.mode2D, connection);
    }
    state.connection = connection;
}

std::span<std::size_t> keyRowsOf(PrefixSuffixState& state, KeyGroup group) {
    switch (group) {
        case KeyGroup::CommonPrefix:
            return state.commonPrefix;
        case KeyGroup::CommonSuffix:
            return state.commonSuffix;
        case KeyGroup::CodePrefix:
            return state.codePrefix;
        case KeyGroup::CodeSuffix:
            return state.codeSuffix;
    }
    return {};
}

std::span<const std::size_t> keyRowsOf(const PrefixSuffixState& state, KeyGroup group) {
    return keyRowsOf(const_cast<PrefixSuffixState&>(state), group);
}

void setSlot(PrefixSuffixState& state, KeyGroup group, std::size_t slot, std::size_t keyRow) {
    const auto groupSlots = keyRowsOf(state, group);
    if (slot >= groupSlots.size()) {
        return;
    }
    const auto table = keyTable(state.mode2D);
    const bool usable = keyRow < table.size() && !isHeading(table[keyRow]);
    groupSlots[slot] = usable ? keyRow : kEmptyKey;
}

void resetGroup(PrefixSuffixState& state, KeyGroup group) {
    const auto groupSlots = keyRowsOf(state, group);
    std::fill(groupSlots.begin(), groupSlots.end(), kEmptyKey);
    if (group == state.defaultGroup) {
        groupSlots[0] = defaultKeyRow(state);
    }
}

std::size_t chooseCodeType(bool mode2D, std::size_t wanted, std::size_t previous) {
    const auto table = codeTypeTable(mode2D);
    if (wanted >= table.size()) {
        wanted = table.size() - 1;
    }
    const auto choosable = [&](std::ptrdiff_t row) {
        return row >= 0 && row < std::ssize(table) && !isSeparator(table[row]);
    };
    const std::ptrdiff_t step = wanted >= previous ? 1 : -1;
    for (std::ptrdiff_t direction : {step, -step}) {
        for (auto row = static_cast<std::ptrdiff_t>(wanted); row >= 0 && row < std::ssize(table);
             row += direction) {
            if (choosable(row)) {
                return static_cast<std::size_t>(row);
            }
        }
    }
    return 0;
}

std::string composePrefixSuffix(const PrefixSuffixState& state) {
    if (!state.eachCode) {
        const auto prefix = bodies(state, KeyGroup::CommonPrefix);
        const auto suffix = bodies(state, KeyGroup::CommonSuffix);
        return composeCommonPrefixSuffix(prefix, suffix, state.mode2D);
    }
    const auto table = codeTypeTable(state.mode2D);
    if (state.codeType >= table.size()) {
        return {};
    }
    const CodeTypeRow& row = table[state.codeType];
    const auto prefix = bodies(state, KeyGroup::CodePrefix);
    const auto suffix = bodies(state, KeyGroup::CodeSuffix);
    return composeCodePrefixSuffix(row.prefixCommand, row.suffixCommand, prefix, suffix,
                                   state.mode2D);
}

std::u16string previewText(const PrefixSuffixState& state) {
    const auto table = keyTable(state.mode2D);
    const auto name = [&](std::size_t row) -> std::u16string {
        if (row >= table.size() || isHeading(table[row])) {
            return {};
        }
        return res::fromUtf8(table[row].name);
    };
    const KeyGroup prefix = state.eachCode ? KeyGroup::CodePrefix : KeyGroup::CommonPrefix;
    const KeyGroup suffix = state.eachCode ? KeyGroup::CodeSuffix : KeyGroup::CommonSuffix;

    std::u16string text;
    for (std::size_t row : keyRowsOf(state, prefix)) {
        if (const auto key = name(row); !key.empty()) {
            text += u"[ " + key + u" ]+";
        }
    }
    text += res::loadString(res::ids::PreviewData);
    for (std::size_t row : keyRowsOf(state, suffix)) {
        if (const auto key = name(row); !key.empty()) {
            text += u"+[ " + key + u" ]";
        }
    }
    return text;
}

std::uint32_t groupCaptionId(KeyGroup group) {
    switch (group) {
        case KeyGroup::CommonPrefix:
            return res::ids::Preamble;
        case KeyGroup::CommonSuffix:
            return res::ids::Postamble;
        case KeyGroup::CodePrefix:
            return res::ids::Prefix;
        case KeyGroup::CodeSuffix:
            return res::ids::Suffix;
    }
    return 0;
}

std::u16string resetQuestion(KeyGroup group) {
    return res::format(res::ids::ResetQuestion, {res::loadString(groupCaptionId(group))});
}

}  // namespace omni::commands::compose

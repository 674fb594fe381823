#include "commands/key_table.h"

#include "commands/menu_command.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace omni::commands {
namespace {

// The table is assembled from sections so that the 2D and 1D variants share every row they have
// in common; the sizes are checked below.

constexpr std::array kLeadingRows = std::to_array<KeyRow>({
    {"--------------------", nullptr},  // the empty choice of a slot
    {"-------Option-------", nullptr},
    {"Code ID", "$2"},
    {"AIM Code", "$1"},
    {"Len(1D=2,2D=6)", "$3"},
    {"Len(1D=6,2D=6)", "$6"},
});

// Options that only 2D engines report.
constexpr std::array k2DOptionRows = std::to_array<KeyRow>({
    {"Region Coord.", "DDX"},
    {"Center Coord.", "DDY"},
    {"Scan Time", "EDG"},
    {"Bank Index", "EDJ"},
});

constexpr std::array kBluetoothRows = std::to_array<KeyRow>({
    {"Date Time(Bluetooth)", "$TM"},
    {"Voltage(Bluetooth)", "$BV"},
});

// The 128 ASCII characters under their heading, in the order of the slot list.
constexpr std::array kAsciiRows = std::to_array<KeyRow>({
    {"-----ASCII-----", nullptr},
    {"SPACE", "5A"},
    {"!", "5B"},
    {"\"", "5C"},
    {"#", "5D"},
    {"$", "5E"},
    {"%", "5F"},
    {"&", "5G"},
    {"'", "5H"},
    {"(", "5I"},
    {")", "5J"},
    {"*", "5K"},
    {"+", "5L"},
    {",", "5M"},
    {"-", "5N"},
    {".", "5O"},
    {"/", "5P"},
    {":", "6A"},
    {";", "6B"},
    {"<", "6C"},
    {"=", "6D"},
    {">", "6E"},
    {"?", "6F"},
    {"@", "6G"},
    {"[", "7A"},
    {"\\", "7B"},
    {"]", "7C"},
    {"^", "7D"},
    {"_", "7E"},
    {"`", "7F"},
    {"{", "9T"},
    {"|", "9U"},
    {"}", "9V"},
    {"~", "9W"},
    {"0", "Q0"},
    {"1", "Q1"},
    {"2", "Q2"},
    {"3", "Q3"},
    {"4", "Q4"},
    {"5", "Q5"},
    {"6", "Q6"},
    {"7", "Q7"},
    {"8", "Q8"},
    {"9", "Q9"},
    {"A", "0A"},
    {"B", "0B"},
    {"C", "0C"},
    {"D", "0D"},
    {"E", "0E"},
    {"F", "0F"},
    {"G", "0G"},
    {"H", "0H"},
    {"I", "0I"},
    {"J", "0J"},
    {"K", "0K"},
    {"L", "0L"},
    {"M", "0M"},
    {"N", "0N"},
    {"O", "0O"},
    {"P", "0P"},
    {"Q", "0Q"},
    {"R", "0R"},
    {"S", "0S"},
    {"T", "0T"},
    {"U", "0U"},
    {"V", "0V"},
    {"W", "0W"},
    {"X", "0X"},
    {"Y", "0Y"},
    {"Z", "0Z"},
    {"a", "$A"},
    {"b", "$B"},
    {"c", "$C"},
    {"d", "$D"},
    {"e", "$E"},
    {"f", "$F"},
    {"g", "$G"},
    {"h", "$H"},
    {"i", "$I"},
    {"j", "$J"},
    {"k", "$K"},
    {"l", "$L"},
    {"m", "$M"},
    {"n", "$N"},
    {"o", "$O"},
    {"p", "$P"},
    {"q", "$Q"},
    {"r", "$R"},
    {"s", "$S"},
    {"t", "$T"},
    {"u", "$U"},
    {"v", "$V"},
    {"w", "$W"},
    {"x", "$X"},
    {"y", "$Y"},
    {"z", "$Z"},
    {"^@(NULL)", "9G"},
    {"^A(SOH)", "1A"},
    {"^B(STX)", "1B"},
    {"^C(ETX)", "1C"},
    {"^D(EOT)", "1D"},
    {"^E(ENQ)", "1E"},
    {"^F(ACK)", "1F"},
    {"^G(BEL)", "1G"},
    {"^H(BS)", "1H"},
    {"^I(HT)", "1I"},
    {"^J(LF)", "1J"},
    {"^K(VT)", "1K"},
    {"^L(FF)", "1L"},
    {"^M(CR)", "1M"},
    {"^N(SO)", "1N"},
    {"^O(SI)", "1O"},
    {"^P(DLE)", "1P"},
    {"^Q(DC1)", "1Q"},
    {"^R(DC2)", "1R"},
    {"^S(DC3)", "1S"},
    {"^T(DC4)", "1T"},
    {"^U(NAK)", "1U"},
    {"^V(SYN)", "1V"},
    {"^W(ETB)", "1W"},
    {"^X(CAN)", "1X"},
    {"^Y(EM)", "1Y"},
    {"^Z(SUB)", "1Z"},
    {"^[(ESC)", "9A"},
    {"^\\(FS)", "9B"},
    {"^](GS)", "9C"},
    {"^^(RS)", "9D"},
    {"^_(US)", "9E"},
    {"DEL(ASCII127)", "9F"},
});

constexpr std::array kFunctionKeyRows = std::to_array<KeyRow>({
    {"--------KEY--------", nullptr},
    {"F1", "8J"},
    {"F2", "8K"},
    {"F3", "8L"},
    {"F4", "8M"},
    {"F5", "8N"},
    {"F6", "8O"},
    {"F7", "8P"},
    {"F8", "8Q"},
    {"F9", "8R"},
    {"F10", "8S"},
    {"F11", "8T"},
    {"F12", "8U"},
});

// Function keys that only 1D readers send.
constexpr std::array kExtraFunctionKeyRows = std::to_array<KeyRow>({
    {"F13", "$EB"},
    {"F14", "$EC"},
    {"F15", "$ED"},
    {"F16", "$EE"},
    {"F17", "$F4"},
    {"F18", "$F5"},
    {"F19", "$F6"},
    {"F20", "$F7"},
    {"F21", "$F8"},
    {"F22", "$F9"},
    {"F23", "$FA"},
    {"F24", "$FB"},
});

constexpr std::array kEditingKeyRows = std::to_array<KeyRow>({
    {"Backspace", "9X"},  {"TAB", "7H"},       {"RETURN", "7I"},    {"Enter(NUM)", "7Q"},
    {"ESC", "7J"},        {"Down", "7K"},      {"Up", "7L"},        {"Right", "7M"},
    {"Left", "7N"},       {"DEL", "7T"},       {"INSERT", "VQ"},    {"HOME", "VR"},
    {"END", "VS"},        {"PageUp", "7O"},    {"PageDown", "7P"},  {"Left+Shift", "7U"},
    {"Left+Ctrl", "7W"},  {"Left+Alt", "7Y"},  {"Left+GUI", "$8"},  {"Right+Shift", "7V"},
    {"Right+Ctrl", "7X"}, {"Right+Alt", "7Z"}, {"Right+GUI", "$9"}, {"CAPSLOCK", "9S"},
});

static_assert(kAsciiRows.size() == 1 + 128);

// Joins sections into one array at compile time.
template <std::size_t... N>
constexpr auto join(const std::array<KeyRow, N>&... parts) {
    std::array<KeyRow, (N + ...)> all{};
    std::size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), all.begin() + at), at += N), ...);
    return all;
}

constexpr auto kKeyTable2D = join(kLeadingRows, k2DOptionRows, kBluetoothRows, kAsciiRows,
                                  kFunctionKeyRows, kEditingKeyRows);
constexpr auto kKeyTable1D = join(kLeadingRows, kBluetoothRows, kAsciiRows, kFunctionKeyRows,
                                  kExtraFunctionKeyRows, kEditingKeyRows);

static_assert(kKeyTable2D.size() == 178);
static_assert(kKeyTable1D.size() == 186);

}  // namespace

std::span<const KeyRow> keyTable(bool mode2D) {
    if (mode2D) {
        return kKeyTable2D;
    }
    return kKeyTable1D;
}

std::string writtenKeyCommand(const KeyRow& row) {
    if (row.body == nullptr) {
        return {};
    }
    return bracketBody(row.body);
}

const KeyRow* findKeyByCommand(std::string_view command, bool mode2D) {
    if (command.empty()) {
        return nullptr;
    }
    for (const KeyRow& row : keyTable(mode2D)) {
        if (!isHeading(row) && writtenKeyCommand(row) == command) {
            return &row;
        }
    }
    return nullptr;
}

const KeyRow* findKeyByName(std::string_view name, bool mode2D) {
    for (const KeyRow& row : keyTable(mode2D)) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace omni::commands

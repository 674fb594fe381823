#include "dataedit/char_tables.h"

#include <array>

namespace omni::dataedit {
namespace {

// Name, escape, annotation. A stored escape finds its row by exact comparison in this order.
constexpr std::array<CharRow, kCharRowCount> kCharRows = {{
    {"", "", ""},
    // 1-32: control characters NUL to US; 33: DEL
    {"NULL", "\\x00", ""},
    {"SOH", "\\x01", ""},
    {"STX", "\\x02", ""},
    {"ETX", "\\x03", ""},
    {"EOT", "\\x04", ""},
    {"ENQ", "\\x05", ""},
    {"ACK", "\\x06", ""},
    {"BEL", "\\x07", ""},
    {"BS", "\\x08", ""},
    {"HT", "\\x09", ""},
    {"LF", "\\x0A", ""},
    {"VT", "\\x0B", ""},
    {"FF", "\\x0C", ""},
    {"CR", "\\x0D", ""},
    {"SO", "\\x0E", ""},
    {"SI", "\\x0F", ""},
    {"DLE", "\\x10", ""},
    {"DC1", "\\x11", ""},
    {"DC2", "\\x12", ""},
    {"DC3", "\\x13", ""},
    {"DC4", "\\x14", ""},
    {"NAK", "\\x15", ""},
    {"SYN", "\\x16", ""},
    {"ETB", "\\x17", ""},
    {"CAN", "\\x18", ""},
    {"EM", "\\x19", ""},
    {"SUB", "\\x1A", ""},
    {"ESC", "\\x1B", ""},
    {"FS", "\\x1C", ""},
    {"GS", "\\x1D", ""},
    {"RS", "\\x1E", ""},
    {"US", "\\x1F", ""},
    {"DEL", "\\x7F", ""},
    // 34: the space
    {"\"SPACE\"", "\\x20", ""},
    // 35-66: punctuation in code order
    {"!", "\\x21", ""},
    {"\"", "\\x22", ""},
    {"#", "\\x23", ""},
    {"$", "\\x24", ""},
    {"%", "\\x25", ""},
    {"&", "\\x26", ""},
    {"'", "\\x27", ""},
    {"(", "\\x28", ""},
    {")", "\\x29", ""},
    {"*", "\\x2A", ""},
    {"+", "\\x2B", ""},
    {",", "\\x2C", ""},
    {"-", "\\x2D", "(Hyphen)"},
    {".", "\\x2E", ""},
    {"/", "\\x2F", ""},
    {":", "\\x3A", ""},
    {";", "\\x3B", ""},
    {"<", "\\x3C", ""},
    {"=", "\\x3D", ""},
    {">", "\\x3E", ""},
    {"?", "\\x3F", ""},
    {"@", "\\x40", ""},
    {"[", "\\x5B", ""},
    {"\\", "\\x5C", ""},
    {"]", "\\x5D", ""},
    {"^", "\\x5E", ""},
    {"_", "\\x5F", "(UnderBar)"},
    {"`", "\\x60", ""},
    {"{", "\\x7B", ""},
    {"|", "\\x7C", ""},
    {"}", "\\x7D", ""},
    {"~", "\\x7E", ""},
    // 67-128: digits, upper-case and lower-case letters
    {"0", "\\x30", ""},
    {"1", "\\x31", ""},
    {"2", "\\x32", ""},
    {"3", "\\x33", ""},
    {"4", "\\x34", ""},
    {"5", "\\x35", ""},
    {"6", "\\x36", ""},
    {"7", "\\x37", ""},
    {"8", "\\x38", ""},
    {"9", "\\x39", ""},
    {"A", "\\x41", ""},
    {"B", "\\x42", ""},
    {"C", "\\x43", ""},
    {"D", "\\x44", ""},
    {"E", "\\x45", ""},
    {"F", "\\x46", ""},
    {"G", "\\x47", ""},
    {"H", "\\x48", ""},
    {"I", "\\x49", ""},
    {"J", "\\x4A", ""},
    {"K", "\\x4B", ""},
    {"L", "\\x4C", ""},
    {"M", "\\x4D", ""},
    {"N", "\\x4E", ""},
    {"O", "\\x4F", ""},
    {"P", "\\x50", ""},
    {"Q", "\\x51", ""},
    {"R", "\\x52", ""},
    {"S", "\\x53", ""},
    {"T", "\\x54", ""},
    {"U", "\\x55", ""},
    {"V", "\\x56", ""},
    {"W", "\\x57", ""},
    {"X", "\\x58", ""},
    {"Y", "\\x59", ""},
    {"Z", "\\x5A", ""},
    {"a", "\\x61", ""},
    {"b", "\\x62", ""},
    {"c", "\\x63", ""},
    {"d", "\\x64", ""},
    {"e", "\\x65", ""},
    {"f", "\\x66", ""},
    {"g", "\\x67", ""},
    {"h", "\\x68", ""},
    {"i", "\\x69", ""},
    {"j", "\\x6A", ""},
    {"k", "\\x6B", ""},
    {"l", "\\x6C", ""},
    {"m", "\\x6D", ""},
    {"n", "\\x6E", ""},
    {"o", "\\x6F", ""},
    {"p", "\\x70", ""},
    {"q", "\\x71", ""},
    {"r", "\\x72", ""},
    {"s", "\\x73", ""},
    {"t", "\\x74", ""},
    {"u", "\\x75", ""},
    {"v", "\\x76", ""},
    {"w", "\\x77", ""},
    {"x", "\\x78", ""},
    {"y", "\\x79", ""},
    {"z", "\\x7A", ""},
    // 129-157: keyboard keys
    {"F1", "\\kF0", ""},
    {"F2", "\\kE2", ""},
    {"F3", "\\kC9", ""},
    {"F4", "\\kCA", ""},
    {"F5", "\\kCB", ""},
    {"F6", "\\kCC", ""},
    {"F7", "\\kCD", ""},
    {"F8", "\\kCE", ""},
    {"F9", "\\kF2", ""},
    {"F10", "\\kD0", ""},
    {"F11", "\\kF1", ""},
    {"F12", "\\kD2", ""},
    {"Tab", "\\kB1", ""},
    {"Esc", "\\kB3", ""},
    {"DownArrow", "\\kB4", ""},
    {"UpArrow", "\\kF3", ""},
    {"RightArrow", "\\kB6", ""},
    {"LeftArrow", "\\kB7", ""},
    {"PageUp", "\\kBC", ""},
    {"PageDown", "\\kEA", ""},
    {"Enter", "\\kB2", ""},
    {"Delete", "\\kB8", ""},
    {"Insert", "\\kB9", ""},
    {"Home", "\\kBA", ""},
    {"End", "\\kBB", ""},
    {"BackSpace", "\\kB0", ""},
    {"Shift", "\\kD9", ""},
    {"Ctrl", "\\kDB", ""},
    {"Alt", "\\k9F", ""},
}};
static_assert(kCharRows.size() == 158);

constexpr std::size_t kFirstKeyRow = 129;
constexpr std::size_t kDelRow = 33;

// Display name and code-selector character, in the order of the code combo boxes. Selector
// characters are case-sensitive.
constexpr std::array<CodeTypeRow, kCodeTypeCount> kCodeTypes = {{
    {"Any Code", 0},
    {"UPC-A", 'C'},
    {"UPC-A Addon2", 'F'},
    {"UPC-A Addon5", 'G'},
    {"UPC-E", 'D'},
    {"UPC-E Addon2", 'H'},
    {"UPC-E Addon5", 'I'},
    {"EAN-13", 'B'},
    {"EAN-13 Addon2", 'L'},
    {"EAN-13 Addon5", 'M'},
    {"EAN-8", 'A'},
    {"EAN-8 Addon2", 'J'},
    {"EAN-8 Addon5", 'K'},
    {"Code 39", 'V'},
    {"Code 39 Full ASCII", 'W'},
    {"Italian Pharmaceutical", 'Y'},
    {"Codabar", 'R'},
    {"Codabar ABC", 'S'},
    {"Codabar CX", 'f'},
    {"Industrial 2of5", 'O'},
    {"Interleaved 2of5", 'N'},
    {"S-Code", 'g'},
    {"Matrix 2of5", 'Q'},
    {"Chinese Post", 'w'},
    {"IATA 2of5", 'P'},
    {"MSI/Plessey", 'Z'},
    {"Telepen", 'd'},
    {"UK/Plessey", 'a'},
    {"Code 128/GS1-128", 'T'},
    {"Code 93", 'U'},
    {"Code 11", 'b'},
    {"Korean Postal Authority", 'c'},
    {"Intelligent Mail Barcode", '0'},
    {"POSTNET", '3'},
    {"GS1 Databar", 'y'},
    {"Composite Code A", 'm'},
    {"Composite Code B", 'n'},
    {"Composite Code C", 'l'},
    {"Codablock-F", 'E'},
    {"DataMatrix", 't'},
    {"Aztec Code", 'o'},
    {"Chinese Sensible Code", 'e'},
    {"QR Code", 'u'},
    {"Micro QR Code", 'j'},
    {"Maxi Code", 'v'},
    {"PDF417", 'r'},
    {"MicroPDF417", 's'},
    {"PLANET", '6'},
    {"Japanese Postal Code", '2'},
    {"Nertherlands KIX Code", '1'},
    {"UK Postal", '7'},
    {"Australian Postal Code", '4'},
}};
static_assert(kCodeTypes.size() == 52);

}  // namespace

std::span<const CharRow> CharTable() {
    return kCharRows;
}

const CharRow& CharRowAt(std::size_t index) {
    return index < kCharRows.size() ? kCharRows[index] : kCharRows[0];
}

std::size_t CharRowOfEscape(std::string_view escape) {
    for (std::size_t i = 0; i < kCharRows.size(); ++i) {
        if (kCharRows[i].escape == escape)
            return i;
    }
    return 0;
}

int CharRowOfName(std::string_view name) {
    for (std::size_t i = 1; i < kCharRows.size(); ++i) {
        if (kCharRows[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

std::string CharDisplayText(std::size_t index) {
    const CharRow& row = CharRowAt(index);
    return std::string(row.name) + std::string(row.annotation);
}

bool IsBracketedCharRow(std::size_t index) {
    return (index >= 1 && index <= kDelRow) || (index >= kFirstKeyRow && index < kCharRows.size());
}

std::span<const CodeTypeRow> CodeTypes() {
    return kCodeTypes;
}

int CodeTypeOfName(std::string_view name) {
    for (std::size_t i = 0; i < kCodeTypes.size(); ++i) {
        if (kCodeTypes[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace omni::dataedit

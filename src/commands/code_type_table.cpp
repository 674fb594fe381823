#include "commands/code_type_table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::commands {
namespace {

// Row 0 ("all codes") gets its name from the string table; the placeholder here is null.
constexpr std::array kCodeTypes2D = std::to_array<CodeTypeRow>({
    {nullptr, "RY", "RZ"},
    {"-------1D Code-------", nullptr, nullptr},
    {"UPC-A", "N1", "N6"},
    {"UPC-A add-on", "M0", "O0"},
    {"UPC-E", "N2", "N7"},
    {"UPC-E add-on", "M1", "O1"},
    {"EAN-13", "N3", "N8"},
    {"EAN-13 Addon", "M2", "O2"},
    {"EAN-8", "N4", "N9"},
    {"EAN-8 Addon", "M3", "O3"},
    {"Code 39", "M4", "O4"},
    {"Tri-Optic", "MC", "PN"},
    {"Codabar", "M5", "O5"},
    {"Industrial 2 of 5", "M6", "O6"},
    {"Interleaved 2 of 5", "M7", "O7"},
    {"S-Code", "MB", "OB"},
    {"Code 128", "M9", "O9"},
    {"GS1-128", "[XMX", "[XOX"},
    {"Code 93", "M8", "O8"},
    {"IATA", "I8", "I9"},
    {"MSI/Plessey", "N0", "N5"},
    {"UK/Plessey", "MA", "OA"},
    {"Telepen", "L8", "L9"},
    {"Code 11", "[BLD", "[BLE"},
    {"Matrix 2 of 5", "GL", "GM"},
    {"-----Postal Code-----", nullptr, nullptr},
    {"Korean Postal Authority", "*$", "*%"},
    {"Intelligent Mail Barcode", "[D5I", "[D5J"},
    {"POSTNET", "[D6D", "[D6E"},
    {"PLANET", "[DG5", "[DG6"},
    {"Japanese Postal", "[D5S", "[D5T"},
    {"Nertherlands KIX Code", "[D5N", "[D5O"},
    {"UK Postal (Royal Mail)", "[DGA", "[DGB"},
    {"Australian Postal", "[D6P", "[D6Q"},
    {"Mailmark4StatePostal", "[DGV", "[DGW"},
    {"-----GS1 DataBar-----", nullptr, nullptr},
    {"GS1 Databar(All type)", "OE", "PQ"},
    {"GS1 Databar Omnidirectional", "[D6G", "[D6J"},
    {"GS1 Databar Limited", "[D6H", "[D6K"},
    {"GS1 Databar Expanded", "[D6I", "[D6L"},
    {"-------2D Code-------", nullptr, nullptr},
    {"GS1 Composite code", "RR", "RS"},
    {"PDF417", "OC", "PY"},
    {"Micro PDF417", "OD", "PZ"},
    {"Codablock-F", "[D4S", "[D4T"},
    {"QR Code", "MK", "PW"},
    {"DataMatrix", "MD", "PO"},
    {"Aztec Code", "[BF0", "[BF1"},
    {"Chinese Sensible Code", "[D4N", "[D4O"},
    {"Maxi Code", "ML", "PX"},
    {"----------OCR----------", nullptr, nullptr},
    {"Machine Readable Passports", "[DJJ", "[DJP"},
    {"Machine Readable Visas-A", "[DJK", "[DJQ"},
    {"Machine Readable Visas-B", "[DJL", "[DJR"},
    {"Official Travel Documents 1", "[DJM", "[DJS"},
    {"Official Travel Documents 2", "[DJN", "[DJT"},
    {"ISBN", "[DJO", "[DJU"},
    {"Japan Book Kind and Price", "[DJY", "[DJZ"},
    {"Japanese Driving License", "[DKQ", "[DKS"},
    {"Japanese Private Number", "[DKR", "[DKT"},
});

// 1D engines: the rows up to the postal section (all codes and the 1D codes), then the few
// postal, DataBar and stacked codes they read, without section headings between them.
constexpr std::string_view kFirstSection2DOnly = "-----Postal Code-----";
constexpr std::array<std::string_view, 7> kOtherCodes1D = {
    "Korean Postal Authority",
    "GS1 Databar Omnidirectional",
    "GS1 Databar Limited",
    "GS1 Databar Expanded",
    "PDF417",
    "Micro PDF417",
    "Codablock-F",
};

// The index of the 2D row named `name` (row 0 has no name yet).
constexpr std::size_t indexOf2D(std::string_view name) {
    for (std::size_t i = 1; i < kCodeTypes2D.size(); ++i) {
        if (std::string_view(kCodeTypes2D[i].name) == name)
            return i;
    }
    throw "no such code type";  // not a constant expression: a misspelt name fails the build
}

constexpr std::size_t kShared1D = indexOf2D(kFirstSection2DOnly);

constexpr std::array<CodeTypeRow, kShared1D + kOtherCodes1D.size()> make1D() {
    std::array<CodeTypeRow, kShared1D + kOtherCodes1D.size()> rows{};
    for (std::size_t i = 0; i < kShared1D; ++i)
        rows[i] = kCodeTypes2D[i];
    for (std::size_t i = 0; i < kOtherCodes1D.size(); ++i)
        rows[kShared1D + i] = kCodeTypes2D[indexOf2D(kOtherCodes1D[i])];
    return rows;
}

constexpr auto kCodeTypes1D = make1D();

static_assert(kCodeTypes2D.size() == 60);
static_assert(kCodeTypes1D.size() == 32);

// A copy of `rows` whose first row is named from the string table.
template <std::size_t N>
std::array<CodeTypeRow, N> withAllCodesName(const std::array<CodeTypeRow, N>& rows,
                                            const std::string& name) {
    std::array<CodeTypeRow, N> copy = rows;
    copy[0].name = name.c_str();
    return copy;
}

const std::string& allCodesName() {
    static const std::string name = res::loadStringUtf8(res::ids::AllCodesCaption);
    return name;
}

}  // namespace

std::span<const CodeTypeRow> codeTypeTable(bool mode2D) {
    // Filled once, thread-safe by the rules of function-local statics.
    static const auto rows2D = withAllCodesName(kCodeTypes2D, allCodesName());
    static const auto rows1D = withAllCodesName(kCodeTypes1D, allCodesName());
    if (mode2D) {
        return rows2D;
    }
    return rows1D;
}

}  // namespace omni::commands

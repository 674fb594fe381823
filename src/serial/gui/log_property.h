// The stored properties of the communication log ("SerialLogProperty", 100 bytes): the log font
// as a logical font description and the wrap flag, and their translation to and from QFont.
//
// The default face "FixedSys" is a bitmap font that Linux desktops do not have; while the record
// names it, the log uses the system's fixed-pitch font at the same cell height instead. A font the
// operator chooses is stored by its own family name.
#pragma once

#include <cstdint>
#include <string_view>

#include <QFont>

namespace omni::serial {

// A logical font description, field for field as the store keeps it (92 bytes).
struct LogFontRecord {
    std::int32_t height = 18;  // > 0: cell height in pixels; < 0: character (em) height
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 400;  // 100 (thin) to 900 (black); 400 normal, 700 bold
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 1;  // default character set
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 2;          // proof
    std::uint8_t pitchAndFamily = 17;  // fixed pitch, modern
    char16_t faceName[32] = u"FixedSys";
};
static_assert(sizeof(LogFontRecord) == 92, "a logical font description is 92 bytes");

struct SerialLogProperty {
    std::uint32_t marker = 0;  // must be 0
    LogFontRecord font;
    std::uint32_t wrap = 0;  // 1: the wrapping view is shown
};
static_assert(sizeof(SerialLogProperty) == 100, "the stored record is 100 bytes");

inline constexpr std::string_view kSerialLogPropertyName = "SerialLogProperty";

// The stored record, or the defaults when it is missing, of another size or wrongly marked.
SerialLogProperty loadSerialLogProperty(std::string_view keyPath);
// Throws SystemException when the record cannot be written.
void storeSerialLogProperty(std::string_view keyPath, const SerialLogProperty& property);

// The face the default record names, which stands for the system's fixed-pitch font.
inline constexpr std::u16string_view kDefaultLogFace = u"FixedSys";

QFont fontFromRecord(const LogFontRecord& record);
// The record for `font`; a font whose family and size equal what `current` gives keeps
// `current`'s face name (so an unchanged default stays "FixedSys").
LogFontRecord recordFromFont(const QFont& font, const LogFontRecord& current);

}  // namespace omni::serial

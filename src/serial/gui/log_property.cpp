#include "serial/gui/log_property.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>
#include <QFontInfo>

#include "foundation/settings_store.h"

namespace omni::serial {
namespace {

std::u16string_view faceOf(const LogFontRecord& record) {
    const char16_t* end = std::find(std::begin(record.faceName), std::end(record.faceName), u'\0');
    return {record.faceName, static_cast<std::size_t>(end - record.faceName)};
}

// The em size in pixels for a stored height: a positive height is the whole cell, of which the
// characters take about five sixths.
int pixelSizeOf(std::int32_t height) {
    if (height < 0)
        return -height;
    if (height == 0)
        return 13;
    return std::max(1, (height * 5 + 3) / 6);
}

}  // namespace

SerialLogProperty loadSerialLogProperty(std::string_view keyPath) {
    SerialLogProperty property;
    // A font height beyond any screen (a damaged record) would overflow the size arithmetic.
    constexpr std::int32_t kMaxFontHeight = 1000;
    if (!foundation::readSetting(keyPath, kSerialLogPropertyName, property) ||
        property.marker != 0 || property.wrap > 1 || property.font.height < -kMaxFontHeight ||
        property.font.height > kMaxFontHeight) {
        return SerialLogProperty{};
    }
    property.font.faceName[31] = u'\0';
    return property;
}

void storeSerialLogProperty(std::string_view keyPath, const SerialLogProperty& property) {
    foundation::writeSetting(keyPath, kSerialLogPropertyName, property);
}

QFont fontFromRecord(const LogFontRecord& record) {
    const std::u16string_view face = faceOf(record);
    QFont font;
    if (face.empty() || face == kDefaultLogFace) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    } else {
        font.setFamily(QString::fromUtf16(face.data(), static_cast<qsizetype>(face.size())));
    }
    font.setPixelSize(pixelSizeOf(record.height));
    font.setWeight(
        static_cast<QFont::Weight>(std::clamp(record.weight == 0 ? 400 : record.weight, 100, 900)));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    if ((record.pitchAndFamily & 0x3) == 1) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    return font;
}

LogFontRecord recordFromFont(const QFont& font, const LogFontRecord& current) {
    LogFontRecord record = current;
    const QFont was = fontFromRecord(current);
    int pixels = font.pixelSize();
    if (pixels <= 0)
        pixels = static_cast<int>(std::lround(QFontInfo(font).pixelSize()));
    if (font.family() != was.family() || pixels != was.pixelSize()) {
        record.height = -std::max(1, pixels);
        const QString family = font.family().left(31);
        std::fill(std::begin(record.faceName), std::end(record.faceName), u'\0');
        std::copy_n(reinterpret_cast<const char16_t*>(family.utf16()), family.size(),
                    record.faceName);
        record.pitchAndFamily = QFontInfo(font).fixedPitch() ? 17 : 34;
    }
    record.weight = font.weight();
    record.italic = font.italic() ? 1 : 0;
    record.underline = font.underline() ? 1 : 0;
    record.strikeOut = font.strikeOut() ? 1 : 0;
    return record;
}

}  // namespace omni::serial

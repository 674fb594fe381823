// Texts of the string table as Qt strings.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include <QString>

class QTranslator;

namespace omni::ui {

// String `id` of the string table in the current language.
QString uiText(std::uint32_t id);

// String `id` with %1..%9 filled from `args`.
QString uiFormat(std::uint32_t id, std::initializer_list<QString> args);

// Loads Qt's own texts (file and print dialogs, message box buttons) in the program's language
// into `translator` and installs it; English needs none.
void installQtTexts(QTranslator& translator);

inline QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string toU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

}  // namespace omni::ui

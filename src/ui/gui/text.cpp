#include "ui/gui/text.h"

#include <span>
#include <vector>

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "resources/strings.h"

namespace omni::ui {

QString uiText(std::uint32_t id) {
    return toQString(res::loadString(id));
}

QString uiFormat(std::uint32_t id, std::initializer_list<QString> args) {
    std::vector<std::u16string> texts;
    for (const QString& arg : args)
        texts.push_back(toU16(arg));
    std::vector<std::u16string_view> views(texts.begin(), texts.end());
    return toQString(res::format(id, std::span<const std::u16string_view>(views)));
}

void installQtTexts(QTranslator& translator) {
    if (res::currentLanguage() == res::Language::Japanese &&
        translator.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
}

}  // namespace omni::ui

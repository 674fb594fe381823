#include "dataedit/gui/menu_code_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "menucode/menu_code_history.h"
#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::dataedit {
namespace {

constexpr int kModulePixels = 4;

// The symbol's modules on white with the quiet zone, kModulePixels to a module.
QImage drawSymbol(const menucode::qr::QrSymbol& code) {
    const int side = menucode::QRCodeImage::sideModules(code);
    if (side == 0)
        return {};
    QImage image(side * kModulePixels, side * kModulePixels, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    const int quiet = menucode::QRCodeImage::kQuietZone;
    for (int y = 0; y < code.symbolSize(); ++y) {
        for (int x = 0; x < code.symbolSize(); ++x) {
            if (!code.isDark(x, y))
                continue;
            for (int dy = 0; dy < kModulePixels; ++dy) {
                uchar* row = image.scanLine((y + quiet) * kModulePixels + dy);
                for (int dx = 0; dx < kModulePixels; ++dx)
                    row[(x + quiet) * kModulePixels + dx] = 0;
            }
        }
    }
    return image;
}

}  // namespace

MenuCodeDialog::MenuCodeDialog(const QString& title, const QStringList& prompts,
                               std::string_view command, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("menuCodeDialog"));
    auto* layout = new QVBoxLayout(this);
    for (const QString& prompt : prompts)
        layout->addWidget(new QLabel(prompt, this));

    menucode::MenuCodeHistory code;
    if (code.addTypedCommand(command) == menucode::HistoryStatus::Ok) {
        envelope_ = code.envelope();
        symbol_ = drawSymbol(code.symbol());
    }
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("symbol"));
    picture->setAlignment(Qt::AlignCenter);
    if (symbol_.isNull()) {
        picture->setText(
            ui::toQString(menucode::historyMessage(menucode::HistoryStatus::TooLarge)));
    } else {
        picture->setPixmap(QPixmap::fromImage(symbol_));
    }
    layout->addWidget(picture, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

void showReadingMenuCode(std::string_view command, QWidget* parent) {
    MenuCodeDialog dialog(ui::uiText(res::ids::DataEditMenuCodeTitle),
                          {ui::uiText(res::ids::DataEditMenuCodePrompt)}, command, parent);
    dialog.exec();
}

}  // namespace omni::dataedit

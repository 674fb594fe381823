// The main window's side of data edit programming: the commands that open the wizards, the free
// line OCR setting and the GS1 easy setting, their enabling rule, and the menu-code pages the
// dialogs hand back.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>

#include "app/gui/main_window.h"
#include "commands/gui/page_tabs.h"
#include "commands/menu_command.h"
#include "dataedit/gui/data_edit_wizard.h"
#include "dataedit/gui/gs1_wizard.h"
#include "dataedit/gui/multi_label_wizard.h"
#include "dataedit/gui/ocr_dialog.h"
#include "dataedit/gui/simple_pages.h"
#include "dataedit/gui/wizard_link.h"
#include "menucode/menu_code_history.h"
#include "resources/string_ids.h"
#include "serial/gui/reader_connection.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using ui::uiText;
namespace ids = res::ids;

// A toolbar picture: the command's short name on a rounded plate.
QIcon textIcon(const QString& text, const QColor& plate) {
    QPixmap pixmap(40, 40);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(plate);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 6, 38, 28), 5, 5);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(text.size() > 2 ? 13 : 16);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(1, 6, 38, 28), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

enum class DataEditCommand { GS1Edit, MultiLabel, Direct, GS1Conversion, BookCode, Pickup, Ocr };

struct DataEditAction {
    const char* name;
    std::uint32_t textId;
    std::uint32_t toolTextId;  // 0: not on the scanner toolbar
    DataEditCommand command;
};

constexpr DataEditAction kDataEditActions[] = {
    {"gs1Edit", ids::DataEditMenuGS1Edit, ids::DataEditToolGS1Edit, DataEditCommand::GS1Edit},
    {"multiLabelRead", ids::DataEditMenuMultiLabel, ids::DataEditToolMultiLabel,
     DataEditCommand::MultiLabel},
    {"freeLineOcr", ids::DataEditMenuOcr, ids::DataEditToolOcr, DataEditCommand::Ocr},
    {"gs1Conversion", ids::DataEditMenuGS1Conversion, 0, DataEditCommand::GS1Conversion},
    {"bookCode", ids::DataEditMenuBookCode, 0, DataEditCommand::BookCode},
    {"gs1Pickup", ids::DataEditMenuPickup, 0, DataEditCommand::Pickup},
    {"directInputScript", ids::DataEditMenuDirect, 0, DataEditCommand::Direct},
};

QString withoutDots(QString text) {
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QStringLiteral("...")))
        text.chop(3);
    return text;
}

}  // namespace

void MainWindow::buildDataEdit() {
    QMenu* scanner = menuBar()->findChild<QMenu*>(QStringLiteral("scannerMenu"));
    QMenu* menu = new QMenu(uiText(ids::DataEditMenu), this);
    menu->setObjectName(QStringLiteral("dataEditMenu"));
    QList<QAction*> tools;
    for (const DataEditAction& def : kDataEditActions) {
        auto* a = new QAction(uiText(def.textId), this);
        a->setObjectName(QLatin1String(def.name));
        a->setToolTip(withoutDots(a->text()));
        if (def.toolTextId) {
            a->setIconText(uiText(def.toolTextId));
            const QString glyph = def.command == DataEditCommand::GS1Edit ? QStringLiteral("GS1")
                                  : def.command == DataEditCommand::MultiLabel
                                      ? QStringLiteral("ML")
                                      : QStringLiteral("OCR");
            a->setIcon(textIcon(glyph, QColor(0x2F, 0x6F, 0xB0)));
            tools.append(a);
        }
        addAction(a);
        menu->addAction(a);
        const DataEditCommand command = def.command;
        connect(a, &QAction::triggered, this,
                [this, command] { runDataEdit(static_cast<int>(command)); });
    }
    if (scanner) {
        scanner->addSeparator();
        scanner->addMenu(menu)->setObjectName(QStringLiteral("dataEditMenuItem"));
    }
    if (scannerBar_)
        scannerBar_->insertActions(actions_.makeMenuCodeTool, tools);
    applyDataEditEnabling();
}

void MainWindow::applyDataEditEnabling() {
    // A connected reader sets the mode to its family, so the mode decides in both states.
    for (const DataEditAction& def : kDataEditActions) {
        if (auto* a = findChild<QAction*>(QLatin1String(def.name), Qt::FindDirectChildrenOnly))
            a->setEnabled(mode2D_);
    }
}

void MainWindow::runDataEdit(int which) {
    using dataedit::HandedPage;
    std::optional<HandedPage> handed;
    {
        // Receiving goes to the dialog while it runs and back to the log afterwards.
        dataedit::WizardLink link(connection_.get());
        switch (static_cast<DataEditCommand>(which)) {
            case DataEditCommand::GS1Edit: {
                dataedit::GS1Wizard wizard(link, this);
                wizard.exec();
                handed = wizard.handedPage();
                break;
            }
            case DataEditCommand::MultiLabel: {
                dataedit::MultiLabelWizard wizard(link, this);
                wizard.exec();
                handed = wizard.handedPage();
                break;
            }
            case DataEditCommand::Ocr: {
                dataedit::OcrDialog dialog(link, this);
                dialog.exec();
                handed = dialog.handedPage();
                break;
            }
            default: {
                dataedit::ScriptPage* page = nullptr;
                switch (static_cast<DataEditCommand>(which)) {
                    case DataEditCommand::GS1Conversion:
                        page = new dataedit::GS1ConversionPage;
                        break;
                    case DataEditCommand::BookCode:
                        page = new dataedit::BookCodePage;
                        break;
                    case DataEditCommand::Pickup:
                        page = new dataedit::PickupPage;
                        break;
                    default:
                        page = new dataedit::DirectInputPage;
                        break;
                }
                dataedit::SimpleWizard wizard(link, page, this);
                wizard.exec();
                handed = wizard.handedPage();
                break;
            }
        }
    }
    if (handed)
        openHandedPage(*handed);
}

void MainWindow::openHandedPage(const dataedit::HandedPage& page) {
    tabs_->addMenuCodePage(page.kind == dataedit::HandedPage::Kind::GS1Edit
                               ? commands::PageTabs::kGs1EditMenuCode
                               : commands::PageTabs::kNewMenuCode);
    showCurrentPage();
    const commands::PageItem item = commands::makePageItem(page.command, ui::toU16(page.label),
                                                           commands::countTokens(page.command));
    showAddResult(tabs_->currentHistory()->addEntry(item));
}

}  // namespace omni::app

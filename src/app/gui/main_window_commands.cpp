// The main window's actions, menus and command handlers.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>

#include "app/gui/help_window.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_list.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/page_tabs.h"
#include "foundation/exception.h"
#include "image/gui/image_static.h"
#include "menucode/gui/menu_code_page.h"
#include "menucode/gui/menu_code_view.h"
#include "resources/string_ids.h"
#include "serial/gui/serial_log_box.h"
#include "ui/gui/icons.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using commands::PageKind;
using ui::IconId;
using ui::uiText;

struct ActionDef {
    QAction* MainWindowActions::*member;
    const char* name;  // the action's object name
    std::uint32_t textId;
    std::uint32_t toolTipId;  // 0: the menu text without its mnemonic
    QKeySequence shortcut;
    int icon;  // an IconId, or -1
};

QString withoutMnemonic(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QStringLiteral("...")))
        text.chop(3);
    return text.trimmed();
}

QLineEdit* focusedLineEdit() {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

QPlainTextEdit* focusedTextEdit() {
    return qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
}

}  // namespace

void MainWindow::buildActions() {
    const auto ic = [](IconId id) { return static_cast<int>(id); };
    const ActionDef defs[] = {
        {&MainWindowActions::newDocument, "new", res::ids::New, res::ids::ToolNew,
         QKeySequence(Qt::CTRL | Qt::Key_N), ic(IconId::New)},
        {&MainWindowActions::open, "open", res::ids::Open, res::ids::ToolOpen,
         QKeySequence(Qt::CTRL | Qt::Key_O), ic(IconId::Open)},
        {&MainWindowActions::save, "save", res::ids::Save, res::ids::ToolSave,
         QKeySequence(Qt::CTRL | Qt::Key_S), ic(IconId::Save)},
        {&MainWindowActions::saveAs, "saveAs", res::ids::SaveAs, 0, QKeySequence(), -1},
        {&MainWindowActions::setupPrinter, "setupPrinter", res::ids::SetupPrinter, 0,
         QKeySequence(), -1},
        {&MainWindowActions::setupPage, "setupPage", res::ids::MenuSetupPage, 0, QKeySequence(),
         -1},
        {&MainWindowActions::print, "print", res::ids::Print, res::ids::ToolPrint,
         QKeySequence(Qt::CTRL | Qt::Key_P), ic(IconId::Print)},
        {&MainWindowActions::exit, "exit", res::ids::Exit, 0, QKeySequence(), -1},
        {&MainWindowActions::cut, "cut", res::ids::Cut, res::ids::ToolCut,
         QKeySequence(Qt::CTRL | Qt::Key_X), ic(IconId::Cut)},
        {&MainWindowActions::copy, "copy", res::ids::Copy, res::ids::ToolCopy,
         QKeySequence(Qt::CTRL | Qt::Key_C), ic(IconId::Copy)},
        {&MainWindowActions::paste, "paste", res::ids::Paste, res::ids::ToolPaste,
         QKeySequence(Qt::CTRL | Qt::Key_V), ic(IconId::Paste)},
        {&MainWindowActions::deleteSelection, "delete", res::ids::Delete, res::ids::ToolDelete,
         QKeySequence(Qt::CTRL | Qt::Key_D), ic(IconId::Delete)},
        {&MainWindowActions::selectAll, "selectAll", res::ids::SelectAll, 0,
         QKeySequence(Qt::CTRL | Qt::Key_A), -1},
        {&MainWindowActions::send, "send", res::ids::MenuSend, 0, QKeySequence(Qt::Key_Return), -1},
        {&MainWindowActions::backToCommandBox, "backToCommandBox", res::ids::BackToCommandBox, 0,
         QKeySequence(Qt::Key_Escape), -1},
        {&MainWindowActions::makeMenuCode, "makeMenuCode", res::ids::MakeMenuCode,
         res::ids::ToolNewMenu, QKeySequence(Qt::CTRL | Qt::Key_M), ic(IconId::NewMenuCode)},
        {&MainWindowActions::switchMode, "switchMode", res::ids::SwitchMode,
         res::ids::ToolSwitchMode, QKeySequence(), ic(IconId::SwitchMode)},
        {&MainWindowActions::help, "help", res::ids::Help, 0, QKeySequence(Qt::Key_F1), -1},
        {&MainWindowActions::about, "about", res::ids::About, 0, QKeySequence(), -1},
    };
    for (const ActionDef& def : defs) {
        auto* a = new QAction(uiText(def.textId), this);
        a->setObjectName(QLatin1String(def.name));
        if (!def.shortcut.isEmpty())
            a->setShortcut(def.shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
        if (def.icon >= 0)
            a->setIcon(ui::icon(static_cast<IconId>(def.icon)));
        QString tip = def.toolTipId ? uiText(def.toolTipId) : withoutMnemonic(a->text());
        if (!def.shortcut.isEmpty()) {
            tip += QStringLiteral(" (%1)").arg(def.shortcut.toString(QKeySequence::NativeText));
        }
        a->setToolTip(tip);
        a->setIconText(def.toolTipId ? uiText(def.toolTipId) : withoutMnemonic(a->text()));
        addAction(a);
        actions_.*def.member = a;
    }
    actions_.send->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    connectActions();
    buildConnectionActions();
    buildFirmwareActions();
    buildPageActions();
    buildImagingActions();
}

void MainWindow::connectActions() {
    connect(actions_.newDocument, &QAction::triggered, this, &MainWindow::newDocument);
    connect(actions_.open, &QAction::triggered, this, &MainWindow::onOpen);
    connect(actions_.save, &QAction::triggered, this, [this] { onSave(false); });
    connect(actions_.saveAs, &QAction::triggered, this, [this] { onSave(true); });
    connect(actions_.setupPrinter, &QAction::triggered, this, &MainWindow::onSetupPrinter);
    connect(actions_.setupPage, &QAction::triggered, this, &MainWindow::onSetupPage);
    connect(actions_.print, &QAction::triggered, this, &MainWindow::onPrint);
    connect(actions_.exit, &QAction::triggered, this, &QWidget::close);
    connect(actions_.cut, &QAction::triggered, this, [this] { onEditCommand("cut"); });
    connect(actions_.copy, &QAction::triggered, this, &MainWindow::copy);
    connect(actions_.paste, &QAction::triggered, this, [this] { onEditCommand("paste"); });
    connect(actions_.deleteSelection, &QAction::triggered, this, &MainWindow::deleteSelection);
    connect(actions_.selectAll, &QAction::triggered, this, &MainWindow::onSelectAll);
    connect(actions_.send, &QAction::triggered, this, &MainWindow::onSend);
    connect(actions_.backToCommandBox, &QAction::triggered, this, &MainWindow::onBackToCommandBox);
    connect(actions_.makeMenuCode, &QAction::triggered, this, &MainWindow::makeMenuCode);
    QAction* tool = actions_.makeMenuCodeTool =
        new QAction(actions_.makeMenuCode->icon(), actions_.makeMenuCode->text(), this);
    tool->setObjectName(QStringLiteral("makeMenuCodeTool"));
    tool->setIconText(actions_.makeMenuCode->iconText());
    tool->setToolTip(actions_.makeMenuCode->toolTip());
    connect(tool, &QAction::triggered, this, &MainWindow::makeMenuCode);
    connect(actions_.switchMode, &QAction::triggered, this, &MainWindow::switchMode);
    connect(actions_.help, &QAction::triggered, this, &MainWindow::onHelp);
    connect(actions_.about, &QAction::triggered, this, &MainWindow::onAbout);
}

void MainWindow::buildMenus() {
    // A null item is a separator.
    const auto addMenu = [this](std::uint32_t title, const char* name,
                                std::initializer_list<QAction*> items) {
        QMenu* menu = menuBar()->addMenu(uiText(title));
        menu->setObjectName(QLatin1String(name));
        for (QAction* item : items) {
            if (item) {
                menu->addAction(item);
            } else {
                menu->addSeparator();
            }
        }
        return menu;
    };
    const MainWindowActions& a = actions_;
    addMenu(res::ids::MenuFile, "fileMenu",
            {a.newDocument, a.open, a.save, a.saveAs, nullptr, a.setupPrinter, a.setupPage, a.print,
             nullptr, a.exit});
    addMenu(res::ids::MenuEdit, "editMenu",
            {a.cut, a.copy, a.paste, a.deleteSelection, nullptr, a.selectAll, nullptr, a.send,
             a.backToCommandBox});
    addMenu(res::ids::MenuFormat, "formatMenu", {a.wordWrap, a.font});
    addMenu(res::ids::MenuCommunication, "communicationMenu",
            {a.connectReader, a.property, nullptr, a.download, a.forcedDownload, nullptr,
             a.applyPage, a.keyboardReader});
    addMenu(res::ids::MenuScanner, "scannerMenu", {a.makeMenuCode, a.switchMode});
    addMenu(res::ids::MenuHelp, "helpMenu", {a.help, nullptr, a.about});
}

// ---- File ----

bool MainWindow::confirmDiscard(int index) {
    if (!tabs_->isModified(index))
        return true;
    tabs_->setCurrentIndex(index);
    const std::uint32_t question =
        tabs_->kindAt(index) == PageKind::Image ? res::ids::UnsavedPicture : res::ids::UnsavedPage;
    QMessageBox box(QMessageBox::Warning, uiText(res::ids::Program),
                    uiText(question).arg(tabs_->tabText(index)),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("unsavedPageQuestion"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    box.button(QMessageBox::Save)->setText(uiText(res::ids::UnsavedSave));
    box.button(QMessageBox::Discard)->setText(uiText(res::ids::UnsavedDiscard));
    box.button(QMessageBox::Cancel)->setText(uiText(res::ids::UnsavedCancel));
    switch (box.exec()) {
        case QMessageBox::Discard:
            return true;
        case QMessageBox::Save:
            onSave(false);
            return tabs_->currentIndex() == index && !tabs_->isModified(index);
        default:
            return false;
    }
}

bool MainWindow::confirmDiscardAll() {
    for (int i = 1; i < tabs_->count(); ++i) {
        if (!confirmDiscard(i))
            return false;
    }
    return true;
}

void MainWindow::newDocument() {
    if (!confirmDiscardAll())
        return;
    log_->clear();
    commandBox_->clearText();
    tabs_->closeAllButLog();
    tabs_->setFileName(0, QString());
    showCurrentPage();
}

void MainWindow::onOpen() {
    const QString path =
        QFileDialog::getOpenFileName(this, uiText(res::ids::OpenTitle), QString(),
                                     uiText(res::ids::ImageOpenFilter) + QStringLiteral(";;") +
                                         uiText(res::ids::PageFileFilter));
    if (!path.isEmpty())
        guarded([&] { openFile(path); });
}

void MainWindow::openFile(const QString& path) {
    if (isPageFile(path))
        return openPageFile(path);
    if (openImageFile(path))
        return;
    if (QFileInfo(path).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) != 0) {
        throw foundation::UserException(foundation::UserException::Refused,
                                        ui::toU16(uiText(res::ids::OnlyTextFiles)));
    }
    tabs_->setCurrentIndex(0);
    log_->appendFile(path);
    tabs_->setFileName(0, path);
}

void MainWindow::saveCurrentTo(const QString& path) {
    switch (tabs_->currentKind()) {
        case PageKind::Log:
            log_->saveTo(path);
            break;
        case PageKind::MenuCode:
            if (isPageFile(path)) {
                savePageFile(path);
            } else {
                modePage()->view()->save(path);
            }
            break;
        case PageKind::Image:
            saveImagePage(path);
            break;
    }
    tabs_->setFileName(tabs_->currentIndex(), path);
    tabs_->markSaved(tabs_->currentIndex());
}

void MainWindow::onSave(bool askName) {
    const int index = tabs_->currentIndex();
    if (tabs_->currentKind() == PageKind::MenuCode)
        warnAboutPageMode();
    QString path = askName ? QString() : tabs_->fileName(index);
    if (path.isEmpty()) {
        QStringList filters;
        QString suffix;
        if (tabs_->currentKind() == PageKind::MenuCode) {
            filters = {uiText(res::ids::EmfFilter), uiText(res::ids::PngFilter),
                       uiText(res::ids::SvgFilter), uiText(res::ids::PdfFilter)};
            filters << uiText(res::ids::PageFileFilter);
            suffix = QStringLiteral("emf");
        } else if (tabs_->currentKind() == PageKind::Image) {
            filters = imageSaveFilters();
            suffix = QStringLiteral("bmp");
        } else {
            filters = {uiText(res::ids::Filter)};
            suffix = QStringLiteral("txt");
        }
        QFileDialog dialog(this, uiText(res::ids::SaveTitle));
        if (!lastSaveFolder_.isEmpty())
            dialog.setDirectory(lastSaveFolder_);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(filters);
        dialog.setDefaultSuffix(suffix);
        dialog.selectFile(tabs_->tabText(index) + QLatin1Char('.') + suffix);
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
            // The suffix follows the chosen type: "(*.png)" gives "png".
            const qsizetype dot = f.lastIndexOf(QLatin1String("*."));
            if (dot >= 0)
                dialog.setDefaultSuffix(f.mid(dot + 2).chopped(1));
        });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        path = dialog.selectedFiles().front();
        lastSaveFolder_ = QFileInfo(path).absolutePath();
    }
    if (tabs_->currentKind() == PageKind::MenuCode && !isPageFile(path) &&
        !confirmReadable(nullptr))
        return;
    guarded([&] { saveCurrentTo(path); });
}

void MainWindow::onSetupPrinter() {
    QPrintDialog dialog(&printer_, this);
    dialog.setWindowTitle(withoutMnemonic(uiText(res::ids::SetupPrinter)));
    dialog.exec();
}

void MainWindow::onSetupPage() {
    QPageSetupDialog dialog(&printer_, this);
    ui::confirmWithOk(dialog);
    dialog.exec();
}

void MainWindow::onPrint() {
    if (tabs_->currentKind() == PageKind::MenuCode)
        warnAboutPageMode();
    QPrintDialog dialog(&printer_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (tabs_->currentKind() == PageKind::MenuCode && !confirmReadable(&printer_))
        return;
    guarded([this] { printCurrent(printer_); });
}

void MainWindow::printCurrent(QPrinter& printer) {
    switch (tabs_->currentKind()) {
        case PageKind::Log:
            log_->printTo(printer);
            break;
        case PageKind::MenuCode:
            modePage()->view()->print(printer, true);
            break;
        case PageKind::Image:
            printImagePage(printer);
            break;
    }
}

// ---- Edit ----

void MainWindow::onEditCommand(const char* name) {
    const bool paste = std::string_view(name) == "paste";
    if (paste && !focusedLineEdit() && pasteImage())
        return;
    if (tabs_->currentKind() == PageKind::Image && !focusedLineEdit()) {
        if (std::string_view(name) == "cut")
            imageView_->cut();
        return;
    }
    if (QLineEdit* edit = focusedLineEdit()) {
        QMetaObject::invokeMethod(edit, name);
    } else if (QPlainTextEdit* text = focusedTextEdit(); text && !text->isReadOnly()) {
        QMetaObject::invokeMethod(text, name);
    }
}

void MainWindow::copy() {
    if (menucode::MenuCodePage* page = currentMenuPage()) {
        page->view()->copyToClipboard();
    } else if (QLineEdit* edit = focusedLineEdit()) {
        edit->copy();
    } else if (tabs_->currentKind() == PageKind::Image) {
        imageView_->copy();
    } else {
        log_->copy();
    }
}

void MainWindow::deleteSelection() {
    // On a menu-code page Delete is about the page's selected command, wherever the focus is.
    if (menucode::MenuCodePage* page = currentMenuPage()) {
        page->deleteSelected();
    } else if (QLineEdit* edit = focusedLineEdit()) {
        edit->del();
    } else if (tabs_->currentKind() == PageKind::Log) {
        log_->deleteSelection();
    } else if (tabs_->currentKind() == PageKind::Image) {
        // The picture is the whole page: an unsaved one is not thrown away without asking.
        const int index = tabs_->currentIndex();
        if (confirmDiscard(index))
            tabs_->removePage(index);
    }
}

void MainWindow::onSelectAll() {
    if (currentMenuPage())
        return;
    if (QLineEdit* edit = focusedLineEdit()) {
        edit->selectAll();
    } else {
        log_->selectAll();
    }
}

void MainWindow::onSend() {
    if (QApplication::focusWidget() == selector_->list()) {
        selector_->pickSelected();
    } else {
        commandBox_->submit();
    }
}

void MainWindow::onBackToCommandBox() {
    commandBox_->focusAndSelect();
}

// ---- Help ----

void MainWindow::onHelp() {
    if (HelpWindow::pageUrl(res::currentLanguage()).isEmpty()) {
        ui::showMessage(
            this, QMessageBox::Information, uiText(res::ids::Program),
            uiText(res::ids::HelpMissing)
                .arg(QApplication::applicationDirPath() + QStringLiteral("/document/index.html")));
        return;
    }
    auto* help = findChild<HelpWindow*>();
    if (!help)
        help = new HelpWindow(this);
    help->show();
    help->raise();
    help->activateWindow();
}

void MainWindow::onAbout() {
    QMessageBox box(QMessageBox::NoIcon, uiText(res::ids::AboutTitle),
                    uiText(res::ids::AboutText).arg(QApplication::applicationVersion()),
                    QMessageBox::Ok, this);
    box.setIconPixmap(ui::icon(IconId::Program).pixmap(48, 48));
    box.exec();
}

}  // namespace omni::app

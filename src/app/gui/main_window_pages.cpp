// The main window's page files, the print-readability check before a menu-code page is printed
// or saved as a picture, and Communication › Apply page to readers.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "app/gui/apply_page_dialog.h"
#include "app/gui/main_window.h"
#include "commands/gui/page_tabs.h"
#include "menucode/gui/menu_code_page.h"
#include "menucode/gui/menu_code_view.h"
#include "menucode/gui/qr_menu_view.h"
#include "menucode/page_file.h"
#include "menucode/print_check.h"
#include "resources/string_ids.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using commands::PageKind;
using ui::toQString;
using ui::uiText;

QString layoutName(serial::KeyboardLayout layout) {
    return uiText(layout == serial::KeyboardLayout::Japanese ? res::ids::KeyboardLayoutJapanese
                                                             : res::ids::KeyboardLayoutUs);
}

// Asks which keyboard-mode reader to show and with which layout; false when cancelled.
bool chooseKeyboardReader(QWidget* owner, const std::vector<serial::KeyboardReaderDevice>& found,
                          std::size_t& device, serial::KeyboardLayout& layout) {
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("keyboardReaderDialog"));
    dialog.setWindowTitle(uiText(res::ids::KeyboardTitle));
    auto* devices = new QComboBox(&dialog);
    for (const serial::KeyboardReaderDevice& d : found)
        devices->addItem(QString::fromStdString(d.label), QString::fromStdString(d.node));
    auto* layouts = new QComboBox(&dialog);
    for (serial::KeyboardLayout l : serial::kKeyboardLayouts)
        layouts->addItem(layoutName(l));
    // Japanese readers are usually set up for the JIS layout.
    if (QLocale().language() == QLocale::Japanese)
        layouts->setCurrentIndex(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(uiText(res::ids::KeyboardDevice), devices);
    form->addRow(uiText(res::ids::KeyboardLayoutLabel), layouts);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    device = static_cast<std::size_t>(devices->currentIndex());
    layout = serial::kKeyboardLayouts[layouts->currentIndex()];
    return true;
}

// The history statuses after which an entry is not on the page.
bool entryLeftOut(menucode::HistoryStatus status) {
    return status == menucode::HistoryStatus::NoTokens || status == menucode::HistoryStatus::Full;
}

// Lays the page out at other module sizes for the check's suggestion, and puts the view's own
// size back afterwards.
class ModuleSizeProbe {
public:
    explicit ModuleSizeProbe(menucode::QrMenuView* view)
        : view_(view), original_(view ? view->moduleSize() : 0) {}
    ~ModuleSizeProbe() { setSize(original_); }
    ModuleSizeProbe(const ModuleSizeProbe&) = delete;
    ModuleSizeProbe& operator=(const ModuleSizeProbe&) = delete;

    void setSize(int size) {
        if (view_)
            view_->zoom(size - view_->moduleSize());
    }
    int original() const { return original_; }

private:
    menucode::QrMenuView* view_;
    int original_;
};

}  // namespace

bool MainWindow::isPageFile(const QString& path) {
    return path.endsWith(
        QString::fromLatin1(menucode::kPageFileExtension.data(),
                            static_cast<qsizetype>(menucode::kPageFileExtension.size())),
        Qt::CaseInsensitive);
}

void MainWindow::buildPageActions() {
    actions_.applyPage = new QAction(uiText(res::ids::ApplyPageMenu), this);
    actions_.applyPage->setObjectName(QStringLiteral("applyPage"));
    addAction(actions_.applyPage);
    connect(actions_.applyPage, &QAction::triggered, this,
            [this] { guarded([this] { applyPageToReaders(); }); });
    actions_.keyboardReader = new QAction(uiText(res::ids::KeyboardMenu), this);
    actions_.keyboardReader->setObjectName(QStringLiteral("keyboardReader"));
    addAction(actions_.keyboardReader);
    connect(actions_.keyboardReader, &QAction::triggered, this,
            [this] { guarded([this] { toggleKeyboardReader(); }); });
}

// ---- Page files ----

void MainWindow::openPageFile(const QString& path) {
    const menucode::PageFileContents contents =
        menucode::readPageFile(std::filesystem::path(path.toStdString()));
    setMode2D(contents.page.mode2D);
    const int index = makeMenuCode();
    auto* history = tabs_->historyAt(index);
    QStringList problems;
    for (const menucode::PageFileProblem& problem : contents.problems)
        problems << toQString(menucode::describe(problem));
    menucode::HistoryStatus last = menucode::HistoryStatus::Ok;
    for (std::size_t i = 0; i < contents.page.items.size(); ++i) {
        const menucode::HistoryStatus status = history->addEntry(contents.page.items[i]);
        if (entryLeftOut(status)) {
            problems << uiText(res::ids::PageFileEntryRefused)
                            .arg(QString::number(i + 1),
                                 toQString(menucode::historyMessage(status)));
        } else if (status != menucode::HistoryStatus::Ok) {
            last = status;
        }
    }
    tabs_->setFileName(index, path);
    refreshMenuViews();
    if (!problems.isEmpty()) {
        ui::showMessage(this, QMessageBox::Warning, QStringLiteral("OmniSetup"),
                        uiText(res::ids::PageFileOpenProblems).arg(path) + QLatin1Char('\n') +
                            problems.join(QLatin1Char('\n')));
    }
    if (last != menucode::HistoryStatus::Ok)
        showAddResult(last);
}

void MainWindow::savePageFile(const QString& path) {
    const auto* history = tabs_->currentHistory();
    if (tabs_->currentKind() != PageKind::MenuCode || !history)
        return;
    menucode::PageFile page;
    page.mode2D = mode2D_;
    page.items = history->entries();
    menucode::writePageFile(page, std::filesystem::path(path.toStdString()));
}

// ---- Print-readability check ----

bool MainWindow::confirmReadable(QPrinter* printer) {
    menucode::MenuCodePage* page = currentMenuPage();
    if (!page || !page->history() || page->history()->empty())
        return true;
    menucode::MenuCodeView* view = page->view();
    // A printout is checked at the printer's resolution inside its margins; a saved picture at
    // the reference device it is drawn for.
    auto geometry = [&] {
        if (printer) {
            const menucode::PrintSetup setup = menucode::printSetupOf(*printer);
            return menucode::printGeometry(view->printPages(true, setup), mode2D_, setup);
        }
        const menucode::DeviceGeometry device = view->referenceDevice();
        const double dotsPerMm =
            device.horzSizeMm > 0 ? static_cast<double>(device.horzRes) / device.horzSizeMm : 1;
        return menucode::geometryOf({view->wholePicture()}, mode2D_, 1, dotsPerMm);
    };
    menucode::PrintCheck check = menucode::checkPrint(geometry());
    if (check.ok())
        return true;
    auto* qr = mode2D_ ? qobject_cast<menucode::QrMenuView*>(view) : nullptr;
    if (qr) {
        ModuleSizeProbe probe(qr);
        menucode::suggestModuleSize(check, probe.original(), menucode::QrMenuView::kMaxModule,
                                    [&](int size) {
                                        probe.setSize(size);
                                        return geometry();
                                    });
    }

    QMessageBox box(QMessageBox::Warning, uiText(res::ids::PrintCheckTitle),
                    toQString(menucode::describe(check, mode2D_)), QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("printCheck"));
    QPushButton* fix = nullptr;
    if (qr && check.suggestedModuleSize && !check.noSizeFits) {
        fix = box.addButton(uiText(res::ids::PrintCheckUseModule).arg(*check.suggestedModuleSize),
                            QMessageBox::AcceptRole);
        fix->setObjectName(QStringLiteral("fix"));
    }
    QPushButton* anyway = box.addButton(
        uiText(printer ? res::ids::PrintCheckPrintAnyway : res::ids::PrintCheckSaveAnyway),
        QMessageBox::DestructiveRole);
    anyway->setObjectName(QStringLiteral("anyway"));
    QPushButton* stop = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(fix ? fix : stop);
    box.exec();
    if (fix && box.clickedButton() == fix) {
        qr->zoom(*check.suggestedModuleSize - qr->moduleSize());
        refreshMenuViews();
        return true;
    }
    return box.clickedButton() == anyway;
}

// ---- Provisioning ----

void MainWindow::applyPageToReaders() {
    std::vector<std::string> commands;
    QString pageText = uiText(res::ids::ApplyPageNoPage);
    if (const auto* history = tabs_->currentHistory();
        tabs_->currentKind() == PageKind::MenuCode && history && !history->empty()) {
        for (const commands::PageItem& item : history->entries())
            commands.push_back(item.bytes);
        pageText = uiText(res::ids::ApplyPageCurrent).arg(commands.size());
    }
    std::vector<ApplyTarget> targets;
    for (const serial::PortDescriptor& port : portBox_->ports()) {
        ApplyTarget target{portName(port), port, port.kind != serial::PortKind::Serial};
        if (const auto family = serial::SimulatedReaders::familyOf(port)) {
            target.device.device = simulated_->devicePath(*family);
            target.device.kind = serial::PortKind::Serial;
            target.ticked = true;
        }
        // The reader this window talks to keeps its connection.
        if (connected() && connection_->port().device == port.device)
            target.ticked = false;
        targets.push_back(std::move(target));
    }
    ApplyPageDialog dialog(std::move(commands), pageText, std::move(targets), keyPath_, this);
    dialog.exec();
}

// ---- Keyboard-mode readers ----

void MainWindow::toggleKeyboardReader() {
    if (keyboardReaderListening()) {
        stopKeyboardReader(res::ids::KeyboardStopped);
        return;
    }
    const std::vector<serial::KeyboardReaderDevice> found = serial::findKeyboardReaders();
    if (found.empty()) {
        ui::showMessage(this, QMessageBox::Information, uiText(res::ids::KeyboardTitle),
                        uiText(res::ids::KeyboardNone));
        return;
    }
    std::size_t device = 0;
    serial::KeyboardLayout layout = serial::KeyboardLayout::Us;
    if (!chooseKeyboardReader(this, found, device, layout))
        return;
    listenToKeyboardReader(found[device].node, QString::fromStdString(found[device].label), layout);
}

void MainWindow::listenToKeyboardReader(const std::string& node, const QString& label,
                                        serial::KeyboardLayout layout) {
    if (!keyboard_)
        keyboard_ = std::make_unique<serial::KeyboardListener>();
    // What the reader types goes through the log's chain like received bytes (the chain takes
    // bytes from any thread); its end is handled on this thread.
    keyboard_->open(
        node, layout,
        [this](std::string_view bytes) { log_->chain().feed(bytes.data(), bytes.size()); },
        [this](int) {
            QMetaObject::invokeMethod(
                this, [this] { stopKeyboardReader(res::ids::KeyboardUnplugged); },
                Qt::QueuedConnection);
        });
    keyboardLabel_ = label;
    actions_.keyboardReader->setText(uiText(res::ids::KeyboardStop));
    tabs_->setCurrentIndex(0);
    logNote(uiText(res::ids::KeyboardListening).arg(label, layoutName(layout)));
}

void MainWindow::stopKeyboardReader(std::uint32_t messageId) {
    if (!keyboard_ || !keyboard_->isOpen())
        return;
    keyboard_->close();
    actions_.keyboardReader->setText(uiText(res::ids::KeyboardMenu));
    logNote(uiText(messageId).arg(keyboardLabel_));
}

void MainWindow::logNote(const QString& text) {
    serial::LogChain& chain = log_->chain();
    chain.endOfLine();
    chain.writeText(ui::toU16(text));
    chain.endOfLine();
    statusBar()->showMessage(text);
}

}  // namespace omni::app

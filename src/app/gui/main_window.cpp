#include "app/gui/main_window.h"
#include "resources/string_ids.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QToolBar>

#include "app/gui/entry_dialogs.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/page_tabs.h"
#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "menucode/gui/c39_menu_view.h"
#include "menucode/gui/menu_code_page.h"
#include "menucode/gui/qr_menu_view.h"
#include "menucode/menu_code_history.h"
#include "reader/capture/capture_worker.h"
#include "reader/command_exchange.h"
#include "resources/string_ids.h"
#include "serial/gui/code_page_combo_box.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "tools/gui/waveform_host.h"
#include "ui/gui/icons.h"
#include "ui/gui/pane_splitter.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using commands::PageKind;
using ui::uiText;

constexpr int kMinSelector = 160;
constexpr int kMinPages = 240;
constexpr int kMaxSelector = 900;
constexpr int kMinCommandBox = 160;

// A band with a caption in front of its controls, like a labelled rebar band.
QToolBar* makeBand(QMainWindow* window, const QString& label, const char* name) {
    auto* band = new QToolBar(label, window);
    band->setObjectName(QLatin1String(name));
    band->setMovable(false);
    auto* caption = new QLabel(label, band);
    caption->setContentsMargins(6, 0, 6, 0);
    band->addWidget(caption);
    return band;
}

}  // namespace

void MainWindow::guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const foundation::Exception& error) {
        ui::reportException(this, error);
    }
}

MainWindow::MainWindow(std::string keyPath, QWidget* parent)
    : QMainWindow(parent),
      keyPath_(keyPath.empty() ? std::string(foundation::kProgramSettingsKey) : std::move(keyPath)),
      printer_(QPrinter::HighResolution) {
    setObjectName(QStringLiteral("OmniSetup"));
    setWindowTitle(QStringLiteral("OmniSetup"));
    setWindowIcon(ui::icon(ui::IconId::Program));
    setContextMenuPolicy(Qt::NoContextMenu);  // the bands cannot be hidden
    setDockOptions(QMainWindow::AnimatedDocks);

    const QScreen* screen = QGuiApplication::primaryScreen();
    layout_ = loadLayout(keyPath_, screen ? screen->geometry().height() : 768);

    DialogHost host;
    host.hasCurrentPage = [] { return true; };  // the log page is always there
    host.apply = [this](const std::string& text) { selector_->addResolved(text); };
    host.readerModel = [this]() -> std::string {
        return connection_ && connection_->isConnected() ? connection_->model() : std::string();
    };
    host.openPort = [this]() -> stream::OutputStream<char>* {
        return connection_ && connection_->isConnected() ? &connection_->serialPort() : nullptr;
    };
    dialogs_ = std::make_unique<QtEntryDialogs>(this, std::move(host));
    buildActions();
    buildCentre();
    buildToolbars();
    buildMenus();
    buildDataEdit();
    buildToolActions();
    buildConnection();
    buildImaging();
    applyLayout(layout_);
    showCurrentPage();
}

MainWindow::~MainWindow() {
    // A background shot and the imaging module use the port: they go before the connection.
    background_.reset();
    imagingModule_.reset();
    closeTools();
    closeConnection();
    // The views point into the pages' histories, which the tabs free.
    qrPage_->setHistory(nullptr);
    c39Page_->setHistory(nullptr);
}

void MainWindow::buildCentre() {
    selector_ = new commands::CommandSelector(*dialogs_, this);
    connect(selector_, &commands::CommandSelector::itemPicked, this, &MainWindow::submitItem);
    connect(selector_, &commands::CommandSelector::waveformRequested, this,
            &MainWindow::onWaveform);

    tabs_ = new commands::PageTabs(this);
    tabs_->setCloseGuard([this](int index) { return confirmDiscard(index); });
    log_ = new serial::SerialLogBox(keyPath_, this);
    auto* qr = new menucode::QrMenuView;
    qr->setCommandFontHeight(16);
    qrPage_ = new menucode::MenuCodePage(qr, this);
    qrPage_->setObjectName(QStringLiteral("QRMenuStaticWithHistory"));
    c39Page_ = new menucode::MenuCodePage(new menucode::C39MenuView, this);
    c39Page_->setObjectName(QStringLiteral("C39MenuStaticWithHistory"));
    for (menucode::MenuCodePage* page : {qrPage_, c39Page_}) {
        page->view()->setPrinter(&printer_);
        connect(page, &menucode::MenuCodePage::historyEdited, this, &MainWindow::refreshMenuViews);
        connect(page, &menucode::MenuCodePage::pictureHeightChanged, this,
                &MainWindow::syncPictureHeight);
    }
    stack_ = new QStackedWidget(this);
    stack_->addWidget(log_);
    stack_->addWidget(qrPage_);
    stack_->addWidget(c39Page_);
    connect(tabs_, &QTabBar::currentChanged, this, &MainWindow::showCurrentPage);

    QWidget* pages = ui::barAbove(tabs_, stack_, this);

    split_ = new ui::PaneSplitter(Qt::Horizontal, this);
    split_->setObjectName(QStringLiteral("VerticalBorder"));
    split_->addWidget(selector_);
    split_->addWidget(pages);
    split_->setPaneLimits(kMinSelector, kMaxSelector, kMinPages);
    setCentralWidget(split_);
}

void MainWindow::buildToolbars() {
    fileBar_ = new QToolBar(uiText(res::ids::FileToolbar), this);
    fileBar_->setObjectName(QStringLiteral("fileToolbar"));
    fileBar_->setMovable(false);
    fileBar_->setIconSize(QSize(20, 20));
    const MainWindowActions& a = actions_;
    for (QAction* item :
         {a.newDocument, a.open, a.save, static_cast<QAction*>(nullptr), a.print,
          static_cast<QAction*>(nullptr), a.cut, a.copy, a.paste, a.deleteSelection}) {
        if (item) {
            fileBar_->addAction(item);
        } else {
            fileBar_->addSeparator();
        }
    }
    addToolBar(Qt::TopToolBarArea, fileBar_);

    characterCodeBand_ = makeBand(this, uiText(res::ids::CharacterCode), "characterCodeBand");
    portBand_ = makeBand(this, uiText(res::ids::PortBand), "portBand");
    addToolBar(Qt::TopToolBarArea, characterCodeBand_);
    addToolBar(Qt::TopToolBarArea, portBand_);
    buildPortBoxes();

    // The bands do not fit one row beside the code-page and port boxes: like a rebar, the
    // scanner toolbar and the command box go to a second row.
    addToolBarBreak(Qt::TopToolBarArea);
    scannerBar_ = new QToolBar(uiText(res::ids::ScannerToolbar), this);
    scannerBar_->setObjectName(QStringLiteral("scannerToolbar"));
    scannerBar_->setMovable(false);
    scannerBar_->setIconSize(QSize(20, 20));
    scannerBar_->addAction(actions_.connectReader);
    scannerBar_->addAction(actions_.property);
    scannerBar_->addSeparator();
    scannerBar_->addAction(actions_.makeMenuCodeTool);
    scannerBar_->addAction(actions_.switchMode);
    scannerBar_->addAction(actions_.download);
    addToolBar(Qt::TopToolBarArea, scannerBar_);

    commandBand_ = makeBand(this, uiText(res::ids::CommandBand), "commandBand");
    commandBox_ = new commands::CommandBox(keyPath_, commandBand_);
    commandBand_->addWidget(commandBox_);
    connect(commandBox_, &commands::CommandBox::submitted, this, &MainWindow::submitTyped);
    addToolBar(Qt::TopToolBarArea, commandBand_);
}

void MainWindow::applyLayout(const LayoutRecords& records) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    int width = records.window.width;
    int height = records.window.height;
    if (width == kDefaultSize || width <= 0)
        width = std::min(1180, available.width() * 9 / 10);
    if (height == kDefaultSize || height <= 0)
        height = std::min(780, available.height() * 9 / 10);
    resize(width, height);
    if (records.window.isMaximized())
        setWindowState(windowState() | Qt::WindowMaximized);

    split_->setFirstPaneSize(records.border.sizes[kSelectorWidth]);
    commandBox_->setFixedWidth(std::max(kMinCommandBox, records.border.sizes[kCommandBoxWidth]));
    selector_->setTreeHeight(records.border.sizes[kTreeHeight]);
    syncPictureHeight(records.border.sizes[kPictureHeight]);
}

LayoutRecords MainWindow::currentLayout() const {
    LayoutRecords records = layout_;
    records.window.maximized = isMaximized() ? 1 : 0;
    // A maximized window keeps the size it had (or will have) when restored.
    const QSize size = isMaximized() ? normalGeometry().size() : this->size();
    if (size.isValid() && !size.isEmpty()) {
        records.window.width = size.width();
        records.window.height = size.height();
    }
    records.border.sizes[kSelectorWidth] = split_->firstPaneSize();
    records.border.sizes[kCommandBoxWidth] = commandBox_->width();
    records.border.sizes[kTreeHeight] = selector_->treeHeight();
    records.border.sizes[kPictureHeight] = pictureHeight_;
    return records;
}

void MainWindow::saveSettings() const {
    saveLayout(keyPath_, currentLayout());
    commandBox_->saveHistory();
    log_->storeProperty();
    codePageBox_->store();
    portBox_->storeChoice();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!confirmDiscardAll()) {
        event->ignore();
        return;
    }
    guarded([this] { saveSettings(); });
    event->accept();
}

// ---- pages and modes ----

menucode::MenuCodePage* MainWindow::currentMenuPage() const {
    return tabs_->currentKind() == PageKind::MenuCode ? modePage() : nullptr;
}

void MainWindow::showCurrentPage() {
    menucode::MenuCodeHistory* history = tabs_->currentHistory();
    // Both views follow the current page so that either shows it the moment the mode changes.
    qrPage_->setHistory(history);
    c39Page_->setHistory(history);
    if (tabs_->currentKind() == PageKind::MenuCode) {
        stack_->setCurrentWidget(modePage());
    } else if (tabs_->currentKind() == PageKind::Image) {
        showImagePage();
    } else {
        stack_->setCurrentWidget(log_);
    }
}

void MainWindow::setMode2D(bool mode2D) {
    mode2D_ = mode2D;
    selector_->setMode2D(mode2D);
    tabs_->setMode2D(mode2D);
    applyDataEditEnabling();
    showCurrentPage();
    updateModeLabel();
    if (menucode::MenuCodePage* page = currentMenuPage())
        page->view()->setFocus();
}

void MainWindow::updateModeLabel() {
    if (!modeLabel_)
        return;
    QString text = uiText(mode2D_ ? res::ids::StatusMode2D : res::ids::StatusMode1D);
    if (connected() && connection_->identified()) {
        text += QStringLiteral("  |  ") +
                uiText(connection_->twoD() ? res::ids::StatusReader2D : res::ids::StatusReader1D)
                    .arg(QString::fromStdString(connection_->firmware()));
    }
    modeLabel_->setText(text);
}

void MainWindow::warnAboutPageMode() {
    const std::optional<bool> built = tabs_->builtIn2D(tabs_->currentIndex());
    if (!built || *built == mode2D_)
        return;
    ui::showMessage(this, QMessageBox::Warning, uiText(res::ids::Program),
                    uiText(*built ? res::ids::PageBuilt2D : res::ids::PageBuilt1D));
}

void MainWindow::refreshMenuViews() {
    qrPage_->refresh();
    c39Page_->refresh();
}

void MainWindow::syncPictureHeight(int height) {
    pictureHeight_ = height;
    for (menucode::MenuCodePage* page : {qrPage_, c39Page_}) {
        if (page->pictureHeight() != height)
            page->setPictureHeight(height);
    }
}

int MainWindow::makeMenuCode() {
    return tabs_->addMenuCodePage();
}

void MainWindow::showAddResult(menucode::HistoryStatus status) {
    menucode::MenuCodeHistory* history = tabs_->currentHistory();
    refreshMenuViews();
    modePage()->selectIndex(static_cast<int>(history->size()) - 1);
    if (status != menucode::HistoryStatus::Ok) {
        ui::showMessage(this, QMessageBox::Information, uiText(res::ids::Program),
                        ui::toQString(menucode::historyMessage(status)));
    }
}

void MainWindow::submitItem(const commands::PageItem& item) {
    submit(item, false, [&] { return tabs_->currentHistory()->addEntry(item); });
}

void MainWindow::submitTyped(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    const std::string_view command(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    submit(commands::makePageItem(command, {}, 1), true,
           [&] { return tabs_->currentHistory()->addTypedCommand(command); });
}

void MainWindow::submit(const commands::PageItem& item, bool typed,
                        const std::function<menucode::HistoryStatus()>& addToPage) {
    // Commands for a reader that is away are not quietly collected on a new page: the operator
    // meant them for the reader.
    if (readerAway() && tabs_->currentKind() != PageKind::MenuCode) {
        reportNotSentWhileAway(item.bytes);
        return;
    }
    const reader::SubmitContext context{connected(), tabs_->currentKind() == PageKind::MenuCode,
                                        mode2D_, typed};
    const reader::SubmitDecision decision = reader::decideSubmit(item, context);
    if (decision.openPage)
        makeMenuCode();
    switch (decision.action) {
        case reader::SubmitAction::Send:
            guarded([&] { connection_->send(item.bytes); });
            return;
        case reader::SubmitAction::Drop:
            return;
        case reader::SubmitAction::Refuse:
            ui::showMessage(this, QMessageBox::Information, QStringLiteral("OmniSetup"),
                            uiText(decision.refusalMessageId));
            return;
        case reader::SubmitAction::AddToPage:
            showAddResult(addToPage());
            tabs_->noteAddedInMode(tabs_->currentIndex(), mode2D_);
            return;
    }
}

}  // namespace omni::app

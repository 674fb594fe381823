// The program's main window: menus, toolbars and bands along the top, the command selector on
// the left, the page tabs with the communication log and the menu-code pages on the right.
// Every menu, toolbar and shortcut command is routed here; picked and typed commands are
// submitted to the current menu-code page (a new one is opened when none is current).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QMainWindow>
#include <QPrinter>

#include "app/gui/layout_records.h"
#include "commands/page_item.h"
#include "serial/port_descriptor.h"

class QAction;
class QLabel;
class QProgressBar;
class QStackedWidget;
class QToolBar;

namespace omni::commands {
class EntryDialogs;
}  // namespace omni::commands
namespace omni::menucode {
enum class HistoryStatus;
}  // namespace omni::menucode
namespace omni::gui {
class PaneSplitter;
}
namespace omni::commands {
class CommandBox;
class CommandSelector;
class PageTabs;
}  // namespace omni::commands
namespace omni::menucode {
class MenuCodePage;
}
namespace omni::serial {
class CodePageComboBox;
class ComPortComboBox;
class ReaderConnection;
class SerialLogBox;
class SimulatedReaders;
}  // namespace omni::serial

namespace omni::app {

// The window's commands, one member per action (menus, toolbars and shortcuts share them).
struct MainWindowActions {
    QAction* newDocument = nullptr;
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* setupPrinter = nullptr;
    QAction* setupPage = nullptr;
    QAction* print = nullptr;
    QAction* exit = nullptr;
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* deleteSelection = nullptr;
    QAction* selectAll = nullptr;
    QAction* send = nullptr;
    QAction* backToCommandBox = nullptr;
    QAction* makeMenuCode = nullptr;
    // The toolbar's NewMenu button: the same command, enabled for every connected reader while
    // the menu item follows the reader's family.
    QAction* makeMenuCodeTool = nullptr;
    QAction* switchMode = nullptr;
    QAction* help = nullptr;
    QAction* about = nullptr;
    QAction* connectReader = nullptr;
    QAction* property = nullptr;
    QAction* wordWrap = nullptr;
    QAction* font = nullptr;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Reads the layout and the command history under `keyPath` (the program's settings key
    // unless a test gives another).
    explicit MainWindow(std::string keyPath = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The layout records as they stand now (window size, pane sizes).
    LayoutRecords currentLayout() const;
    // Writes the layout, the command box's history, the log's properties, the code page and
    // the chosen port.
    void saveSettings() const;

    bool mode2D() const { return mode2D_; }
    // Sets the mode: refills the tree from that catalog and shows the view of the mode.
    void setMode2D(bool mode2D);

    // Submits a picked item. With a reader connected and the log page current it is echoed in
    // the log and sent (in 1D mode "H1", "HK", "HL" and "HM" are dropped). Otherwise it goes to
    // the current menu-code page, opening one when the current tab is not a menu-code page; a
    // lone "Z2" is refused with a message.
    void submitItem(const commands::PageItem& item);
    // Submits a typed command the same way, labelled "Input command by user", without the 1D
    // drop and the "Z2" refusal.
    void submitTyped(const QString& text);

    // Connect/Disconnect (F2): connects to the port chosen in the port box, in the background,
    // or closes the connection.
    void toggleConnection();
    bool connected() const;
    // Connected before and waiting for the reader to be plugged back in.
    bool readerAway() const;
    // Property (F3): the port settings of the chosen port.
    void showPortSettings();

    // Commands (also reached through the menus, toolbars and shortcuts).
    void newDocument();
    void openFile(const QString& path);
    void saveCurrentTo(const QString& path);
    void printCurrent(QPrinter& printer);
    int makeMenuCode();
    void switchMode() { setMode2D(!mode2D_); }
    void copy();
    void deleteSelection();

    // Parts, for the tests and for the features built on the window.
    commands::PageTabs* pageTabs() const { return tabs_; }
    commands::CommandSelector* selector() const { return selector_; }
    commands::CommandBox* commandBox() const { return commandBox_; }
    serial::SerialLogBox* logPage() const { return log_; }
    serial::CodePageComboBox* codePageBox() const { return codePageBox_; }
    serial::ComPortComboBox* portBox() const { return portBox_; }
    serial::ReaderConnection* connection() const { return connection_.get(); }
    serial::SimulatedReaders& simulatedReaders() const { return *simulated_; }
    menucode::MenuCodePage* qrPage() const { return qrPage_; }
    menucode::MenuCodePage* c39Page() const { return c39Page_; }
    // The page view of the current mode, shown while a menu-code page is current.
    menucode::MenuCodePage* modePage() const { return mode2D_ ? qrPage_ : c39Page_; }
    QPrinter& printer() { return printer_; }
    const MainWindowActions& actions() const { return actions_; }
    // The bands of the code-page box and the port box.
    QToolBar* characterCodeBand() const { return characterCodeBand_; }
    QToolBar* portBand() const { return portBand_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildToolbars();
    void buildCentre();
    void applyLayout(const LayoutRecords& records);

    // The connection to a reader (main_window_connection.cpp).
    void buildConnectionActions();
    void buildPortBoxes();
    void buildConnection();
    void closeConnection();
    void connectToChosenPort(bool automatic);
    void disconnectReader();
    void applyConnectionState();
    QString portName(const serial::PortDescriptor& port) const;
    void onConnected();
    void onConnectFailed(const QString& message);
    void onConnectionLost();
    void onWatchNotification(bool present);
    void reportNotSentWhileAway(const std::string& command);

    void showCurrentPage();
    // The status bar's mode, and the connected reader's family and firmware.
    void updateModeLabel();
    // Warns when the current page was built in the other mode than the one it is output in.
    void warnAboutPageMode();
    void refreshMenuViews();
    menucode::MenuCodePage* currentMenuPage() const;
    // The one path of a picked or typed item: the exchange's decision sends it, drops it,
    // refuses it or (after opening a page when it says so) adds it with `addToPage`.
    void submit(const commands::PageItem& item, bool typed,
                const std::function<menucode::HistoryStatus()>& addToPage);
    // Redraws the page after an add and explains a refused or partial add.
    void showAddResult(menucode::HistoryStatus status);
    void syncPictureHeight(int height);

    // Asks whether to save menu-code page `index` when it has unsaved changes (Save, Discard,
    // Cancel); false when the operator cancels or the save does not happen.
    bool confirmDiscard(int index);
    // The same for every menu-code page, newest first.
    bool confirmDiscardAll();

    // Command handlers behind the actions.
    void onOpen();
    void onSave(bool askName);
    void onSetupPrinter();
    void onSetupPage();
    void onPrint();
    void onEditCommand(const char* name);
    void onSelectAll();
    void onSend();
    void onBackToCommandBox();
    void onHelp();
    void onAbout();
    void onWaveform();

    // Runs `command`, reporting an exception of the program's family in a message box.
    void guarded(const std::function<void()>& command);

    std::string keyPath_;
    LayoutRecords layout_;
    bool mode2D_ = true;
    int pictureHeight_ = 0;
    QPrinter printer_;

    MainWindowActions actions_;
    std::unique_ptr<commands::EntryDialogs> dialogs_;  // what entries that need a dialog open
    commands::CommandSelector* selector_ = nullptr;
    commands::CommandBox* commandBox_ = nullptr;
    commands::PageTabs* tabs_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    serial::SerialLogBox* log_ = nullptr;
    menucode::MenuCodePage* qrPage_ = nullptr;
    menucode::MenuCodePage* c39Page_ = nullptr;
    gui::PaneSplitter* split_ = nullptr;
    QToolBar* fileBar_ = nullptr;
    QToolBar* characterCodeBand_ = nullptr;
    QToolBar* portBand_ = nullptr;
    QToolBar* scannerBar_ = nullptr;
    QToolBar* commandBand_ = nullptr;

    std::unique_ptr<serial::SimulatedReaders> simulated_;
    serial::CodePageComboBox* codePageBox_ = nullptr;
    serial::ComPortComboBox* portBox_ = nullptr;
    std::unique_ptr<serial::ReaderConnection> connection_;
    QProgressBar* busy_ = nullptr;
    QLabel* modeLabel_ = nullptr;
    bool reconnecting_ = false;
    QString lastSaveFolder_;  // where the last page was saved, for the next Save As  // the attempt under way follows a reader that came back
};

}  // namespace omni::app

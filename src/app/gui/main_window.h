// The program's main window: menus, toolbars and bands along the top, the command selector on
// the left, the page tabs with the communication log and the menu-code pages on the right.
// Every menu, toolbar and shortcut command is routed here; picked and typed commands are
// submitted to the current menu-code page (a new one is opened when none is current).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QMainWindow>
#include <QPrinter>

#include "app/gui/layout_records.h"
#include "commands/page_item.h"
#include "serial/keyboard_reader.h"
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
namespace omni::ui {
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
namespace omni::dataedit {
struct HandedPage;
}
namespace omni::image {
class ImageStatic;
class ShotedImage;
class KesImage;
}  // namespace omni::image
namespace omni::reader {
class CaptureWorker;
class TwoDimensionModule;
enum class TriggerKind : std::int32_t;
}  // namespace omni::reader
namespace omni::serial {
class CodePageComboBox;
class ComPortComboBox;
class ReaderConnection;
class SerialLogBox;
class SimulatedReaders;
}  // namespace omni::serial

namespace omni::tools {
class WaveformHost;
}

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
    QAction* download = nullptr;
    QAction* forcedDownload = nullptr;
    // Page files, provisioning and keyboard-mode readers (main_window_pages.cpp).
    QAction* applyPage = nullptr;
    QAction* keyboardReader = nullptr;
    QAction* autoTuning = nullptr;
    QAction* waveform = nullptr;

    // Imaging (main_window_image.cpp).
    QAction* autoShoot = nullptr;
    QAction* triggerShootDown = nullptr;
    QAction* triggerShootUp = nullptr;
    QAction* triggerShootTwice = nullptr;
    QAction* shootInBackground = nullptr;
    QAction* imageOutputProperty = nullptr;
    QAction* sendImage = nullptr;
    QAction* sendCurrentImage = nullptr;  // the picture view's context menu
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

    // ---- Imaging (main_window_image.cpp) ----
    // The view that shows the current image page.
    image::ImageStatic* imageView() const { return imageView_; }
    // A picture from the connected reader, shown on a new "NewImage %d" page (or the current
    // image page while it is empty); in the shoot dialog, or without one in the background.
    void shootImage(reader::TriggerKind kind);
    void shootInBackground();
    bool backgroundShotRunning() const { return background_ != nullptr; }
    // The image output settings dialog: read from the reader, written back on OK.
    void editImageOutputSettings();
    // Opens the picture `path` on a new image page and runs the decoding test on it.
    void sendImageForDecoding(const QString& path);
    // Runs the decoding test on the current image page's picture.
    void sendCurrentImageForDecoding();
    // A picture on the clipboard opens a "Clipboard %d" page; false when there is none.
    bool pasteImage();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void connectActions();  // the File, Edit and Help actions to their commands
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

    // Firmware download into the reader's engine (main_window_firmware.cpp).
    void buildFirmwareActions();
    void downloadFirmware(bool forced);

    // Data edit programming (main_window_dataedit.cpp): the commands that open the wizards and
    // dialogs, their enabling, and the menu-code pages they hand back.
    void buildDataEdit();
    void applyDataEditEnabling();
    void runDataEdit(int which);
    void openHandedPage(const dataedit::HandedPage& page);

    // The tuning and test tools (main_window_tools.cpp).
    void buildToolActions();
    void onAutoTuning();
    // Closes the tools of the reader going away and detaches the waveform viewer.
    void closeTools();
    // Opens the menu-code page of auto tuning holding `commands`.
    void addTuningPage(const QByteArray& commands);

    // Runs `command`, reporting an exception of the program's family in a message box.
    void guarded(const std::function<void()>& command);

    // Imaging (main_window_image.cpp).
    void buildImagingActions();
    void buildImaging();
    void applyImagingState();
    reader::TwoDimensionModule& imagingModule();
    void runImaging(std::uint32_t titleId, std::uint32_t failedId,
                    const std::function<void()>& command);
    void showShotPicture(std::unique_ptr<image::ShotedImage> picture);
    void onSendImage();
    void runDecodingTest(const image::KesImage& picture, const QString& name);
    bool openImageFile(const QString& path);
    void saveImagePage(const QString& path);
    QStringList imageSaveFilters() const;
    void printImagePage(QPrinter& printer);
    void showImagePage();

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
    ui::PaneSplitter* split_ = nullptr;
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
    bool reconnecting_ = false;  // the attempt under way follows a reader that came back
    QString lastSaveFolder_;     // where the last page was saved, for the next Save As

    // ---- Page files, print-readability check, provisioning and keyboard-mode readers
    //      (main_window_pages.cpp) ----
public:
    // Opens a page file as a new menu-code page in the file's mode. Damaged lines are listed in
    // one message; the rest of the page is kept.
    void openPageFile(const QString& path);
    // Writes the current menu-code page as a page file.
    void savePageFile(const QString& path);
    // The print-readability check before the current menu-code page is printed on `printer` or
    // (printer null) saved as a picture. When the codes may not scan, asks whether to fix the
    // module size, go on as it is or stop; true to go on.
    bool confirmReadable(QPrinter* printer);
    // Communication › Apply page to readers.
    void applyPageToReaders();
    // Communication › Keyboard-mode reader in log: picks a reader and a layout and shows what it
    // types in the log, or stops when one is shown.
    void toggleKeyboardReader();
    // Shows what the reader at `node` types, holding it exclusively. Throws UserException when
    // it cannot be opened.
    void listenToKeyboardReader(const std::string& node, const QString& label,
                                serial::KeyboardLayout layout);
    bool keyboardReaderListening() const { return keyboard_ && keyboard_->isOpen(); }

private:
    static bool isPageFile(const QString& path);
    void buildPageActions();
    void stopKeyboardReader(std::uint32_t messageId);
    void logNote(const QString& text);

    std::unique_ptr<serial::KeyboardListener> keyboard_;  // stops before the log pane goes
    QString keyboardLabel_;
    std::unique_ptr<tools::WaveformHost> waveform_;

    // Imaging (main_window_image.cpp).
    image::ImageStatic* imageView_ = nullptr;
    std::unique_ptr<reader::TwoDimensionModule> imagingModule_;  // opened on first use
    std::unique_ptr<reader::CaptureWorker> background_;          // a background shot under way
    bool imagingBusy_ = false;  // a shot, settings exchange or decoding test is running
};

}  // namespace omni::app

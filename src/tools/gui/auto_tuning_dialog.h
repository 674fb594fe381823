// The "Auto Tuning" dialog: video, tuning, prefix/suffix and test/save groups over the bank
// list and the picture area. Every step with the reader runs on a worker; while one runs, all
// buttons and the close command wait. Live video runs on a thread of its own until stopped.
#pragma once

#include <QDialog>
#include <QImage>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "tools/auto_tuning.h"
#include "tools/gui/step_runner.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace omni::reader {
class TwoDimensionModule;
}
namespace omni::serial {
class ReaderConnection;
}

namespace omni::tools {

class BankList;
class PictureView;

class AutoTuningDialog : public QDialog {
    Q_OBJECT
public:
    // `connection` (connected, its receive thread stopped) outlives the dialog.
    AutoTuningDialog(serial::ReaderConnection& connection, bool mode2D, QWidget* parent = nullptr,
                     ToolTiming timing = {});
    ~AutoTuningDialog() override;

    static AutoTuningDialog* openDialog();

    AutoTuning& session() { return *session_; }
    BankList* bankList() const { return banks_; }
    PictureView* pictureView() const { return picture_; }
    bool busy() const { return runner_.busy(); }
    QPushButton* button(const char* name) const;

    void startVideo();
    void stopVideo();
    void startTuning();
    void applySelected();
    void prefixSuffix();
    void readingTest();
    void store();
    void makeMenu();
    void saveFile(const QString& path = {});

signals:
    // The recorded commands are to become the menu-code page "Input command by Auto Tuning".
    void menuPageRequested(const QByteArray& commands);
    // A message the dialog shows (title, text); tests watch it instead of a box.
    void messageShown(const QString& title, const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QPushButton* makeButton(const char* name, std::uint32_t caption);
    void buildGroups();
    void setBusy(bool busy);
    void refreshEnabling();
    void showMessage(const QString& title, const QString& text);
    void report(std::exception_ptr failure);
    void capturePicture();
    void videoLoop();
    void endVideo();

    serial::ReaderConnection& connection_;
    bool mode2D_;
    std::unique_ptr<ToolLink> link_;
    std::unique_ptr<AutoTuning> session_;
    std::unique_ptr<reader::TwoDimensionModule> module_;
    BankList* banks_;
    PictureView* picture_;
    QRadioButton* moving_ = nullptr;
    QRadioButton* stationary_ = nullptr;
    StepRunner runner_;
    bool opened_ = false;
    bool closing_ = false;

    std::thread video_;
    std::atomic<bool> videoOn_{false};
    std::mutex pictureMutex_;
    QImage captured_;
};

}  // namespace omni::tools

// The reading test ("Reading Test") and the 1D reading verification: a read-only text box that
// shows what the reader sends while the test runs, and Start/Stop (Start/End) buttons. Each
// step runs on a worker; the buttons and the close command wait while one runs. Closing while
// running stops the test first. One dialog of each kind at a time.
#pragma once

#include <QDialog>
#include <memory>

#include "tools/gui/step_runner.h"
#include "tools/reading_test.h"

class QPlainTextEdit;
class QPushButton;

namespace omni::serial {
class ReaderConnection;
}

namespace omni::tools {

class ReadingTestDialog : public QDialog {
    Q_OBJECT
public:
    // `connection` (connected) outlives the dialog; its receive thread into the log is paused
    // while the dialog is open and resumed when it closes.
    ReadingTestDialog(serial::ReaderConnection& connection, QWidget* parent = nullptr,
                      ReadingTest::Kind kind = ReadingTest::Kind::Test);
    ~ReadingTestDialog() override;

    // The dialog of this kind that is open, or null.
    static ReadingTestDialog* openDialog(ReadingTest::Kind kind);

    QPlainTextEdit* output() const { return output_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    bool busy() const { return runner_.busy(); }
    void start();
    void stop();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    class Listener;
    void appendReceived(const QByteArray& bytes);
    void setButtons(bool startOn, bool stopOn);
    void report(std::exception_ptr failure);

    serial::ReaderConnection& connection_;
    ReadingTest::Kind kind_;
    std::unique_ptr<Listener> listener_;
    std::unique_ptr<ToolLink> link_;
    std::unique_ptr<ReadingTest> test_;
    QPlainTextEdit* output_;
    QPushButton* start_;
    QPushButton* stop_;
    StepRunner runner_;
    bool closeAfterStop_ = false;
};

// The 1D reading verification, opened from the main window for 1D readers.
class ReadingPerformanceDialog : public ReadingTestDialog {
    Q_OBJECT
public:
    explicit ReadingPerformanceDialog(serial::ReaderConnection& connection,
                                      QWidget* parent = nullptr)
        : ReadingTestDialog(connection, parent, ReadingTest::Kind::Verification1D) {}
};

}  // namespace omni::tools

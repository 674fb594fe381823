#include "tools/gui/reading_test_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/gui/reader_connection.h"
#include "ui/gui/report.h"

namespace omni::tools {
namespace {

ReadingTestDialog* gOpen[2] = {nullptr, nullptr};

int slotOf(ReadingTest::Kind kind) {
    return kind == ReadingTest::Kind::Test ? 0 : 1;
}

QString text(std::uint32_t id) {
    const std::u16string_view loaded = res::loadString(id);
    return QString::fromUtf16(loaded.data(), static_cast<qsizetype>(loaded.size()));
}

}  // namespace

// Hands what the receive thread reads to the dialog on its own thread.
class ReadingTestDialog::Listener : public stream::OutputStream<char> {
public:
    explicit Listener(ReadingTestDialog* dialog) : dialog_(dialog) {}
    void write(const char* data, std::size_t count) override {
        QByteArray bytes(data, static_cast<qsizetype>(count));
        QPointer<ReadingTestDialog> dialog(dialog_);
        QMetaObject::invokeMethod(
            dialog_,
            [dialog, bytes] {
                if (dialog)
                    dialog->appendReceived(bytes);
            },
            Qt::QueuedConnection);
    }
    void put(const char* item) override { write(item, 1); }
    void flush() override {}

private:
    ReadingTestDialog* dialog_;
};

ReadingTestDialog::ReadingTestDialog(serial::ReaderConnection& connection, QWidget* parent,
                                     ReadingTest::Kind kind)
    : QDialog(parent),
      connection_(connection),
      kind_(kind),
      listener_(std::make_unique<Listener>(this)),
      output_(new QPlainTextEdit(this)),
      start_(new QPushButton(text(res::ids::ReadingTestStart), this)),
      stop_(new QPushButton(text(kind == ReadingTest::Kind::Test ? res::ids::ReadingTestStop
                                                                 : res::ids::VerificationEnd),
                            this)) {
    gOpen[slotOf(kind)] = this;
    setWindowTitle(text(kind == ReadingTest::Kind::Test ? res::ids::ReadingTestTitle
                                                        : res::ids::VerificationTitle));
    setModal(true);
    output_->setReadOnly(true);
    output_->setMinimumSize(480, 240);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(output_, 1);
    layout->addLayout(buttons);
    connect(start_, &QPushButton::clicked, this, &ReadingTestDialog::start);
    connect(stop_, &QPushButton::clicked, this, &ReadingTestDialog::stop);

    connection_.pauseReceiving();
    link_ = std::make_unique<ToolLink>(connection_.exchange(), connection_.serialPort());
    test_ = std::make_unique<ReadingTest>(*link_, listener_.get(), kind);
    if (kind == ReadingTest::Kind::Test) {
        setButtons(true, false);
    } else {
        setButtons(false, false);
        runner_.run([this] { test_->opening(); },
                    [this](std::exception_ptr failure) {
                        setButtons(true, true);
                        report(failure);
                    });
    }
}

ReadingTestDialog::~ReadingTestDialog() {
    runner_.wait();
    try {
        test_->stop();
    } catch (const foundation::Exception&) {
        // The reader has gone; there is nothing left to put back.
    }
    test_.reset();
    connection_.resumeReceiving();
    if (gOpen[slotOf(kind_)] == this)
        gOpen[slotOf(kind_)] = nullptr;
}

ReadingTestDialog* ReadingTestDialog::openDialog(ReadingTest::Kind kind) {
    return gOpen[slotOf(kind)];
}

void ReadingTestDialog::setButtons(bool startOn, bool stopOn) {
    start_->setEnabled(startOn);
    stop_->setEnabled(stopOn);
}

void ReadingTestDialog::report(std::exception_ptr failure) {
    if (const std::optional<ui::FailureText> failed = ui::failureText(failure))
        QMessageBox::warning(this, windowTitle(), failed->text);
}

void ReadingTestDialog::appendReceived(const QByteArray& bytes) {
    QString received = QString::fromLatin1(bytes);
    received.remove(QLatin1Char('\r'));
    output_->moveCursor(QTextCursor::End);
    output_->insertPlainText(received);
    output_->moveCursor(QTextCursor::End);
}

void ReadingTestDialog::start() {
    if (test_->running())
        return;
    setButtons(false, false);
    runner_.run([this] { test_->start(); },
                [this](std::exception_ptr failure) {
                    setButtons(false, test_->running());
                    if (!test_->running())
                        setButtons(true, kind_ != ReadingTest::Kind::Test);
                    report(failure);
                });
}

void ReadingTestDialog::stop() {
    setButtons(false, false);
    runner_.run([this] { test_->stop(); },
                [this](std::exception_ptr failure) {
                    setButtons(true, kind_ != ReadingTest::Kind::Test);
                    report(failure);
                    if (closeAfterStop_)
                        QDialog::reject();
                });
}

void ReadingTestDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void ReadingTestDialog::reject() {
    if (runner_.busy())
        return;  // a step runs: the close command waits for it
    if (test_->running()) {
        closeAfterStop_ = true;
        stop();
        return;
    }
    QDialog::reject();
}

}  // namespace omni::tools

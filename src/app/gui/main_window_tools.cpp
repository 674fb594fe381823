// The main window's tuning and test tools: auto tuning (or the 1D reading verification) behind
// the model gate, the menu-code page auto tuning makes, and the waveform viewer.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "app/gui/main_window.h"
#include "commands/gui/page_tabs.h"
#include "commands/menu_command.h"
#include "foundation/exception.h"
#include "menucode/menu_code_history.h"
#include "reader/command_exchange.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/gui/reader_connection.h"
#include "tools/gui/auto_tuning_dialog.h"
#include "tools/gui/reading_test_dialog.h"
#include "tools/gui/waveform_host.h"

namespace omni::app {
namespace {

QString text(std::u16string_view loaded) {
    return QString::fromUtf16(loaded.data(), static_cast<qsizetype>(loaded.size()));
}

// What the model gate opens and closes, as this window's dialogs.
class ToolHost : public reader::TuningToolHost {
public:
    ToolHost(MainWindow& window, serial::ReaderConnection& connection,
             std::function<void(const QByteArray&)> makePage)
        : window_(window), connection_(connection), makePage_(std::move(makePage)) {}

    void autoTuning(bool open) override {
        if (!open) {
            if (tools::AutoTuningDialog* dialog = tools::AutoTuningDialog::openDialog())
                dialog->close();
            return;
        }
        tools::AutoTuningDialog dialog(connection_, window_.mode2D(), &window_);
        QObject::connect(&dialog, &tools::AutoTuningDialog::menuPageRequested, &window_, makePage_);
        dialog.exec();
    }
    void readingVerification(bool open) override {
        if (!open) {
            if (auto* dialog =
                    tools::ReadingTestDialog::openDialog(tools::ReadingTest::Kind::Verification1D))
                dialog->close();
            return;
        }
        tools::ReadingPerformanceDialog dialog(connection_, &window_);
        dialog.exec();
    }
    void notSupported(std::u16string_view message, std::u16string_view caption) override {
        QMessageBox::information(&window_, text(caption), text(message));
    }

private:
    MainWindow& window_;
    serial::ReaderConnection& connection_;
    std::function<void(const QByteArray&)> makePage_;
};

}  // namespace

void MainWindow::buildToolActions() {
    actions_.autoTuning = new QAction(text(res::loadString(res::ids::ToolsAutoTuningAction)), this);
    actions_.autoTuning->setObjectName(QStringLiteral("autoTuning"));
    actions_.waveform = new QAction(text(res::loadString(res::ids::ToolsWaveformAction)), this);
    actions_.waveform->setObjectName(QStringLiteral("waveform"));
    connect(actions_.autoTuning, &QAction::triggered, this, &MainWindow::onAutoTuning);
    connect(actions_.waveform, &QAction::triggered, this, &MainWindow::onWaveform);
    if (auto* scanner = menuBar()->findChild<QMenu*>(QStringLiteral("scannerMenu"))) {
        scanner->addSeparator();
        scanner->addAction(actions_.autoTuning);
        scanner->addAction(actions_.waveform);
    }
    waveform_ = std::make_unique<tools::WaveformHost>();
}

void MainWindow::onAutoTuning() {
    if (!connected())
        return;
    ToolHost host(*this, *connection_,
                  [this](const QByteArray& commands) { addTuningPage(commands); });
    connection_->pauseReceiving();
    guarded([&] { connection_->exchange().gateTuningTool(true, host); });
    if (connected())
        connection_->resumeReceiving();
}

void MainWindow::onWaveform() {
    if (connection_ && waveform_)
        waveform_->start(*connection_, this);
}

void MainWindow::closeTools() {
    if (waveform_)
        waveform_->detach();
    if (connected()) {
        ToolHost host(*this, *connection_, {});
        guarded([&] { connection_->exchange().gateTuningTool(false, host); });
    }
}

void MainWindow::addTuningPage(const QByteArray& commands) {
    if (commands.isEmpty())
        return;
    tabs_->addMenuCodePage(commands::PageTabs::kAutoTuningMenuCode);
    const std::string_view bytes(commands.constData(), static_cast<std::size_t>(commands.size()));
    const commands::PageItem item = commands::makePageItem(
        bytes, res::loadString(res::ids::TuningPageTitle), commands::countTokens(bytes));
    showAddResult(tabs_->currentHistory()->addEntry(item));
}

}  // namespace omni::app

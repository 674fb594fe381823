// The main window's side of talking to a reader: the connection commands and their enabling
// rules, the code-page and port boxes, submitting to a connected reader, and following a reader
// that is unplugged and plugged back in.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/gui/main_window.h"
#include "commands/gui/page_tabs.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "serial/gui/code_page_combo_box.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/connection_icons.h"
#include "serial/gui/port_settings_dialog.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using commands::PageKind;
using ui::uiText;
using State = serial::ReaderConnection::State;

// How the connection enables an action beyond the port's own actions.
struct ConnectionRule {
    QAction* MainWindowActions::*member;
    bool whileDisconnected;  // enabled without a reader
    bool twoDReaderOnly;     // with a reader: only when it has a 2D engine
};
constexpr ConnectionRule kRules[] = {
    {&MainWindowActions::makeMenuCode, true, true},
    {&MainWindowActions::download, false, false},
    {&MainWindowActions::forcedDownload, false, false},
};

}  // namespace

void MainWindow::buildConnectionActions() {
    simulated_ = std::make_unique<serial::SimulatedReaders>();
    const auto add = [this](const char* name, std::uint32_t textId, std::uint32_t tipId,
                            QKeySequence key, const QIcon& icon) {
        auto* a = new QAction(uiText(textId), this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        if (!icon.isNull())
            a->setIcon(icon);
        QString tip = tipId ? uiText(tipId) : a->text().remove(QLatin1Char('&'));
        if (tip.endsWith(QLatin1String("...")))
            tip.chop(3);
        a->setIconText(tip);
        if (!key.isEmpty())
            tip += QStringLiteral(" (%1)").arg(key.toString(QKeySequence::NativeText));
        a->setToolTip(tip);
        addAction(a);
        return a;
    };
    QAction* connection = actions_.connectReader =
        add("connect", res::ids::ConnectDisconnect, res::ids::ToolConnection,
            QKeySequence(Qt::Key_F2), serial::connectionIcon());
    connection->setCheckable(true);
    connect(connection, &QAction::triggered, this, [this] { toggleConnection(); });
    QAction* property = actions_.property =
        add("property", res::ids::Property, res::ids::ToolPortSettings, QKeySequence(Qt::Key_F3),
            serial::portSettingsIcon());
    connect(property, &QAction::triggered, this, &MainWindow::showPortSettings);
    QAction* wrap = actions_.wordWrap =
        add("wordWrap", res::ids::WordWrap, 0, QKeySequence(), QIcon());
    wrap->setCheckable(true);
    connect(wrap, &QAction::triggered, this, [this](bool on) { log_->setWrap(on); });
    QAction* font = actions_.font = add("font", res::ids::Font, 0, QKeySequence(), QIcon());
    connect(font, &QAction::triggered, this, [this] { log_->chooseFont(); });
}

void MainWindow::buildConnection() {
    connection_ = std::make_unique<serial::ReaderConnection>(keyPath_, log_->chain(), *simulated_);
    connect(connection_.get(), &serial::ReaderConnection::stateChanged, this,
            &MainWindow::applyConnectionState);
    connect(connection_.get(), &serial::ReaderConnection::connected, this,
            &MainWindow::onConnected);
    connect(connection_.get(), &serial::ReaderConnection::connectFailed, this,
            &MainWindow::onConnectFailed);
    connect(connection_.get(), &serial::ReaderConnection::connectionLost, this,
            &MainWindow::onConnectionLost);
    connect(portBox_, &serial::ComPortComboBox::watchNotification, this,
            &MainWindow::onWatchNotification);
    connect(portBox_, &serial::ComPortComboBox::pathRejected, this, [this](const QString& why) {
        ui::showMessage(this, QMessageBox::Warning, uiText(res::ids::Program), why);
    });

    busy_ = new QProgressBar(this);
    busy_->setRange(0, 0);
    busy_->setMaximumWidth(120);
    busy_->setMaximumHeight(14);
    busy_->setTextVisible(false);
    busy_->hide();
    statusBar()->addPermanentWidget(busy_);
    modeLabel_ = new QLabel(this);
    modeLabel_->setObjectName(QStringLiteral("modeLabel"));
    statusBar()->addPermanentWidget(modeLabel_);
    actions_.wordWrap->setChecked(log_->wrap());
    applyConnectionState();
    // A reader that was connected when the program last closed is reconnected as soon as the
    // port box finds it: the stored watch flag makes the box report it.
}

void MainWindow::buildPortBoxes() {
    codePageBox_ = new serial::CodePageComboBox(characterCodeBand_);
    characterCodeBand_->addWidget(codePageBox_);
    serial::SimulatedReaders* simulated = simulated_.get();
    portBox_ = new serial::ComPortComboBox(
        keyPath_, [simulated] { return simulated->presentPorts(); }, portBand_);
    portBand_->addWidget(portBox_);
    characterCodeBand_->show();
    portBand_->show();
}

void MainWindow::closeConnection() {
    if (portBox_) {
        try {
            portBox_->stop();  // its poll thread asks the simulated readers, which go first
        } catch (const foundation::Exception&) {
            // A poll still enumerating ends on its own; the box's destructor reaps it.
        }
    }
    connection_.reset();
}

bool MainWindow::connected() const {
    return connection_ && connection_->isConnected();
}

bool MainWindow::readerAway() const {
    return connection_ && connection_->state() == State::Disconnected && portBox_ &&
           portBox_->watching();
}

void MainWindow::reportNotSentWhileAway(const std::string& command) {
    connection_->logMessage(
        uiText(res::ids::NotSentReaderAway)
            .arg(QString::fromStdString(command), portName(portBox_->selectedPort())));
}

QString MainWindow::portName(const serial::PortDescriptor& port) const {
    if (serial::SimulatedReaders::familyOf(port))
        return serial::portBoxLabel(port);
    return QString::fromStdString(port.device);
}

void MainWindow::toggleConnection() {
    if (connection_->state() == State::Disconnected) {
        connectToChosenPort(false);
    } else {
        disconnectReader();
    }
}

void MainWindow::connectToChosenPort(bool automatic) {
    if (!automatic) {
        // The operator connects to what the box shows, typed or picked.
        const QString reason = portBox_->takeShownText();
        if (!reason.isEmpty()) {
            applyConnectionState();
            ui::showMessage(this, QMessageBox::Warning, uiText(res::ids::Program), reason);
            return;
        }
    }
    const serial::PortDescriptor port = portBox_->selectedPort();
    if (port.empty()) {
        applyConnectionState();
        ui::showMessage(this, QMessageBox::Information, uiText(res::ids::Program),
                        uiText(res::ids::ChoosePortFirst));
        return;
    }
    reconnecting_ = automatic;
    statusBar()->showMessage(uiText(res::ids::ConnectingTo).arg(portName(port)));
    connection_->connectTo(port, portName(port));
}

void MainWindow::disconnectReader() {
    closeTools();
    portBox_->setWatching(false);
    const bool wasConnected = connected();
    connection_->disconnectFromReader();
    if (wasConnected)
        statusBar()->showMessage(uiText(res::ids::Disconnected), 5000);
    applyConnectionState();
    setFocus();
}

void MainWindow::showPortSettings() {
    const serial::PortDescriptor port = portBox_->selectedPort();
    if (port.empty()) {
        ui::showMessage(this, QMessageBox::Information, uiText(res::ids::Program),
                        uiText(res::ids::ChoosePortFirst));
        return;
    }
    serial::PortSettingsDialog dialog(keyPath_, port, this);
    dialog.exec();
}

void MainWindow::onConnected() {
    // From now on the port box tells us when this reader goes and comes back.
    portBox_->setWatching(true);
    const QString name = portName(connection_->port());
    if (connection_->identified()) {
        const QString text = uiText(res::ids::ConnectedTo)
                                 .arg(name, QString::fromStdString(connection_->firmware()));
        statusBar()->showMessage(text);
        connection_->logMessage(text);
        if (connection_->twoD() != mode2D_)
            setMode2D(connection_->twoD());
    } else {
        statusBar()->showMessage(uiText(res::ids::ConnectedBootLoader).arg(name));
        connection_->logMessage(uiText(res::ids::ConnectedBootLoader).arg(name));
    }
    applyConnectionState();
}

void MainWindow::onConnectFailed(const QString& message) {
    statusBar()->clearMessage();
    applyConnectionState();
    if (reconnecting_) {
        // Nobody asked for this attempt: say it in the log rather than in a box.
        connection_->logMessage(message);
        return;
    }
    ui::showMessage(this, QMessageBox::Warning, uiText(res::ids::Program), message);
}

void MainWindow::onConnectionLost() {
    // Lost without being asked: keep watching, so that the reader is reconnected when it returns.
    portBox_->setWatching(true);
    portBox_->rearm();
    const QString name = portName(connection_->port());
    const QString text = uiText(res::ids::UnpluggedWatching).arg(name);
    connection_->logMessage(text);
    statusBar()->showMessage(text);
    applyConnectionState();
}

void MainWindow::onWatchNotification(bool present) {
    if (present && connection_->state() == State::Disconnected) {
        connection_->logMessage(
            uiText(res::ids::BackReconnecting).arg(portName(portBox_->selectedPort())));
        connectToChosenPort(true);
    } else if (!present && connected()) {
        connection_->disconnectFromReader();
        onConnectionLost();
    }
}

void MainWindow::applyConnectionState() {
    const State state = connection_ ? connection_->state() : State::Disconnected;
    const bool isConnected = state == State::Connected;
    const bool busy = state == State::Connecting;
    // A reader that did not identify itself is taken for one of the current mode.
    const bool twoDReader =
        connection_ && connection_->identified() ? connection_->twoD() : mode2D_;

    actions_.connectReader->setChecked(isConnected || busy);
    actions_.makeMenuCodeTool->setEnabled(!busy);
    actions_.property->setEnabled(!isConnected && !busy);
    actions_.switchMode->setEnabled(!isConnected && !busy);
    for (const ConnectionRule& rule : kRules) {
        (actions_.*rule.member)
            ->setEnabled(isConnected ? (!rule.twoDReaderOnly || twoDReader)
                                     : rule.whileDisconnected);
    }
    if (portBox_)
        portBox_->setEnabled(!isConnected && !busy);
    if (busy_)
        busy_->setVisible(busy);
    updateModeLabel();
    if (busy && !QApplication::overrideCursor()) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else if (!busy && QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
    }
    applyImagingState();
}

}  // namespace omni::app

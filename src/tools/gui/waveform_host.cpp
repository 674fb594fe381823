#include "tools/gui/waveform_host.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QMessageBox>
#include <QWidget>

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/gui/reader_connection.h"

namespace omni::tools {
namespace {

constexpr int kReapIntervalMs = 100;
constexpr int kReapPolls = 100;  // about ten seconds for a viewer to end

QString text(std::u16string_view loaded) {
    return QString::fromUtf16(loaded.data(), static_cast<qsizetype>(loaded.size()));
}

}  // namespace

WaveformHost::WaveformHost(QObject* parent) : QObject(parent) {
    connect(&server_, &QLocalServer::newConnection, this, &WaveformHost::onConnection);
    reapTimer_.setInterval(kReapIntervalMs);
    connect(&reapTimer_, &QTimer::timeout, this, &WaveformHost::onReap);
}

WaveformHost::~WaveformHost() {
    detach();
}

QString WaveformHost::viewerProgram() const {
    if (!program_.isEmpty())
        return program_;
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') +
           QString::fromLatin1(kWaveformProgram.data(),
                               static_cast<qsizetype>(kWaveformProgram.size()));
}

void WaveformHost::start(serial::ReaderConnection& connection, QWidget* window) {
    if (!connection.isConnected() || connection.model().empty())
        return;
    if (connection.model().substr(0, 31) != kWaveformModel) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                        text(res::loadString(res::ids::ModelNotSupported)), QMessageBox::Ok,
                        window);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return;
    }
    if (attached())
        return;
    if (!server_.isListening()) {
        const QString name = QStringLiteral("omnisetup-waveform-%1").arg(::getpid());
        QLocalServer::removeServer(name);
        server_.listen(name);
    }
    connection_ = &connection;
    link_ = std::make_unique<WaveformLink>(connection.serialPort(), connection.exchange(),
                                           memoryName_, lockName_);
    try {
        link_->start(connection.model(), viewerProgram().toStdString(),
                     server_.serverName().toStdString());
    } catch (const foundation::Exception& e) {
        link_.reset();
        QMessageBox::warning(window, QStringLiteral("OmniSetup"),
                             text(res::format(res::ids::WaveformCannotStart, {e.text()})));
    }
}

void WaveformHost::detach() {
    if (link_)
        link_->detach();
}

void WaveformHost::onConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onRequests(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            detach();  // the viewer has gone
            socket->deleteLater();
            if (link_ && link_->reapViewers() > 0) {
                reapPolls_ = 0;
                reapTimer_.start();
            }
        });
    }
}

void WaveformHost::onRequests(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(64);
        std::optional<WaveformRequest> request =
            parseRequest(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
        if (!request || !link_)
            continue;
        try {
            link_->request(*request);
        } catch (const foundation::Exception&) {
            // The reader went away; the connection reports that on its own.
        }
    }
}

void WaveformHost::onReap() {
    if (!link_ || link_->reapViewers() == 0 || ++reapPolls_ >= kReapPolls)
        reapTimer_.stop();
}

}  // namespace omni::tools

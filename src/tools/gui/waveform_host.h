// The desktop program's side of the waveform viewer: attaches the shared block to the
// connection's port, starts the viewer beside the program with the name of a local socket, and
// carries out the requests that arrive on that socket. The viewer going away detaches.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "tools/waveform_link.h"

class QLocalSocket;
class QWidget;

namespace omni::serial {
class ReaderConnection;
}

namespace omni::tools {

class WaveformHost : public QObject {
    Q_OBJECT
public:
    explicit WaveformHost(QObject* parent = nullptr);
    ~WaveformHost() override;

    // Starts the viewer for the connected reader: nothing without a model text, message 773
    // (over `window`) for a model other than the one the viewer supports, nothing while a
    // viewer is attached. A failure to start is shown over `window`.
    void start(serial::ReaderConnection& connection, QWidget* window);
    void detach();
    bool attached() const { return link_ && link_->attached(); }
    int viewerProcess() const { return link_ ? link_->viewerProcess() : -1; }
    QString socketName() const { return server_.serverName(); }
    // The viewer program: beside this one unless set (tests set a stand-in).
    QString viewerProgram() const;
    void setViewerProgram(const QString& program) { program_ = program; }
    // Other names for the block and its lock (tests keep to their own).
    void setNames(std::string memory, std::string lock) {
        memoryName_ = std::move(memory);
        lockName_ = std::move(lock);
    }

private:
    void onConnection();
    void onRequests(QLocalSocket* socket);
    void onReap();

    QLocalServer server_;
    // Polls for a viewer that is still ending after it went away, so it leaves no zombie behind.
    QTimer reapTimer_;
    int reapPolls_ = 0;
    std::unique_ptr<WaveformLink> link_;
    serial::ReaderConnection* connection_ = nullptr;
    QString program_;
    std::string memoryName_{kWaveformMemoryName};
    std::string lockName_{kWaveformLockName};
};

}  // namespace omni::tools

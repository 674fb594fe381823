#include "dataedit/gui/wizard_link.h"

#include <QPointer>

#include "dataedit/exchange_link.h"
#include "foundation/exception.h"
#include "serial/gui/reader_connection.h"
#include "stream/stream.h"
#include "ui/gui/report.h"

namespace omni::dataedit {

// Takes what the receive thread reads and hands it to the user-interface thread. Bytes are
// Latin-1 text: the reader's output in the dialogs is ASCII.
class WizardLink::Listener : public stream::OutputStream<char> {
public:
    explicit Listener(WizardLink* link) : link_(link) {}
    void write(const char* data, std::size_t count) override {
        const QString text = QString::fromLatin1(data, static_cast<qsizetype>(count));
        QPointer<WizardLink> link = link_;
        QMetaObject::invokeMethod(
            link_,
            [link, text] {
                if (link && link->listening_)
                    emit link->received(text);
            },
            Qt::QueuedConnection);
    }
    void put(const char* item) override { write(item, 1); }
    void flush() override {}

private:
    WizardLink* link_;
};

WizardLink::WizardLink(serial::ReaderConnection* connection, QObject* parent)
    : QObject(parent), connection_(connection), listener_(std::make_unique<Listener>(this)) {
    if (isOpen()) {
        connection_->pauseReceiving();
        paused_ = true;
    }
}

WizardLink::~WizardLink() {
    stopListening();
    // A reading under way ends at once instead of waiting out a silent reader.
    if (reading_ && connection_)
        connection_->serialPort().cancelWait();
    joinWorker();
    if (paused_ && connection_)
        connection_->resumeReceiving();
}

bool WizardLink::isOpen() const {
    return connection_ && connection_->isConnected();
}

bool WizardLink::send(std::string_view command, QWidget* parent) {
    if (!isOpen())
        return false;
    try {
        connection_->send(command);
        return true;
    } catch (const foundation::Exception& e) {
        ui::reportException(parent, e);
        return false;
    }
}

void WizardLink::joinWorker() {
    if (worker_.joinable())
        worker_.join();
}

void WizardLink::readPrograms() {
    if (reading_)
        return;
    if (!isOpen()) {
        emit programsRead(StoredPrograms{});
        return;
    }
    const bool wasListening = listening_;
    stopListening();
    joinWorker();
    reading_ = true;
    QPointer<WizardLink> self = this;
    reader::CommandExchange* exchange = &connection_->exchange();
    stream::Communicator<char>* port = &connection_->serialPort();
    worker_ = std::thread([self, exchange, port, wasListening, target = this] {
        StoredPrograms programs;
        try {
            programs = ReadStoredPrograms(*exchange, *port);
        } catch (const foundation::Exception&) {
            // The reader went away: the boxes stay empty and the connection reports the loss.
        }
        QMetaObject::invokeMethod(
            target,
            [self, programs, wasListening] {
                if (!self)
                    return;
                self->reading_ = false;
                if (wasListening)
                    self->startListening();
                emit self->programsRead(programs);
            },
            Qt::QueuedConnection);
    });
}

void WizardLink::startListening() {
    if (!isOpen() || reading_)
        return;
    listening_ = true;
    connection_->serialPort().startReceiving(listener_.get());
}

void WizardLink::stopListening() {
    if (!listening_)
        return;
    listening_ = false;
    if (connection_)
        connection_->serialPort().stop();
}

}  // namespace omni::dataedit

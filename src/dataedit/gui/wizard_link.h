// How the data edit dialogs reach the reader: the main window's connection while one is open,
// nothing otherwise.
//
// While a dialog runs, the port's receive thread feeds the dialog instead of the communication
// log (the test page and the GS1 sample box show what the reader sends); the log gets it back
// when the link is destroyed. Reading the stored programs is a request/reply exchange: it runs on
// a worker thread with receiving stopped, so the dialog keeps answering.
//
// Threads: every public function belongs to the user-interface thread; signals arrive there.
#pragma once

#include <atomic>
#include <memory>
#include <string_view>
#include <thread>

#include <QObject>
#include <QString>

#include "dataedit/stored_programs.h"

namespace omni::serial {
class ReaderConnection;
}

namespace omni::dataedit {

class WizardLink : public QObject {
    Q_OBJECT
public:
    // `connection` may be null or closed: the dialogs then show menu codes instead of sending.
    explicit WizardLink(serial::ReaderConnection* connection, QObject* parent = nullptr);
    // Stops listening, waits for a reading under way and gives receiving back to the log.
    ~WizardLink() override;

    bool isOpen() const;

    // Sends one command. A failing link is reported in a message box over `parent` and closes
    // the connection's way; returns false then (and when there is no link).
    bool send(std::string_view command, QWidget* parent);

    // Reads the four stored programs in the background; programsRead() follows (at once with
    // four empty pairs when there is no link). A reading under way is not started twice.
    void readPrograms();
    bool reading() const { return reading_; }

    // Everything the reader sends arrives as received() until stopListening().
    void startListening();
    void stopListening();
    bool listening() const { return listening_; }

signals:
    void programsRead(const omni::dataedit::StoredPrograms& programs);
    void received(const QString& text);

private:
    class Listener;
    void joinWorker();

    serial::ReaderConnection* connection_;
    std::unique_ptr<Listener> listener_;
    std::thread worker_;
    bool reading_ = false;
    bool listening_ = false;
    bool paused_ = false;
};

}  // namespace omni::dataedit

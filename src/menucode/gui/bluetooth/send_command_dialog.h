// The send-command dialog: sends a time adjustment (with the computer's clock shown live) or a
// device name to the connected reader. "Send" is enabled only while a port is open; after a
// successful send the dialog closes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <QDialog>

#include "commands/compose/bluetooth.h"
#include "stream/stream.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace omni::menucode::bluetooth {

class SendCommandDialog : public QDialog {
    Q_OBJECT
public:
    using Clock = std::function<commands::compose::DateTime()>;

    // `port` is the open connection, or null. `mode` is 823 (time adjustment) or 824 (device
    // name).
    SendCommandDialog(bool mode2D, stream::OutputStream<char>* port, std::uint32_t mode,
                      QWidget* parent = nullptr);

    // The clock shown in the time mode (the local time unless a test sets another).
    void setClock(Clock clock);

    // Writes the commands; closes the dialog when they were written, reports an error and stays
    // open otherwise.
    void send();

    QLabel* clockLabel() const { return clock_; }
    QLineEdit* nameEdit() const { return name_; }
    QCheckBox* initializeBox() const { return initialize_; }
    QPushButton* sendButton() const { return send_; }

private:
    void tick();
    void filterName();
    void updateControls();

    bool mode2D_;
    stream::OutputStream<char>* port_;
    std::uint32_t mode_;
    Clock clockSource_;
    QLabel* clock_;
    QLineEdit* name_;
    QCheckBox* initialize_;
    QPushButton* send_;
    QTimer* timer_;
};

// Runs the dialog modally.
void showSendCommand(QWidget* parent, std::string_view command, bool mode2D,
                     stream::OutputStream<char>* port, std::uint32_t mode);

}  // namespace omni::menucode::bluetooth

// The port settings dialog (Property): baud rate, data bits, parity, stop bits and flow control
// of one port, stored as that port's line-settings record when accepted. The port is opened with
// them the next time it is opened.
#pragma once

#include <string>

#include <QDialog>

#include "serial/line_settings.h"

class QComboBox;

namespace omni::serial {

class PortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the stored settings of `port` under `keyPath`.
    PortSettingsDialog(std::string keyPath, PortDescriptor port, QWidget* parent = nullptr);

    // The settings as the dialog shows them now. Throws UserException for a baud rate that is
    // not a number the system supports.
    LineSettings settings() const;
    void setSettings(const LineSettings& settings);

    QComboBox* baudRate() const { return baud_; }
    QComboBox* dataBits() const { return dataBits_; }
    QComboBox* parity() const { return parity_; }
    QComboBox* stopBits() const { return stopBits_; }
    QComboBox* flowControl() const { return flow_; }

    // Stores the settings and closes; a bad baud rate is reported and the dialog stays.
    void accept() override;

private:
    std::string keyPath_;
    PortDescriptor port_;
    LineSettings loaded_;
    QComboBox* baud_;
    QComboBox* dataBits_;
    QComboBox* parity_;
    QComboBox* stopBits_;
    QComboBox* flow_;
};

}  // namespace omni::serial

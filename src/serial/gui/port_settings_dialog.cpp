#include "serial/gui/port_settings_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "serial/gui/com_port_combo_box.h"
#include "ui/gui/dialog_buttons.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::serial {
namespace {

using ui::uiText;

constexpr std::uint32_t kBaudRates[] = {1200,  2400,  4800,   9600,   19200,
                                        38400, 57600, 115200, 230400, 460800};

QComboBox* makeCombo(QWidget* parent, const char* name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    return combo;
}

int indexOfData(const QComboBox* combo, int value) {
    const int index = combo->findData(value);
    return index < 0 ? 0 : index;
}

}  // namespace

PortSettingsDialog::PortSettingsDialog(std::string keyPath, PortDescriptor port, QWidget* parent)
    : QDialog(parent),
      keyPath_(std::move(keyPath)),
      port_(std::move(port)),
      loaded_(loadLineSettings(keyPath_, port_)),
      baud_(makeCombo(this, "baudRate")),
      dataBits_(makeCombo(this, "dataBits")),
      parity_(makeCombo(this, "parity")),
      stopBits_(makeCombo(this, "stopBits")),
      flow_(makeCombo(this, "flowControl")) {
    setObjectName(QStringLiteral("PortSettingsDialog"));
    setWindowTitle(uiText(res::ids::SettingsTitle).arg(portBoxLabel(port_)));

    baud_->setEditable(true);
    baud_->setInsertPolicy(QComboBox::NoInsert);
    for (std::uint32_t rate : kBaudRates)
        baud_->addItem(QString::number(rate));
    for (int bits = 5; bits <= 8; ++bits)
        dataBits_->addItem(QString::number(bits), bits);
    const std::pair<std::uint32_t, Parity> parities[] = {{res::ids::ParityNone, Parity::None},
                                                         {res::ids::ParityOdd, Parity::Odd},
                                                         {res::ids::ParityEven, Parity::Even},
                                                         {res::ids::ParityMark, Parity::Mark},
                                                         {res::ids::ParitySpace, Parity::Space}};
    for (const auto& [text, value] : parities)
        parity_->addItem(uiText(text), static_cast<int>(value));
    stopBits_->addItem(QStringLiteral("1"), static_cast<int>(StopBits::One));
    stopBits_->addItem(QStringLiteral("1.5"), static_cast<int>(StopBits::OneAndHalf));
    stopBits_->addItem(QStringLiteral("2"), static_cast<int>(StopBits::Two));
    flow_->addItem(uiText(res::ids::ParityNone), static_cast<int>(FlowControl::None));
    flow_->addItem(uiText(res::ids::FlowHardware), static_cast<int>(FlowControl::Hardware));
    flow_->addItem(uiText(res::ids::FlowSoftware), static_cast<int>(FlowControl::Software));

    auto* form = new QFormLayout;
    form->addRow(uiText(res::ids::BaudRate), baud_);
    form->addRow(uiText(res::ids::DataBits), dataBits_);
    form->addRow(uiText(res::ids::Parity), parity_);
    form->addRow(uiText(res::ids::StopBits), stopBits_);
    form->addRow(uiText(res::ids::FlowControl), flow_);
    auto* note = new QLabel(uiText(res::ids::SettingsApplyNextTime), this);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    ui::addOkCancel(this, layout);

    setSettings(loaded_);
}

void PortSettingsDialog::setSettings(const LineSettings& settings) {
    baud_->setEditText(QString::number(settings.baudRate));
    dataBits_->setCurrentIndex(indexOfData(dataBits_, settings.dataBits));
    parity_->setCurrentIndex(indexOfData(parity_, static_cast<int>(settings.parity)));
    stopBits_->setCurrentIndex(indexOfData(stopBits_, static_cast<int>(settings.stopBits)));
    flow_->setCurrentIndex(indexOfData(flow_, static_cast<int>(settings.flowControl)));
}

LineSettings PortSettingsDialog::settings() const {
    LineSettings settings = loaded_;
    const QString text = baud_->currentText().trimmed();
    bool ok = false;
    const uint baud = text.toUInt(&ok);
    settings.baudRate = baud;
    settings.dataBits = static_cast<std::uint8_t>(dataBits_->currentData().toInt());
    settings.parity = static_cast<Parity>(parity_->currentData().toInt());
    settings.stopBits = static_cast<StopBits>(stopBits_->currentData().toInt());
    settings.flowControl = static_cast<FlowControl>(flow_->currentData().toInt());
    bool supported = ok && baud > 0;
    if (supported) {
        try {
            toTermios(settings, termios{});
        } catch (const foundation::Exception&) {
            supported = false;
        }
    }
    if (!supported) {
        throw foundation::UserException(foundation::UserException::BadInput,
                                        ui::toU16(uiText(res::ids::BadBaudRate).arg(text)));
    }
    return settings;
}

void PortSettingsDialog::accept() {
    try {
        storeLineSettings(keyPath_, port_, settings());
    } catch (const foundation::Exception& error) {
        ui::reportException(this, error);
        baud_->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace omni::serial

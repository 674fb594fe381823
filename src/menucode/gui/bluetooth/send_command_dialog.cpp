#include "menucode/gui/bluetooth/send_command_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "ui/gui/dialog_buttons.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::menucode::bluetooth {
namespace {

using namespace omni::commands::compose;
constexpr int kClockRefreshMs = 100;
// Pixel height of the clock's digits.
constexpr int kClockPixels = 20;

}  // namespace

SendCommandDialog::SendCommandDialog(bool mode2D, stream::OutputStream<char>* port,
                                     std::uint32_t mode, QWidget* parent)
    : QDialog(parent), mode2D_(mode2D), port_(port), mode_(mode), clockSource_(&localDateTime) {
    setWindowTitle(ui::uiText(mode));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;

    auto* clockCaption = new QLabel(ui::uiText(res::ids::CurrentTime), this);
    clock_ = new QLabel(this);
    QFont clockFont = clock_->font();
    clockFont.setPixelSize(kClockPixels);
    clock_->setFont(clockFont);
    clock_->setAlignment(Qt::AlignCenter);
    clock_->setMinimumWidth(
        clock_->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) + 40);
    grid->addWidget(clockCaption, 0, 0, 1, 2);
    grid->addWidget(clock_, 1, 0, 1, 2);

    auto* nameCaption = new QLabel(ui::uiText(res::ids::Value), this);
    name_ = new QLineEdit(this);
    name_->setMaxLength(static_cast<int>(kDeviceNameMaxLength));
    name_->setMinimumWidth(name_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 20);
    auto* available = new QLabel(ui::uiText(res::ids::AvailableCharacters), this);
    auto* characters = new QLabel(ui::uiText(res::ids::DeviceNameCharacters), this);
    initialize_ = new QCheckBox(ui::uiText(res::ids::Initialize), this);
    grid->addWidget(nameCaption, 2, 0);
    grid->addWidget(name_, 2, 1);
    grid->addWidget(available, 3, 1);
    grid->addWidget(characters, 4, 1);
    grid->addWidget(initialize_, 5, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch(1);

    send_ = ui::addDialogButtons(this, layout, res::ids::BluetoothSend, res::ids::Cancel,
                                 [this] { send(); });

    const SendCommandControls controls = sendCommandControls(mode, false, port != nullptr);
    for (QWidget* widget : {static_cast<QWidget*>(clockCaption), static_cast<QWidget*>(clock_)}) {
        widget->setVisible(controls.clockVisible);
    }
    for (QWidget* widget : {static_cast<QWidget*>(nameCaption), static_cast<QWidget*>(name_),
                            static_cast<QWidget*>(available), static_cast<QWidget*>(characters)}) {
        widget->setVisible(controls.valueVisible);
    }
    initialize_->setVisible(controls.initializeVisible);

    connect(name_, &QLineEdit::textEdited, this, &SendCommandDialog::filterName);
    connect(initialize_, &QCheckBox::toggled, this, &SendCommandDialog::updateControls);

    timer_ = new QTimer(this);
    if (controls.clockVisible) {
        connect(timer_, &QTimer::timeout, this, &SendCommandDialog::tick);
        timer_->start(kClockRefreshMs);
        tick();
    }
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 26);
    updateControls();
}

void SendCommandDialog::setClock(Clock clock) {
    clockSource_ = std::move(clock);
    if (mode_ == res::ids::TimeAdjustment)
        tick();
}

void SendCommandDialog::tick() {
    clock_->setText(QString::fromLatin1(clockText(clockSource_())));
}

void SendCommandDialog::filterName() {
    const QString typed = name_->text();
    const QString kept = ui::toQString(filterDeviceName(ui::toU16(typed)));
    if (kept != typed)
        name_->setText(kept);
    name_->setCursorPosition(static_cast<int>(kept.size()));
}

void SendCommandDialog::updateControls() {
    const SendCommandControls controls =
        sendCommandControls(mode_, initialize_->isChecked(), port_ != nullptr);
    name_->setEnabled(controls.valueEnabled);
    send_->setEnabled(controls.sendEnabled);
}

void SendCommandDialog::send() {
    if (!port_ || !send_->isEnabled())
        return;
    std::vector<std::string> writes;
    if (mode_ == res::ids::TimeAdjustment) {
        // The time sent is the one on the screen.
        const auto shown = parseClockText(clock_->text().toStdString());
        if (!shown)
            return;
        writes = timeAdjustmentWrites(*shown, mode2D_);
    } else if (mode_ == res::ids::DeviceName) {
        writes = deviceNameWrites(ui::toU16(name_->text()), initialize_->isChecked(), mode2D_);
    } else {
        return;
    }
    try {
        for (const std::string& piece : writes)
            port_->write(piece.data(), piece.size());
        port_->flush();
    } catch (const foundation::Exception& error) {
        ui::reportException(this, error);
        return;
    }
    accept();
}

void showSendCommand(QWidget* parent, std::string_view, bool mode2D,
                     stream::OutputStream<char>* port, std::uint32_t mode) {
    SendCommandDialog dialog(mode2D, port, mode, parent);
    dialog.exec();
}

}  // namespace omni::menucode::bluetooth

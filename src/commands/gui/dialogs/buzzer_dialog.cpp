#include "commands/gui/dialogs/buzzer_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::commands::dialogs {
namespace {

using namespace omni::commands::compose;

template <typename Enum>
std::optional<Enum> chosenAs(const ChoiceGroup& group) {
    const int id = group.chosen();
    return id < 0 ? std::nullopt : std::optional<Enum>(static_cast<Enum>(id));
}

template <typename Enum>
int idOf(const std::optional<Enum>& value) {
    return value ? static_cast<int>(*value) : -1;
}

// One Enable/Disable pair on a row of `grid`, captioned by a label in the first column.
QLabel* addToggleRow(QGridLayout* grid, int row, std::uint32_t captionId, ChoiceGroup& group,
                     QWidget* parent) {
    auto* caption = new QLabel(ui::uiText(captionId), parent);
    grid->addWidget(caption, row, 0);
    grid->addWidget(group.add(res::ids::Enable, 1, parent), row, 1);
    grid->addWidget(group.add(res::ids::Disable, 2, parent), row, 2);
    return caption;
}

}  // namespace

BuzzerDialog::BuzzerDialog(std::string_view command, bool mode2D, QWidget* parent)
    : IndicatorDialog(res::ids::BuzzerCaption, command, mode2D, parent) {
    content()->addWidget(choiceRow(res::ids::Volume, volume_,
                                   {res::ids::VolumeSmall, res::ids::VolumeNormal,
                                    res::ids::VolumeLoud, res::ids::VolumeMaximum},
                                   this));

    auto* goodRead =
        goodReadGroup(res::ids::GoodReadBuzzer, goodRead_, duration_,
                      {res::ids::Buzzer50ms, res::ids::Buzzer75ms, res::ids::Buzzer100ms,
                       res::ids::Buzzer200ms, res::ids::Buzzer400ms},
                      this);
    auto* tone = new QGroupBox(ui::uiText(res::ids::Tone), goodRead);
    auto* toneLayout = new QGridLayout(tone);
    toneLayout->addWidget(tone_.add(res::ids::ToneMiddle, int(BuzzerTone::Middle), tone), 0, 0);
    toneLayout->addWidget(tone_.add(res::ids::ToneHighToLow, int(BuzzerTone::HighToLow), tone), 0,
                          1);
    toneLayout->addWidget(tone_.add(res::ids::ToneLowToHigh, int(BuzzerTone::LowToHigh), tone), 0,
                          2);
    toneLayout->addWidget(tone_.add(res::ids::ToneCustom, int(BuzzerTone::CustomFrequency), tone),
                          1, 0);
    auto* frequencyRow = new QHBoxLayout;
    frequency_ = new NumberBox(kFrequencyMin, kFrequencyMax, kFrequencyStart, tone);
    frequencyUnit_ = new QLabel(ui::uiText(res::ids::FrequencyUnit), tone);
    frequencyRow->addWidget(frequency_);
    frequencyRow->addWidget(frequencyUnit_);
    frequencyRow->addStretch(1);
    toneLayout->addLayout(frequencyRow, 1, 1, 1, 2);
    toneLayout->setColumnStretch(3, 1);
    goodRead->layout()->addWidget(tone);
    content()->addWidget(goodRead);

    auto* others = new QGroupBox(this);
    auto* grid = new QGridLayout(others);
    addToggleRow(grid, 0, res::ids::StartupBuzzer, startup_, others);
    readTimeoutCaption_ = addToggleRow(grid, 1, res::ids::ReadTimeoutBuzzer, readTimeout_, others);
    grid->setColumnStretch(3, 1);
    content()->addWidget(others);

    // The intermediate buzzer: one pair for 2D readers, one per symbology for 1D readers.
    auto* intermediate = new QGroupBox(ui::uiText(res::ids::IntermediateBuzzer), this);
    auto* intermediateLayout = new QVBoxLayout(intermediate);
    intermediate2D_ = new QWidget(intermediate);
    auto* pair = new QHBoxLayout(intermediate2D_);
    pair->setContentsMargins(0, 0, 0, 0);
    pair->addWidget(intermediate_.add(res::ids::Enable, 1, intermediate2D_));
    pair->addWidget(intermediate_.add(res::ids::Disable, 2, intermediate2D_));
    pair->addStretch(1);
    intermediate1D_ = new QWidget(intermediate);
    auto* rows = new QGridLayout(intermediate1D_);
    rows->setContentsMargins(0, 0, 0, 0);
    addToggleRow(rows, 0, res::ids::Gs1DataBar, dataBar_, intermediate1D_);
    addToggleRow(rows, 1, res::ids::PdfMicroPdf417, pdf417_, intermediate1D_);
    rows->setColumnStretch(3, 1);
    intermediateLayout->addWidget(intermediate2D_);
    intermediateLayout->addWidget(intermediate1D_);
    content()->addWidget(intermediate);

    for (ChoiceGroup* group : {&volume_, &goodRead_, &duration_, &tone_, &startup_, &readTimeout_,
                               &intermediate_, &dataBar_, &pdf417_}) {
        connect(group, &ChoiceGroup::changed, this, &BuzzerDialog::updateControls);
    }
    updateControls();
}

commands::compose::BuzzerChoices BuzzerDialog::choices() {
    commands::compose::BuzzerChoices c;
    c.volume = chosenAs<commands::compose::BuzzerVolume>(volume_);
    c.goodRead = goodRead_.toggle();
    c.duration = chosenAs<commands::compose::BuzzerDuration>(duration_);
    c.tone = chosenAs<commands::compose::BuzzerTone>(tone_);
    c.frequency = frequency_->enteredValue();
    c.startup = startup_.toggle();
    c.readTimeout = readTimeout_.toggle();
    c.intermediate = intermediate_.toggle();
    c.intermediateDataBar = dataBar_.toggle();
    c.intermediatePdf417 = pdf417_.toggle();
    return c;
}

void BuzzerDialog::showChoices(const commands::compose::BuzzerChoices& c) {
    volume_.choose(idOf(c.volume));
    goodRead_.setToggle(c.goodRead);
    duration_.choose(idOf(c.duration));
    tone_.choose(idOf(c.tone));
    frequency_->setValue(c.frequency);
    startup_.setToggle(c.startup);
    readTimeout_.setToggle(c.readTimeout);
    intermediate_.setToggle(c.intermediate);
    dataBar_.setToggle(c.intermediateDataBar);
    pdf417_.setToggle(c.intermediatePdf417);
    updateControls();
}

void BuzzerDialog::updateControls() {
    const commands::compose::BuzzerControls controls = buzzerControls(choices(), mode2D_);
    volume_.setEnabled(controls.volumeEnabled);
    duration_.setEnabled(controls.durationEnabled);
    duration_.button(int(commands::compose::BuzzerDuration::Ms75))
        ->setVisible(controls.duration75Visible);
    tone_.setEnabled(controls.toneEnabled);
    frequency_->setEnabled(controls.frequencyEnabled);
    frequencyUnit_->setEnabled(controls.frequencyEnabled);
    readTimeout_.setEnabled(controls.readTimeoutEnabled);
    readTimeoutCaption_->setEnabled(controls.readTimeoutEnabled);
    intermediate2D_->setVisible(controls.intermediateVisible);
    intermediate1D_->setVisible(controls.intermediate1DVisible);
}

}  // namespace omni::commands::dialogs

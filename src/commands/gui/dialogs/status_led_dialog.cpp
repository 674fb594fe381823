#include "commands/gui/dialogs/status_led_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::commands::dialogs {
namespace {

using namespace omni::commands::compose;

constexpr std::uint32_t kStateCaptions[kLedStates] = {res::ids::GoodReadLed, res::ids::LedNG,
                                                      res::ids::StandDetection};
constexpr std::uint32_t kChannelCaptions[3] = {res::ids::Red, res::ids::Green, res::ids::Blue};

}  // namespace

StatusLedDialog::StatusLedDialog(std::string_view command, bool mode2D, QWidget* parent)
    : IndicatorDialog(res::ids::StatusLedCaption, command, mode2D, parent) {
    content()->addWidget(choiceRow(
        res::ids::LedDuration, duration_,
        {res::ids::LedOff, res::ids::Led01s, res::ids::Led02s, res::ids::Led04s, res::ids::Led08s},
        this));
    content()->addWidget(togglePair(res::ids::LedInversion, inversion_, this));

    auto* colour = new QGroupBox(ui::uiText(res::ids::LedColor), this);
    auto* colourLayout = new QVBoxLayout(colour);
    configure_ = new QCheckBox(ui::uiText(res::ids::EnableConfiguration), colour);
    colourLayout->addWidget(configure_);
    auto* grid = new QGridLayout;
    for (int channel = 0; channel < 3; ++channel) {
        auto* caption = new QLabel(ui::uiText(kChannelCaptions[channel]), colour);
        caption->setAlignment(Qt::AlignCenter);
        grid->addWidget(caption, 0, channel + 1);
    }
    const int swatchSide = fontMetrics().height() + 6;
    for (int state = 0; state < kLedStates; ++state) {
        grid->addWidget(new QLabel(ui::uiText(kStateCaptions[state]), colour), state + 1, 0);
        for (int channel = 0; channel < 3; ++channel) {
            auto* combo = new QComboBox(colour);
            for (const char* name : kLedLevelNames)
                combo->addItem(QString::fromLatin1(name));
            grid->addWidget(combo, state + 1, channel + 1);
            levels_[state][channel] = combo;
            connect(combo, &QComboBox::currentIndexChanged, this, &StatusLedDialog::updateControls);
        }
        auto* swatch = new QFrame(colour);
        swatch->setFrameShape(QFrame::Box);
        swatch->setFixedSize(swatchSide * 2, swatchSide);
        swatch->setAutoFillBackground(true);
        grid->addWidget(swatch, state + 1, 4);
        swatches_[state] = swatch;
    }
    grid->setColumnStretch(5, 1);
    colourLayout->addLayout(grid);
    content()->addWidget(colour);

    connect(configure_, &QCheckBox::toggled, this, &StatusLedDialog::updateControls);
    showChoices(commands::compose::StatusLedChoices{});
}

commands::compose::StatusLedChoices StatusLedDialog::choices() const {
    commands::compose::StatusLedChoices c;
    const int duration = duration_.chosen();
    if (duration >= 0)
        c.duration = static_cast<commands::compose::LedDuration>(duration);
    c.inversion = inversion_.toggle();
    c.configureColours = configure_->isChecked();
    for (int state = 0; state < kLedStates; ++state) {
        c.colours[state] = {levels_[state][0]->currentIndex(), levels_[state][1]->currentIndex(),
                            levels_[state][2]->currentIndex()};
    }
    return c;
}

void StatusLedDialog::showChoices(const commands::compose::StatusLedChoices& c) {
    duration_.choose(c.duration ? static_cast<int>(*c.duration) : -1);
    inversion_.setToggle(c.inversion);
    configure_->setChecked(c.configureColours);
    for (int state = 0; state < kLedStates; ++state) {
        const commands::compose::LedColour& colour = c.colours[state];
        levels_[state][0]->setCurrentIndex(colour.red);
        levels_[state][1]->setCurrentIndex(colour.green);
        levels_[state][2]->setCurrentIndex(colour.blue);
    }
    updateControls();
}

QComboBox* StatusLedDialog::level(commands::compose::LedState state, int channel) const {
    return levels_[static_cast<int>(state)][channel];
}

QColor StatusLedDialog::swatch(commands::compose::LedState state) const {
    return swatches_[static_cast<int>(state)]->palette().color(QPalette::Window);
}

void StatusLedDialog::updateControls() {
    const commands::compose::StatusLedChoices c = choices();
    const bool enabled = colourCombosEnabled(c);
    for (int state = 0; state < kLedStates; ++state) {
        for (QComboBox* combo : levels_[state])
            combo->setEnabled(enabled);
        const commands::compose::Rgb rgb = swatchColour(c.colours[state]);
        QPalette palette = swatches_[state]->palette();
        palette.setColor(QPalette::Window, QColor(rgb.red, rgb.green, rgb.blue));
        swatches_[state]->setPalette(palette);
    }
}

}  // namespace omni::commands::dialogs

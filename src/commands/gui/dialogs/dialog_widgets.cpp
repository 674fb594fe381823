#include "commands/gui/dialogs/dialog_widgets.h"

#include <algorithm>

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::commands::dialogs {
namespace {

// Button ids of an Enable/Disable pair.
enum ToggleButton : int { kEnableId = 1, kDisableId = 2 };

// Typed numbers longer than this are refused outright; anything shorter is clamped.
constexpr int kMaxTypedDigits = 6;

}  // namespace

// --- ChoiceGroup ---

ChoiceGroup::ChoiceGroup(QObject* parent) : QObject(parent), group_(new QButtonGroup(this)) {
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            Q_EMIT changed();
    });
}

QRadioButton* ChoiceGroup::add(std::uint32_t textId, int id, QWidget* parent) {
    auto* button = new QRadioButton(ui::uiText(textId), parent);
    group_->addButton(button, id);
    return button;
}

QRadioButton* ChoiceGroup::button(int id) const {
    return qobject_cast<QRadioButton*>(group_->button(id));
}

int ChoiceGroup::chosen() const {
    return group_->checkedId();
}

void ChoiceGroup::choose(int id) {
    if (id >= 0) {
        if (QAbstractButton* button = group_->button(id))
            button->setChecked(true);
        return;
    }
    if (!group_->checkedButton())
        return;
    // An exclusive group keeps one button checked; lift that while clearing.
    group_->setExclusive(false);
    for (QAbstractButton* button : group_->buttons())
        button->setChecked(false);
    group_->setExclusive(true);
    Q_EMIT changed();
}

void ChoiceGroup::setEnabled(bool enabled) {
    for (QAbstractButton* button : group_->buttons())
        button->setEnabled(enabled);
}

commands::compose::Toggle ChoiceGroup::toggle() const {
    switch (chosen()) {
        case kEnableId:
            return commands::compose::Toggle::Enable;
        case kDisableId:
            return commands::compose::Toggle::Disable;
        default:
            return commands::compose::Toggle::None;
    }
}

void ChoiceGroup::setToggle(commands::compose::Toggle toggle) {
    switch (toggle) {
        case commands::compose::Toggle::Enable:
            choose(kEnableId);
            break;
        case commands::compose::Toggle::Disable:
            choose(kDisableId);
            break;
        case commands::compose::Toggle::None:
            choose(-1);
            break;
    }
}

namespace {

// Adds the Enable/Disable pair of `group` to `row`, side by side; `owner` owns the buttons.
void addTogglePair(QHBoxLayout* row, ChoiceGroup& group, QWidget* owner) {
    row->addWidget(group.add(res::ids::Enable, kEnableId, owner));
    row->addWidget(group.add(res::ids::Disable, kDisableId, owner));
    row->addStretch(1);
}

}  // namespace

QGroupBox* choiceRow(std::uint32_t captionId, ChoiceGroup& group,
                     std::initializer_list<std::uint32_t> captions, QWidget* parent) {
    auto* box = new QGroupBox(ui::uiText(captionId), parent);
    auto* row = new QHBoxLayout(box);
    int id = 0;
    for (std::uint32_t textId : captions)
        row->addWidget(group.add(textId, id++, box));
    row->addStretch(1);
    return box;
}

QGroupBox* togglePair(std::uint32_t captionId, ChoiceGroup& group, QWidget* parent) {
    auto* box = new QGroupBox(ui::uiText(captionId), parent);
    addTogglePair(new QHBoxLayout(box), group, box);
    return box;
}

QGroupBox* goodReadGroup(std::uint32_t captionId, ChoiceGroup& toggle, ChoiceGroup& duration,
                         std::initializer_list<std::uint32_t> durationCaptions, QWidget* parent) {
    auto* box = new QGroupBox(ui::uiText(captionId), parent);
    auto* layout = new QVBoxLayout(box);
    auto* enableRow = new QHBoxLayout;
    addTogglePair(enableRow, toggle, box);
    layout->addLayout(enableRow);
    layout->addWidget(choiceRow(res::ids::Duration, duration, durationCaptions, box));
    return box;
}

// --- NumberBox ---

NumberBox::NumberBox(int minimum, int maximum, int start, QWidget* parent) : QSpinBox(parent) {
    setRange(std::min(minimum, maximum), std::max(minimum, maximum));
    setValue(start);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setAlignment(Qt::AlignRight);
}

QValidator::State NumberBox::validate(QString& text, int&) const {
    const QString typed = text.trimmed();
    if (typed.isEmpty() || (typed == QLatin1String("-") && minimum() < 0)) {
        return QValidator::Intermediate;
    }
    const int sign = typed.startsWith(QLatin1Char('-')) && minimum() < 0 ? 1 : 0;
    if (typed.size() - sign > kMaxTypedDigits)
        return QValidator::Invalid;
    for (qsizetype i = sign; i < typed.size(); ++i) {
        if (!typed[i].isDigit())
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

int NumberBox::valueFromText(const QString& text) const {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? std::clamp(number, minimum(), maximum()) : value();
}

int NumberBox::enteredValue() {
    interpretText();
    return std::clamp(value(), minimum(), maximum());
}

// --- ComposingDialog ---

ComposingDialog::ComposingDialog(std::uint32_t titleId, bool withDeselect, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(ui::uiText(titleId));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* outer = new QVBoxLayout(this);
    content_ = new QVBoxLayout;
    outer->addLayout(content_);

    auto* buttons = new QHBoxLayout;
    if (withDeselect) {
        deselect_ = new QPushButton(ui::uiText(res::ids::Deselect), this);
        deselect_->setAutoDefault(false);
        buttons->addWidget(deselect_);
        connect(deselect_, &QPushButton::clicked, this, [this] { deselect(); });
    }
    buttons->addStretch(1);
    ok_ = new QPushButton(ui::uiText(res::ids::Ok), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(ui::uiText(res::ids::Cancel), this);
    cancel_->setAutoDefault(false);
    apply_ = new QPushButton(ui::uiText(res::ids::Apply), this);
    apply_->setAutoDefault(false);
    apply_->setEnabled(false);
    for (QPushButton* button : {ok_, cancel_, apply_}) {
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("M")) * 8);
        buttons->addWidget(button);
    }
    outer->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &ComposingDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &ComposingDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &ComposingDialog::applyNow);
}

void ComposingDialog::setApplyHandler(ApplyHandler handler, bool hasCurrentPage) {
    applyHandler_ = std::move(handler);
    apply_->setEnabled(applyHandler_ && hasCurrentPage);
}

std::optional<std::string> ComposingDialog::run() {
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return result_;
}

void ComposingDialog::accept() {
    result_ = compose();
    QDialog::accept();
}

void ComposingDialog::applyNow() {
    if (applyHandler_)
        applyHandler_(compose());
}

}  // namespace omni::commands::dialogs

#include "commands/gui/command_box.h"

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::commands {
namespace {
constexpr int kSendWidth = 64;

}  // namespace

CommandBox::CommandBox(std::string keyPath, QWidget* parent)
    : QWidget(parent), keyPath_(std::move(keyPath)), history_(CommandBoxHistory::load(keyPath_)) {
    combo_ = new QComboBox(this);
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    combo_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    combo_->setToolTip(ui::uiText(res::ids::CommandBoxTip));
    combo_->setObjectName(QStringLiteral("commandEdit"));
    QLineEdit* edit = combo_->lineEdit();
    edit->setMaxLength(static_cast<int>(CommandBoxHistory::kMaxText));
    // Commands are ASCII: keep an input method from composing in the box.
    edit->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
    combo_->installEventFilter(this);
    connect(edit, &QLineEdit::returnPressed, this, &CommandBox::submit);

    send_ = new QPushButton(ui::uiText(res::ids::Send), this);
    send_->setFixedWidth(kSendWidth);
    send_->setObjectName(QStringLiteral("commandSend"));
    connect(send_, &QPushButton::clicked, this, &CommandBox::submit);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(combo_, 1);
    layout->addWidget(send_);
    refill();
    combo_->setEditText(QString());
}

QString CommandBox::text() const {
    return combo_->currentText();
}

void CommandBox::setText(const QString& text) {
    combo_->setEditText(text);
}

void CommandBox::clearText() {
    combo_->setEditText(QString());
}

void CommandBox::focusAndSelect() {
    combo_->setFocus(Qt::ShortcutFocusReason);
    combo_->lineEdit()->selectAll();
}

void CommandBox::submit() {
    const QString typed = text();
    if (typed.isEmpty())
        return;
    history_.add(ui::toU16(typed));
    refill();
    combo_->setCurrentIndex(0);
    combo_->setEditText(typed);
    emit submitted(typed);
    focusAndSelect();
}

void CommandBox::saveHistory() const {
    history_.save(keyPath_);
}

void CommandBox::refill() {
    const QSignalBlocker block(combo_);
    const QString typed = combo_->currentText();
    combo_->clear();
    for (const std::u16string& entry : history_.entries())
        combo_->addItem(ui::toQString(entry));
    combo_->setEditText(typed);
}

bool CommandBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == combo_ && event->type() == QEvent::Wheel)
        return true;
    return QWidget::eventFilter(watched, event);
}

}  // namespace omni::commands

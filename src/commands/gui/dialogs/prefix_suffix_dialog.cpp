#include "commands/gui/dialogs/prefix_suffix_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "commands/gui/dialogs/list_box_chars.h"
#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::commands::dialogs {
namespace {

using namespace omni::commands::compose;

bool askOkCancel(QWidget* parent, const QString& caption, const QString& text) {
    return QMessageBox::information(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                    QMessageBox::Ok) == QMessageBox::Ok;
}

int indexOf(commands::compose::KeyGroup group) {
    return static_cast<int>(group);
}

}  // namespace

void PrefixSuffixDialog::addPair(QGridLayout* grid, int row, compose::KeyGroup first,
                                 compose::KeyGroup second, std::size_t slotCount, QWidget* box) {
    int column = 0;
    for (compose::KeyGroup group : {first, second}) {
        auto* header = new QHBoxLayout;
        header->addWidget(new QLabel(ui::uiText(groupCaptionId(group)), box));
        header->addStretch(1);
        auto* reset = new QPushButton(ui::uiText(res::ids::Reset), box);
        reset->setAutoDefault(false);
        header->addWidget(reset);
        grid->addLayout(header, row, column);
        auto* list = new ListBoxChars(slotCount, box);
        grid->addWidget(list, row + 1, column);
        lists_[indexOf(group)] = list;
        connect(reset, &QPushButton::clicked, this, [this, group] { resetGroup(group); });
        connect(list, &ListBoxChars::slotActivated, this,
                [this, group](int slot) { chooseKey(group, slot); });
        ++column;
    }
}

PrefixSuffixDialog::PrefixSuffixDialog(bool mode2D, bool hasCurrentPage, std::string_view model,
                                       QWidget* parent)
    : ComposingDialog(res::ids::PrefixSuffixCaption, false, parent),
      state_(prefixSuffixStart(mode2D, hasCurrentPage, model)),
      chooser_(&PrefixSuffixListDialog::choose),
      confirm_(&askOkCancel) {
    connectionBox_ = choiceRow(res::ids::ConnectionType, connection_,
                               {res::ids::ConnectionHid, res::ids::ConnectionCom}, this);
    connection_.choose(int(state_.connection));
    content()->addWidget(connectionBox_);

    common_ = new QGroupBox(this);
    auto* commonLayout = new QVBoxLayout(common_);
    auto* commonNote = new QLabel(ui::uiText(res::ids::CommonNote), common_);
    commonNote->setWordWrap(true);
    commonLayout->addWidget(commonNote);
    auto* commonGrid = new QGridLayout;
    addPair(commonGrid, 0, compose::KeyGroup::CommonPrefix, compose::KeyGroup::CommonSuffix,
            kCommonKeySlots, common_);
    commonLayout->addLayout(commonGrid);
    content()->addWidget(common_);

    eachCode_ = new QGroupBox(ui::uiText(res::ids::EachCode), this);
    eachCode_->setCheckable(true);
    eachCode_->setChecked(state_.eachCode);
    auto* eachLayout = new QVBoxLayout(eachCode_);
    auto* eachNote = new QLabel(ui::uiText(res::ids::EachCodeNote), eachCode_);
    eachNote->setWordWrap(true);
    eachLayout->addWidget(eachNote);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(ui::uiText(res::ids::CodeType), eachCode_));
    codeType_ = new CodeTypeCombo(mode2D, eachCode_);
    typeRow->addWidget(codeType_, 1);
    eachLayout->addLayout(typeRow);
    auto* codeGrid = new QGridLayout;
    addPair(codeGrid, 0, compose::KeyGroup::CodePrefix, compose::KeyGroup::CodeSuffix,
            kCodeKeySlots, eachCode_);
    eachLayout->addLayout(codeGrid);
    content()->addWidget(eachCode_);

    auto* hint = new QLabel(ui::uiText(res::ids::SlotHint), this);
    content()->addWidget(hint);

    auto* previewBox = new QGroupBox(ui::uiText(res::ids::Preview), this);
    auto* previewLayout = new QVBoxLayout(previewBox);
    preview_ = new QLabel(previewBox);
    preview_->setWordWrap(true);
    preview_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    preview_->setMinimumHeight(preview_->fontMetrics().height() * 2);
    preview_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    previewLayout->addWidget(preview_);
    content()->addWidget(previewBox);

    connect(eachCode_, &QGroupBox::toggled, this, [this](bool on) {
        state_.eachCode = on;
        refresh();
    });
    connect(codeType_, &CodeTypeCombo::codeTypeChanged, this, [this](std::size_t row) {
        state_.codeType = row;
        refresh();
    });
    connect(&connection_, &ChoiceGroup::changed, this, [this] {
        if (connection_.chosen() < 0)
            return;
        setConnection(state_, static_cast<commands::compose::ConnectionType>(connection_.chosen()));
        refresh();
    });
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 40);
    refresh();
}

ListBoxChars* PrefixSuffixDialog::slotList(commands::compose::KeyGroup group) const {
    return lists_[indexOf(group)];
}

void PrefixSuffixDialog::chooseKey(commands::compose::KeyGroup group, int slot) {
    const auto groupSlots = keyRowsOf(state_, group);
    if (slot < 0 || static_cast<std::size_t>(slot) >= groupSlots.size())
        return;
    const std::optional<std::size_t> row = chooser_(this, state_.mode2D, groupSlots[slot]);
    if (!row)
        return;
    setSlot(state_, group, static_cast<std::size_t>(slot), *row);
    refresh();
}

void PrefixSuffixDialog::resetGroup(commands::compose::KeyGroup group) {
    if (!confirm_(this, ui::uiText(res::ids::Information), ui::toQString(resetQuestion(group)))) {
        return;
    }
    commands::compose::resetGroup(state_, group);
    refresh();
}

void PrefixSuffixDialog::refresh() {
    const commands::compose::PrefixSuffixControls controls = prefixSuffixControls(state_);
    connectionBox_->setVisible(controls.connectionVisible);
    common_->setEnabled(controls.commonGroupsEnabled);
    if (eachCode_->isChecked() != controls.codeGroupsEnabled) {
        eachCode_->setChecked(controls.codeGroupsEnabled);
    }
    for (commands::compose::KeyGroup group :
         {commands::compose::KeyGroup::CommonPrefix, commands::compose::KeyGroup::CommonSuffix,
          commands::compose::KeyGroup::CodePrefix, commands::compose::KeyGroup::CodeSuffix}) {
        lists_[indexOf(group)]->showKeys(keyRowsOf(state_, group), state_.mode2D);
    }
    preview_->setText(ui::toQString(previewText(state_)));
}

std::string PrefixSuffixDialog::compose() {
    return composePrefixSuffix(state_);
}

}  // namespace omni::commands::dialogs

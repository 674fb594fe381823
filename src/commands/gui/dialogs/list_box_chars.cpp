#include "commands/gui/dialogs/list_box_chars.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "commands/code_type_table.h"
#include "commands/compose/prefix_suffix.h"
#include "commands/key_table.h"
#include "resources/string_ids.h"
#include "ui/gui/dialog_buttons.h"
#include "ui/gui/text.h"

namespace omni::commands::dialogs {
namespace {

QString keyName(std::size_t row, bool mode2D) {
    const auto table = keyTable(mode2D);
    return QString::fromUtf8(table[row < table.size() ? row : commands::compose::kEmptyKey].name);
}

}  // namespace

// --- ListBoxChars ---

ListBoxChars::ListBoxChars(std::size_t slotCount, QWidget* parent)
    : QListWidget(parent), slotCount_(slotCount) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    for (std::size_t i = 0; i < slotCount; ++i)
        addItem(QString());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Q_EMIT slotActivated(row(item)); });
}

void ListBoxChars::showKeys(std::span<const std::size_t> keys, bool mode2D) {
    for (std::size_t i = 0; i < slotCount_ && i < keys.size(); ++i) {
        item(static_cast<int>(i))->setText(keyName(keys[i], mode2D));
    }
}

QSize ListBoxChars::sizeHint() const {
    const int rowHeight = std::max(sizeHintForRow(0), fontMetrics().height() + 2);
    const int frame = 2 * frameWidth();
    return {fontMetrics().horizontalAdvance(QStringLiteral("M")) * 14 + frame,
            rowHeight * static_cast<int>(slotCount_) + frame};
}

// --- PrefixSuffixListDialog ---

PrefixSuffixListDialog::PrefixSuffixListDialog(bool mode2D, std::size_t current, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(ui::uiText(res::ids::SelectValueCaption));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    const auto table = keyTable(mode2D);
    QFont heading = list_->font();
    heading.setBold(true);
    for (std::size_t row = 0; row < table.size(); ++row) {
        auto* item = new QListWidgetItem(QString::fromUtf8(table[row].name), list_);
        if (row != commands::compose::kEmptyKey && isHeading(table[row])) {
            item->setFlags(Qt::ItemIsEnabled);  // a section heading, not a choice
            item->setFont(heading);
        }
    }
    if (current >= table.size() ||
        (current != commands::compose::kEmptyKey && isHeading(table[current]))) {
        current = commands::compose::kEmptyKey;
    }
    list_->setCurrentRow(static_cast<int>(current));
    list_->scrollToItem(list_->currentItem(), QAbstractItemView::PositionAtCenter);
    layout->addWidget(list_);

    ui::addDialogButtons(this, layout, res::ids::Ok, res::ids::Cancel);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (item->flags() & Qt::ItemIsSelectable)
            accept();
    });
    list_->setMinimumSize(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 16,
                          fontMetrics().height() * 20);
}

void PrefixSuffixListDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (list_->currentItem()) {
        list_->scrollToItem(list_->currentItem(), QAbstractItemView::PositionAtCenter);
    }
}

std::size_t PrefixSuffixListDialog::chosenRow() const {
    const int row = list_->currentRow();
    return row < 0 ? commands::compose::kEmptyKey : static_cast<std::size_t>(row);
}

std::optional<std::size_t> PrefixSuffixListDialog::choose(QWidget* parent, bool mode2D,
                                                          std::size_t current) {
    PrefixSuffixListDialog dialog(mode2D, current, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenRow();
}

// --- CodeTypeCombo ---

CodeTypeCombo::CodeTypeCombo(bool mode2D, QWidget* parent) : QComboBox(parent), mode2D_(mode2D) {
    const auto table = codeTypeTable(mode2D);
    for (const CodeTypeRow& row : table)
        addItem(QString::fromUtf8(row.name));
    if (auto* items = qobject_cast<QStandardItemModel*>(model())) {
        for (std::size_t row = 0; row < table.size(); ++row) {
            if (isSeparator(table[row]))
                items->item(static_cast<int>(row))->setEnabled(false);
        }
    }
    setMaxVisibleItems(20);
    setCurrentIndex(0);
    connect(this, &QComboBox::currentIndexChanged, this, &CodeTypeCombo::settle);
}

void CodeTypeCombo::settle(int wanted) {
    if (wanted < 0)
        return;
    const auto row = static_cast<int>(commands::compose::chooseCodeType(
        mode2D_, static_cast<std::size_t>(wanted), static_cast<std::size_t>(previous_)));
    if (row != wanted) {
        setCurrentIndex(row);  // re-enters with a choosable row
        return;
    }
    if (row == previous_)
        return;
    previous_ = row;
    Q_EMIT codeTypeChanged(static_cast<std::size_t>(row));
}

}  // namespace omni::commands::dialogs

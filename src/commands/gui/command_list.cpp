#include "commands/gui/command_list.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "commands/catalog.h"
#include "commands/selector_model.h"
#include "resources/string_ids.h"
#include "ui/gui/text.h"

Q_DECLARE_METATYPE(const omni::commands::CatalogEntry*)

namespace omni::commands {
namespace {
constexpr int kEntryRole = Qt::UserRole;
constexpr int kMaxCommandShown = 32;

}  // namespace

CommandList::CommandList(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("commandList"));
    setColumnCount(2);
    setHeaderLabels({ui::uiText(res::ids::Explanation), ui::uiText(res::ids::Command)});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    header()->setStretchLastSection(true);
    setColumnWidth(0, 192);
    setColumnWidth(1, 74);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { emit entryActivated(); });
}

QString CommandList::commandText(const CatalogEntry& entry) {
    QString text = QString::fromLatin1(entry.command).left(kMaxCommandShown);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    if (entry.kind != EntryKind::Command)
        text += QStringLiteral("...");
    return text;
}

void CommandList::showGroup(const CatalogNode* group) {
    clear();
    for (const CatalogEntry& entry : entriesOf(group)) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, ui::toQString(catalogCaption(entry.labelId)));
        item->setText(1, commandText(entry));
        item->setToolTip(0, item->text(0));
        item->setData(0, kEntryRole, QVariant::fromValue(&entry));
    }
}

const CatalogEntry* CommandList::selectedEntry() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr
                           : items.front()->data(0, kEntryRole).value<const CatalogEntry*>();
}

bool CommandList::selectEntry(const CatalogEntry* entry) {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (item->data(0, kEntryRole).value<const CatalogEntry*>() != entry)
            continue;
        setCurrentItem(item);
        scrollToItem(item);
        return true;
    }
    return false;
}

void CommandList::keyPressEvent(QKeyEvent* event) {
    // Enter picks the row, like a double click.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (selectedEntry())
            emit entryActivated();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

}  // namespace omni::commands

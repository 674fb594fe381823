#include "commands/gui/command_tree.h"

#include <QHeaderView>

#include "commands/catalog.h"
#include "commands/selector_model.h"
#include "ui/gui/icons.h"
#include "ui/gui/text.h"

Q_DECLARE_METATYPE(const omni::commands::CatalogNode*)

namespace omni::commands {
namespace {

constexpr int kNodeRole = Qt::UserRole;

constexpr int kSearchRole = Qt::UserRole + 1;  // the entries' captions and commands, lower case

QString searchTextOf(const CatalogNode& node) {
    QString text;
    for (const CatalogEntry& entry : entriesOf(&node)) {
        text += ui::toQString(catalogCaption(entry.labelId)).toLower();
        text += QLatin1Char('\n');
        text += QString::fromLatin1(entry.command).toLower();
        text += QLatin1Char('\n');
    }
    return text;
}

// Shows `item` when it or a descendant matches; returns whether it is shown.
bool applyFilter(QTreeWidgetItem* item, const QString& needle) {
    bool childShown = false;
    for (int i = 0; i < item->childCount(); ++i)
        childShown = applyFilter(item->child(i), needle) || childShown;
    const bool matches = item->text(0).contains(needle, Qt::CaseInsensitive) ||
                         item->data(0, kSearchRole).toString().contains(needle);
    item->setHidden(!matches && !childShown);
    if (childShown)
        item->setExpanded(true);
    return matches || childShown;
}

void addGroups(QTreeWidgetItem* parent, QTreeWidget* tree, const CatalogNode* group, bool mode2D,
               const QIcon& folder, const QIcon& leaf) {
    for (const CatalogNode& node : childrenOf(group)) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, ui::toQString(catalogCaption(node.labelId)));
        // The whole path, for captions that the narrow pane cuts off.
        const QString path =
            parent ? parent->toolTip(0) + QStringLiteral(" > ") + item->text(0) : item->text(0);
        item->setToolTip(0, path);
        item->setData(0, kSearchRole, searchTextOf(node));
        item->setData(0, kNodeRole, QVariant::fromValue(&node));
        const bool hasChildren = !childrenOf(&node).empty();
        item->setIcon(0, hasChildren ? folder : leaf);
        if (hasChildren)
            addGroups(item, tree, &node, mode2D, folder, leaf);
    }
}

}  // namespace

CommandTree::CommandTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("commandTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    connect(this, &QTreeWidget::itemSelectionChanged, this,
            [this] { emit groupSelected(selectedGroup()); });
    connect(this, &QTreeWidget::itemExpanded, this, &CommandTree::updateFolderIcon);
    connect(this, &QTreeWidget::itemCollapsed, this, &CommandTree::updateFolderIcon);
}

void CommandTree::fill(bool mode2D) {
    const QSignalBlocker block(this);
    clear();
    const QIcon folder = ui::icon(ui::IconId::FolderClosed);
    const QIcon leaf = ui::icon(mode2D ? ui::IconId::Leaf2D : ui::IconId::Leaf1D);
    // The root array is the children of an imaginary root node.
    const CatalogNode root{1, catalogRoot(mode2D), nullptr};
    addGroups(nullptr, this, &root, mode2D, folder, leaf);
}

void CommandTree::setFilter(const QString& text) {
    const QString needle = text.trimmed().toLower();
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (needle.isEmpty()) {
            for (QTreeWidgetItemIterator it(topLevelItem(i)); *it; ++it)
                (*it)->setHidden(false);
        } else {
            applyFilter(topLevelItem(i), needle);
        }
    }
    if (QTreeWidgetItem* current = currentItem(); current && !current->isHidden())
        scrollToItem(current);
}

void CommandTree::updateFolderIcon(QTreeWidgetItem* item) {
    if (item->childCount() == 0)
        return;
    item->setIcon(0,
                  ui::icon(item->isExpanded() ? ui::IconId::FolderOpen : ui::IconId::FolderClosed));
}

const CatalogNode* CommandTree::groupOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, kNodeRole).value<const CatalogNode*>() : nullptr;
}

const CatalogNode* CommandTree::selectedGroup() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : groupOf(items.front());
}

bool CommandTree::selectGroup(const CatalogNode* group) {
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if (groupOf(*it) != group)
            continue;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            up->setExpanded(true);
        setCurrentItem(*it);
        scrollToItem(*it);
        return true;
    }
    return false;
}

}  // namespace omni::commands

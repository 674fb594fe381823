// The tree of catalog groups. Groups with sub-groups show folder icons; leaf groups the icon of
// the mode (a matrix symbol in 2D mode, a bar code in 1D mode).
#pragma once

#include <QTreeWidget>

namespace omni::commands {

struct CatalogNode;

class CommandTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CommandTree(QWidget* parent = nullptr);

    // Refills the tree from the catalog of the mode; nothing is selected afterwards.
    void fill(bool mode2D);
    // Shows only the groups whose caption, or one of whose entries' caption or command, contains
    // `text` (letter case ignored), with their parents expanded; an empty text shows every group.
    void setFilter(const QString& text);

    const CatalogNode* groupOf(const QTreeWidgetItem* item) const;
    const CatalogNode* selectedGroup() const;
    // Selects the item of `group` (expanding its ancestors); false when it is not in the tree.
    bool selectGroup(const CatalogNode* group);

signals:
    void groupSelected(const omni::commands::CatalogNode* group);

private:
    void updateFolderIcon(QTreeWidgetItem* item);
};

}  // namespace omni::commands

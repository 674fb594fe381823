// The command selector: the path of the selected group, the tree of groups above the list of its
// entries, and a toolbar whose button picks the selected entry. Picking resolves the entry
// (asking a dialog where its kind needs one), turns the string into page items and hands them
// over one by one.
#pragma once

#include <string>
#include <string_view>

#include <QWidget>

#include "commands/page_item.h"

class QLabel;
class QLineEdit;
class QAction;

namespace omni::commands {
struct CatalogNode;
struct CatalogEntry;
class EntryDialogs;
}  // namespace omni::commands

namespace omni::ui {
class PaneSplitter;
}

namespace omni::commands {

class CommandTree;
class CommandList;

class CommandSelector : public QWidget {
    Q_OBJECT
public:
    // `dialogs` must outlive the selector.
    CommandSelector(EntryDialogs& dialogs, QWidget* parent = nullptr);

    bool mode2D() const { return mode2D_; }
    // Stores the mode and refills the tree from that mode's catalog.
    void setMode2D(bool mode2D);

    // Height of the tree above the list.
    int treeHeight() const;
    void setTreeHeight(int height);

    // Picks the entry selected in the list; nothing happens without a selection.
    void pickSelected();

    // Adds a string that the dialog of the entry being picked composed (its Apply button), as
    // if the entry had resolved to it.
    void addResolved(std::string_view text);

    // Selects a group and one of its entries, as the operator would by clicking.
    bool select(const CatalogNode* group, const CatalogEntry* entry);

    QString pathText() const { return path_; }
    CommandTree* tree() const { return tree_; }
    CommandList* list() const { return list_; }
    QLineEdit* filterBox() const { return filter_; }
    QAction* sendAction() const { return send_; }

signals:
    void itemPicked(const omni::commands::PageItem& item);
    void waveformRequested();

private:
    void showGroup(const CatalogNode* group);
    bool eventFilter(QObject* watched, QEvent* event) override;

    EntryDialogs& dialogs_;
    bool mode2D_ = true;
    const CatalogNode* group_ = nullptr;
    QString path_;
    std::u16string pickedLabel_;  // label of the entry picked last
    QLabel* pathLabel_;
    QLineEdit* filter_;
    CommandTree* tree_;
    CommandList* list_;
    ui::PaneSplitter* split_;
    QAction* send_;
};

}  // namespace omni::commands

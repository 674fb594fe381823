// The list of a group's entries: "Explanation" (the caption) and "Command" (the command, with
// "..." when the entry opens a dialog).
#pragma once

#include <QTreeWidget>

namespace omni::commands {

struct CatalogNode;
struct CatalogEntry;

class CommandList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CommandList(QWidget* parent = nullptr);

    // Shows the entries of `group` (none for null).
    void showGroup(const CatalogNode* group);

    const CatalogEntry* selectedEntry() const;
    bool selectEntry(const CatalogEntry* entry);

    // The text of the "Command" column for an entry.
    static QString commandText(const CatalogEntry& entry);

signals:
    // A row was double-clicked.
    void entryActivated();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace omni::commands

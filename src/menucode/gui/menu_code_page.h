// A menu-code page as the operator edits it: the picture (QR menu code or Code 39 sheet) above
// a splitter, and below it the command history list with its toolbar (delete, move up, move
// down). A double click on a row deletes it.
#pragma once

#include <QWidget>

class QAction;
class QScrollArea;
class QTreeWidget;

namespace omni::menucode {
class MenuCodeHistory;
}  // namespace omni::menucode

namespace omni::ui {
class PaneSplitter;
}

namespace omni::menucode {

class MenuCodeView;

class MenuCodePage : public QWidget {
    Q_OBJECT
public:
    // Takes ownership of `view`.
    MenuCodePage(MenuCodeView* view, QWidget* parent = nullptr);

    MenuCodeView* view() const { return view_; }
    QTreeWidget* list() const { return list_; }

    // Shows `history` (may be null) in the picture and the list.
    void setHistory(MenuCodeHistory* history);
    MenuCodeHistory* history() const { return history_; }

    // Refills the list and redraws the picture after the history changed elsewhere.
    void refresh();

    // Index of the selected row, or -1.
    int selectedIndex() const;
    void selectIndex(int index);

    // History editing; each does nothing without a selection or at the end of the list, and
    // emits historyEdited after a change.
    void deleteSelected();
    void moveSelected(int step);  // -1 up, +1 down

    // Height of the picture above the list.
    int pictureHeight() const;
    void setPictureHeight(int height);

signals:
    void historyEdited();
    void pictureHeightChanged(int height);

private:
    void refillList();
    void updateButtons();
    void report(int status);

    MenuCodeHistory* history_ = nullptr;
    MenuCodeView* view_;
    QScrollArea* scroll_;
    QTreeWidget* list_;
    ui::PaneSplitter* split_;
    QAction* delete_;
    QAction* up_;
    QAction* down_;
};

}  // namespace omni::menucode

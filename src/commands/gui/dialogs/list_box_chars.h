// The pieces of the prefix/suffix dialog: the slot lists (ListBoxChars), the "Select a value"
// list of the key table (PrefixSuffixListDialog) and the code-type combo box, whose heading rows
// cannot be chosen.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include <QComboBox>
#include <QDialog>
#include <QListWidget>

namespace omni::commands::dialogs {

// The key slots of one prefix or suffix group, one row per slot, each showing the name of the
// key-table row it holds. Double-clicking a slot (or Enter on it) asks for a new key.
class ListBoxChars : public QListWidget {
    Q_OBJECT
public:
    ListBoxChars(std::size_t slotCount, QWidget* parent = nullptr);

    // Shows the key-table rows `keys` of the mode's table.
    void showKeys(std::span<const std::size_t> keys, bool mode2D);

    QSize sizeHint() const override;

Q_SIGNALS:
    void slotActivated(int slot);

private:
    std::size_t slotCount_;
};

// "Select a value": the key table of a mode. The empty choice and the keys can be chosen; the
// section headings cannot.
class PrefixSuffixListDialog : public QDialog {
    Q_OBJECT
public:
    PrefixSuffixListDialog(bool mode2D, std::size_t current, QWidget* parent = nullptr);

    // The chosen key-table row (the current row until the operator picks another).
    std::size_t chosenRow() const;
    QListWidget* list() const { return list_; }

    // Runs the dialog modally: the chosen row, or nothing when cancelled.
    static std::optional<std::size_t> choose(QWidget* parent, bool mode2D, std::size_t current);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QListWidget* list_;
};

// The code types of a mode. Heading rows are shown but disabled; landing on one (by a program
// call or a key) moves on to the next choosable row in the direction of travel.
class CodeTypeCombo : public QComboBox {
    Q_OBJECT
public:
    CodeTypeCombo(bool mode2D, QWidget* parent = nullptr);

    std::size_t codeType() const { return static_cast<std::size_t>(currentIndex()); }

Q_SIGNALS:
    void codeTypeChanged(std::size_t row);

private:
    void settle(int wanted);

    bool mode2D_;
    int previous_ = 0;
};

}  // namespace omni::commands::dialogs

// The command box: an editable drop-down for typing menu commands, with its history of sixteen
// entries (record "CommandBox") and a Send button. The mouse wheel never changes its selection.
#pragma once

#include <string>

#include <QWidget>

#include "commands/gui/command_box_history.h"

class QComboBox;
class QPushButton;

namespace omni::commands {

class CommandBox : public QWidget {
    Q_OBJECT
public:
    // Reads the history under `keyPath`.
    CommandBox(std::string keyPath, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void clearText();

    // Gives the edit field the focus with its whole text selected.
    void focusAndSelect();

    // Adds the text to the history, emits submitted, and returns the focus to the box with its
    // text selected. Empty text does nothing.
    void submit();

    // Writes the history record. Throws SystemException when it cannot be written.
    void saveHistory() const;

    const CommandBoxHistory& history() const { return history_; }
    QComboBox* comboBox() const { return combo_; }
    QPushButton* sendButton() const { return send_; }

signals:
    void submitted(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refill();

    std::string keyPath_;
    CommandBoxHistory history_;
    QComboBox* combo_;
    QPushButton* send_;
};

}  // namespace omni::commands

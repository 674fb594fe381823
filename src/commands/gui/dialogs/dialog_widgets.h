// Building blocks of the parameter dialogs: a group of radio buttons that may have nothing
// chosen, a number box that takes any typed number and clamps it when read, and the frame shared
// by the dialogs that compose a command (Deselect, OK, Cancel, Apply).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QDialog>
#include <QSpinBox>

#include "commands/compose/token_writer.h"

class QAbstractButton;
class QBoxLayout;
class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace omni::commands::dialogs {

// Exclusive radio buttons where "nothing chosen" is a state of its own: the start state of the
// indicator dialogs and what "Deselect" returns to.
class ChoiceGroup : public QObject {
    Q_OBJECT
public:
    explicit ChoiceGroup(QObject* parent = nullptr);

    // Adds a button with `text` (a string id) standing for `id` (0 or more).
    QRadioButton* add(std::uint32_t textId, int id, QWidget* parent = nullptr);
    QRadioButton* button(int id) const;

    // The chosen id, or -1 when nothing is chosen.
    int chosen() const;
    // Chooses `id`; -1 clears the group.
    void choose(int id);
    void setEnabled(bool enabled);

    // An Enable/Disable pair read as a toggle (ids 1 and 2).
    commands::compose::Toggle toggle() const;
    void setToggle(commands::compose::Toggle toggle);

Q_SIGNALS:
    void changed();

private:
    QButtonGroup* group_;
};

// A group box holding an Enable/Disable pair side by side.
QGroupBox* togglePair(std::uint32_t captionId, ChoiceGroup& group, QWidget* parent);
// A group box holding the buttons of `group`, laid out in a row: one for each value of an enum
// counted from 0, `captions` (string ids) naming them in the enum's order.
QGroupBox* choiceRow(std::uint32_t captionId, ChoiceGroup& group,
                     std::initializer_list<std::uint32_t> captions, QWidget* parent);
// The "good read" group box of the indicator dialogs: the Enable/Disable pair of `toggle` in a
// row, and under it the row of durations (captions in the enum's order, as choiceRow takes
// them). Further rows go into its QVBoxLayout.
QGroupBox* goodReadGroup(std::uint32_t captionId, ChoiceGroup& toggle, ChoiceGroup& duration,
                         std::initializer_list<std::uint32_t> durationCaptions, QWidget* parent);

// A number box with up and down arrows over [minimum, maximum]. The operator may type any number;
// it is clamped into the range when the value is read (or the box loses the focus), never
// refused.
class NumberBox : public QSpinBox {
    Q_OBJECT
public:
    NumberBox(int minimum, int maximum, int start, QWidget* parent = nullptr);

    // The typed number clamped into the range.
    int enteredValue();

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;
};

// A modal dialog that composes a command. OK composes and closes, Cancel closes with nothing,
// Apply composes and hands the string to the owner without closing (disabled when the owner has
// no current page), Deselect (indicator dialogs only) clears every choice.
class ComposingDialog : public QDialog {
    Q_OBJECT
public:
    using ApplyHandler = std::function<void(const std::string&)>;

    // Apply is enabled only with a handler while the owner has a current page.
    void setApplyHandler(ApplyHandler handler, bool hasCurrentPage);

    // Runs modally; the composed string, or nothing when cancelled.
    std::optional<std::string> run();

    // The string OK composed (empty before).
    const std::string& result() const { return result_; }
    // The string the dialog would compose now.
    virtual std::string compose() = 0;

    QPushButton* deselectButton() const { return deselect_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* applyButton() const { return apply_; }

    void accept() override;

protected:
    ComposingDialog(std::uint32_t titleId, bool withDeselect, QWidget* parent);

    // Where the dialog's controls go, above the buttons.
    QVBoxLayout* content() const { return content_; }
    // "Deselect": clears the choices and restores the start enabling.
    virtual void deselect() {}

private:
    void applyNow();

    QVBoxLayout* content_;
    QPushButton* deselect_ = nullptr;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* apply_;
    ApplyHandler applyHandler_;
    std::string result_;
};

namespace detail {
// Found by argument-dependent lookup next to each choices type.
template <typename Choices>
void deselectChoices(Choices& choices) {
    deselect(choices);
}
}  // namespace detail

// The indicator dialogs (buzzer, vibrator, status LED): a base command composed by `Compose`
// with the choices the controls show. `Dialog` supplies choices() and showChoices(); Deselect
// clears the choices the way the composition defines.
template <typename Dialog, typename Choices,
          std::string (*Compose)(std::string_view, const Choices&, bool)>
class IndicatorDialog : public ComposingDialog {
public:
    std::string compose() override {
        return Compose(command_, static_cast<Dialog&>(*this).choices(), mode2D_);
    }

protected:
    IndicatorDialog(std::uint32_t titleId, std::string_view command, bool mode2D, QWidget* parent)
        : ComposingDialog(titleId, true, parent), command_(command), mode2D_(mode2D) {}

    void deselect() override {
        Dialog& dialog = static_cast<Dialog&>(*this);
        Choices choices = dialog.choices();
        detail::deselectChoices(choices);
        dialog.showChoices(choices);
    }

    const std::string command_;
    const bool mode2D_;
};

}  // namespace omni::commands::dialogs

// The prefix/suffix dialog: the common prefix and suffix (eight slots each) or, with "Each Code"
// ticked, the prefix and suffix of one code type (four slots each), the preview of the keys
// around the data, the Reset of each group and, without a current page, the connection type
// that decides the default key.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "commands/compose/prefix_suffix.h"
#include "commands/gui/dialogs/dialog_widgets.h"

class QGroupBox;
class QLabel;

class QGridLayout;

namespace omni::commands::dialogs {

class CodeTypeCombo;
class ListBoxChars;

class PrefixSuffixDialog : public ComposingDialog {
    Q_OBJECT
public:
    // How a slot asks for its new key: the key-table row, or nothing when cancelled.
    using KeyChooser =
        std::function<std::optional<std::size_t>(QWidget* parent, bool mode2D, std::size_t now)>;
    // How Reset asks before emptying a group: true to go ahead.
    using Confirm =
        std::function<bool(QWidget* parent, const QString& caption, const QString& text)>;

    // `model` is the model text of the current page's reader (empty when unknown).
    PrefixSuffixDialog(bool mode2D, bool hasCurrentPage, std::string_view model,
                       QWidget* parent = nullptr);

    std::string compose() override;

    const commands::compose::PrefixSuffixState& state() const { return state_; }

    // Defaults: the "Select a value" dialog and an OK/Cancel message box titled "Information".
    void setKeyChooser(KeyChooser chooser) { chooser_ = std::move(chooser); }
    void setConfirm(Confirm confirm) { confirm_ = std::move(confirm); }

    // Double-click on a slot: asks for its key and shows the result.
    void chooseKey(commands::compose::KeyGroup group, int slot);
    // Reset of a group: asks, then empties it.
    void resetGroup(commands::compose::KeyGroup group);

    ListBoxChars* slotList(commands::compose::KeyGroup group) const;
    QGroupBox* eachCode() const { return eachCode_; }
    CodeTypeCombo* codeType() const { return codeType_; }
    QGroupBox* connectionBox() const { return connectionBox_; }
    ChoiceGroup& connection() { return connection_; }
    QLabel* preview() const { return preview_; }

private:
    // A pair of slot lists side by side in `grid` at `row`, each under its caption and Reset
    // button.
    void addPair(QGridLayout* grid, int row, compose::KeyGroup first, compose::KeyGroup second,
                 std::size_t slotCount, QWidget* box);
    void refresh();

    commands::compose::PrefixSuffixState state_;
    KeyChooser chooser_;
    Confirm confirm_;
    std::array<ListBoxChars*, 4> lists_{};
    QGroupBox* common_;
    QGroupBox* eachCode_;
    CodeTypeCombo* codeType_;
    QGroupBox* connectionBox_;
    ChoiceGroup connection_;
    QLabel* preview_;
};

}  // namespace omni::commands::dialogs

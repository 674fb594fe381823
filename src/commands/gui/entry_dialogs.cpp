#include "commands/gui/entry_dialogs.h"

#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::commands {
namespace {

constexpr std::uint32_t kIdProgram = 20000;
constexpr std::uint32_t kIdDialogNotYet = 20141;

}  // namespace

std::nullopt_t PendingEntryDialogs::notYet() {
    gui::showMessage(owner_, QMessageBox::Information, gui::uiText(kIdProgram),
                     gui::uiText(kIdDialogNotYet));
    return std::nullopt;
}

std::optional<NumberChoice> PendingEntryDialogs::numberInput(const CatalogEntry&, bool) {
    return notYet();
}
std::optional<std::string> PendingEntryDialogs::prefixSuffix(std::string_view, bool) {
    return notYet();
}
std::optional<std::string> PendingEntryDialogs::silentMode(std::string_view, bool) {
    return notYet();
}
std::optional<std::string> PendingEntryDialogs::buzzer(std::string_view, bool) {
    return notYet();
}
std::optional<std::string> PendingEntryDialogs::statusLed(std::string_view, bool) {
    return notYet();
}
std::optional<std::string> PendingEntryDialogs::vibrator(std::string_view, bool) {
    return notYet();
}
std::optional<std::string> PendingEntryDialogs::bluetoothBarcode(std::uint32_t, std::string_view,
                                                                 bool) {
    return notYet();
}
std::optional<std::string> PendingEntryDialogs::bluetoothSend(std::uint32_t, std::string_view,
                                                              bool) {
    return notYet();
}

}  // namespace omni::commands

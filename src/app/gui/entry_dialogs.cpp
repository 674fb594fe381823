#include "app/gui/entry_dialogs.h"

#include "commands/gui/dialogs/buzzer_dialog.h"
#include "commands/gui/dialogs/number_input_dialog.h"
#include "commands/gui/dialogs/prefix_suffix_dialog.h"
#include "commands/gui/dialogs/silent_mode_dialog.h"
#include "commands/gui/dialogs/status_led_dialog.h"
#include "commands/gui/dialogs/vibrator_dialog.h"
#include "menucode/gui/bluetooth/address_barcode_dialog.h"
#include "menucode/gui/bluetooth/bluetooth_radios.h"
#include "menucode/gui/bluetooth/send_command_dialog.h"

namespace omni::app {

QtEntryDialogs::QtEntryDialogs(QWidget* owner, DialogHost host)
    : owner_(owner), host_(std::move(host)) {}

QtEntryDialogs::~QtEntryDialogs() = default;

void QtEntryDialogs::setHost(DialogHost host) {
    host_ = std::move(host);
}

bool QtEntryDialogs::hasCurrentPage() const {
    return host_.hasCurrentPage && host_.hasCurrentPage();
}

template <typename Dialog>
std::optional<std::string> QtEntryDialogs::runComposing(Dialog& dialog) {
    dialog.setApplyHandler(host_.apply, hasCurrentPage());
    return dialog.run();
}

std::optional<commands::NumberChoice> QtEntryDialogs::numberInput(
    const commands::CatalogEntry& entry, bool) {
    commands::dialogs::NumberInputDialog dialog(entry, owner_);
    return dialog.run();
}

std::optional<std::string> QtEntryDialogs::prefixSuffix(std::string_view, bool mode2D) {
    const std::string model = host_.readerModel ? host_.readerModel() : std::string();
    commands::dialogs::PrefixSuffixDialog dialog(mode2D, hasCurrentPage(), model, owner_);
    return runComposing(dialog);
}

std::optional<std::string> QtEntryDialogs::silentMode(std::string_view, bool mode2D) {
    commands::dialogs::SilentModeDialog dialog(mode2D, owner_);
    return runComposing(dialog);
}

std::optional<std::string> QtEntryDialogs::buzzer(std::string_view command, bool mode2D) {
    commands::dialogs::BuzzerDialog dialog(command, mode2D, owner_);
    return runComposing(dialog);
}

std::optional<std::string> QtEntryDialogs::statusLed(std::string_view command, bool mode2D) {
    commands::dialogs::StatusLedDialog dialog(command, mode2D, owner_);
    return runComposing(dialog);
}

std::optional<std::string> QtEntryDialogs::vibrator(std::string_view command, bool mode2D) {
    commands::dialogs::VibratorDialog dialog(command, mode2D, owner_);
    return runComposing(dialog);
}

std::optional<std::string> QtEntryDialogs::bluetoothBarcode(std::uint32_t captionId,
                                                            std::string_view command, bool) {
    std::shared_ptr<const menucode::bluetooth::BluetoothRadios> radios = host_.radios;
    if (!radios)
        radios = menucode::bluetooth::systemBluetoothRadios();
    menucode::bluetooth::showAddressBarcode(owner_, command, captionId, *radios);
    return std::nullopt;
}

std::optional<std::string> QtEntryDialogs::bluetoothSend(std::uint32_t captionId,
                                                         std::string_view command, bool mode2D) {
    stream::OutputStream<char>* port = host_.openPort ? host_.openPort() : nullptr;
    menucode::bluetooth::showSendCommand(owner_, command, mode2D, port, captionId);
    return std::nullopt;
}

}  // namespace omni::app

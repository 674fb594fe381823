// The dialogs that catalog entries open. Until the parameter and Bluetooth dialogs exist, each
// says in one sentence that the dialog is not available yet and resolves to nothing.
#pragma once

#include "commands/resolve.h"

class QWidget;

namespace omni::commands {

class PendingEntryDialogs : public EntryDialogs {
public:
    explicit PendingEntryDialogs(QWidget* owner) : owner_(owner) {}

    std::optional<NumberChoice> numberInput(const CatalogEntry& entry, bool mode2D) override;
    std::optional<std::string> prefixSuffix(std::string_view command, bool mode2D) override;
    std::optional<std::string> silentMode(std::string_view command, bool mode2D) override;
    std::optional<std::string> buzzer(std::string_view command, bool mode2D) override;
    std::optional<std::string> statusLed(std::string_view command, bool mode2D) override;
    std::optional<std::string> vibrator(std::string_view command, bool mode2D) override;
    std::optional<std::string> bluetoothBarcode(std::uint32_t captionId, std::string_view command,
                                                bool mode2D) override;
    std::optional<std::string> bluetoothSend(std::uint32_t captionId, std::string_view command,
                                             bool mode2D) override;

private:
    std::nullopt_t notYet();

    QWidget* owner_;
};

}  // namespace omni::commands

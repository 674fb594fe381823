// The dialogs that catalog entries open, run modally over the owner window: the parameter
// dialogs and the Bluetooth address barcode and send-command dialogs.
//
// The owner is reached through DialogHost: whether it has a current page (Apply is disabled
// without one, and the prefix/suffix defaults depend on it), the model of the current page's
// reader, where Apply sends its string, and the connection for the send-command dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "commands/resolve.h"
#include "stream/stream.h"

class QWidget;

namespace omni::menucode::bluetooth {
class BluetoothRadios;
}

namespace omni::app {

struct DialogHost {
    // True while the owner has a current page. Unset: never.
    std::function<bool()> hasCurrentPage;
    // The model text of the current page's reader ("KVT" moves the default key of the
    // prefix/suffix dialog). Unset: unknown.
    std::function<std::string()> readerModel;
    // Apply: adds the composed string to the current page as if the entry had resolved to it.
    std::function<void(const std::string&)> apply;
    // The connection to the reader while its port is open, else null. Unset: never connected.
    std::function<stream::OutputStream<char>*()> openPort;
    // The local Bluetooth adapters. Null: the system's.
    std::shared_ptr<const menucode::bluetooth::BluetoothRadios> radios;
};

class QtEntryDialogs : public commands::EntryDialogs {
public:
    // `owner` (the main window) must outlive this object.
    explicit QtEntryDialogs(QWidget* owner, DialogHost host = {});
    ~QtEntryDialogs() override;

    void setHost(DialogHost host);

    std::optional<commands::NumberChoice> numberInput(const commands::CatalogEntry& entry,
                                                      bool mode2D) override;
    std::optional<std::string> prefixSuffix(std::string_view command, bool mode2D) override;
    std::optional<std::string> silentMode(std::string_view command, bool mode2D) override;
    std::optional<std::string> buzzer(std::string_view command, bool mode2D) override;
    std::optional<std::string> statusLed(std::string_view command, bool mode2D) override;
    std::optional<std::string> vibrator(std::string_view command, bool mode2D) override;
    // The Bluetooth dialogs show or send their codes themselves and add nothing to the page.
    std::optional<std::string> bluetoothBarcode(std::uint32_t captionId, std::string_view command,
                                                bool mode2D) override;
    std::optional<std::string> bluetoothSend(std::uint32_t captionId, std::string_view command,
                                             bool mode2D) override;

private:
    bool hasCurrentPage() const;
    template <typename Dialog>
    std::optional<std::string> runComposing(Dialog& dialog);

    QWidget* owner_;
    DialogHost host_;
};

}  // namespace omni::app

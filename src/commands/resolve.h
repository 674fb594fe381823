// Resolving a catalog entry into the command string it stands for.
//
// A plain entry gives its own command; other kinds ask a dialog, reached through EntryDialogs so
// that the core does not depend on any user interface. The desktop program shows real dialogs;
// the command-line tool answers from its arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commands/catalog.h"
#include "commands/menu_command.h"
#include "resources/string_ids.h"

namespace omni::commands {

// The dialogs an entry may need. Each runs modally and returns its composed string, or nullopt
// when the operator cancelled or the dialog is not available.
class EntryDialogs {
public:
    virtual ~EntryDialogs() = default;

    // Kinds 2 and 4: the number input, given the entry (range, start value, digits, flags).
    // Initialize and Inhibit may only be returned when the entry's flags offer them.
    virtual std::optional<NumberChoice> numberInput(const CatalogEntry& entry, bool mode2D) = 0;
    // Kind 1.
    virtual std::optional<std::string> prefixSuffix(std::string_view command, bool mode2D) = 0;
    // Kind 3.
    virtual std::optional<std::string> silentMode(std::string_view command, bool mode2D) = 0;
    // Kinds 5, 6, 7.
    virtual std::optional<std::string> buzzer(std::string_view command, bool mode2D) = 0;
    virtual std::optional<std::string> statusLed(std::string_view command, bool mode2D) = 0;
    virtual std::optional<std::string> vibrator(std::string_view command, bool mode2D) = 0;
    // Kinds 8, 9, 10, 12, 14: the Bluetooth address barcode dialog with its caption string id.
    virtual std::optional<std::string> bluetoothBarcode(std::uint32_t captionId,
                                                        std::string_view command, bool mode2D) = 0;
    // Kinds 11, 13: the Bluetooth send-command dialog with its caption string id.
    virtual std::optional<std::string> bluetoothSend(std::uint32_t captionId,
                                                     std::string_view command, bool mode2D) = 0;
};

// What an entry resolved to.
struct ResolveResult {
    enum class Kind {
        Nothing,   // cancelled, or a kind that resolves to nothing
        Text,      // `text` holds the command string
        Waveform,  // the main window is to open the waveform viewer
    };
    Kind kind = Kind::Nothing;
    std::string text;

    static ResolveResult nothing() { return {}; }
    static ResolveResult of(std::string text) { return {Kind::Text, std::move(text)}; }
    static ResolveResult waveform() { return {Kind::Waveform, {}}; }
};

// Resolves `entry` in the given mode, asking `dialogs` when the kind needs one.
ResolveResult resolveEntry(const CatalogEntry& entry, bool mode2D, EntryDialogs& dialogs);

}  // namespace omni::commands

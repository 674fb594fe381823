#include "commands/resolve.h"

#include "resources/string_ids.h"

namespace omni::commands {

namespace {

ResolveResult fromDialog(std::optional<std::string> text) {
    return text ? ResolveResult::of(std::move(*text)) : ResolveResult::nothing();
}

// Kind 2: a choice the entry does not offer is taken as the plain value.
std::string decimalArgument(std::string_view command, const CatalogEntry& entry,
                            NumberChoice choice, bool mode2D) {
    if ((choice.kind == NumberChoice::Kind::Initialize && !(entry.flags & kOfferInitialize)) ||
        (choice.kind == NumberChoice::Kind::Inhibit && !(entry.flags & kOfferInhibit)))
        choice.kind = NumberChoice::Kind::Value;
    return composeDecimalArgument(command, entry.minValue, entry.maxValue, entry.digits, choice,
                                  mode2D);
}

// Kind 4: Initialize and Inhibit give 0.
std::string byteArgument(std::string_view command, const CatalogEntry& entry, NumberChoice choice) {
    const int value = choice.kind == NumberChoice::Kind::Value ? choice.value : 0;
    return composeByteArgument(command, entry.minValue, entry.maxValue, value);
}

}  // namespace

ResolveResult resolveEntry(const CatalogEntry& entry, bool mode2D, EntryDialogs& dialogs) {
    const std::string_view command = entry.command ? entry.command : "";
    switch (entry.kind) {
        case EntryKind::Command:
            return ResolveResult::of(std::string(command));
        case EntryKind::PrefixSuffix:
            return fromDialog(dialogs.prefixSuffix(command, mode2D));
        case EntryKind::DecimalArgument:
        case EntryKind::ByteArgument: {
            const auto choice = dialogs.numberInput(entry, mode2D);
            if (!choice)
                return ResolveResult::nothing();
            return ResolveResult::of(entry.kind == EntryKind::DecimalArgument
                                         ? decimalArgument(command, entry, *choice, mode2D)
                                         : byteArgument(command, entry, *choice));
        }
        case EntryKind::SilentMode:
            return fromDialog(dialogs.silentMode(command, mode2D));
        case EntryKind::Buzzer:
            return fromDialog(dialogs.buzzer(command, mode2D));
        case EntryKind::StatusLed:
            return fromDialog(dialogs.statusLed(command, mode2D));
        case EntryKind::Vibrator:
            return fromDialog(dialogs.vibrator(command, mode2D));
        case EntryKind::BluetoothAddress:
            return fromDialog(
                dialogs.bluetoothBarcode(res::ids::BluetoothAddress, command, mode2D));
        case EntryKind::BluetoothClearData:
            return fromDialog(dialogs.bluetoothBarcode(res::ids::ClearStoredData, command, mode2D));
        case EntryKind::BluetoothDisconnect:
            return fromDialog(
                dialogs.bluetoothBarcode(res::ids::WirelessDisconnect, command, mode2D));
        case EntryKind::BluetoothTime:
            return fromDialog(dialogs.bluetoothSend(res::ids::TimeAdjustment, command, mode2D));
        case EntryKind::BluetoothTimeCode:
            return fromDialog(dialogs.bluetoothBarcode(res::ids::TimeAdjustment, command, mode2D));
        case EntryKind::BluetoothDeviceName:
            return fromDialog(dialogs.bluetoothSend(res::ids::DeviceName, command, mode2D));
        case EntryKind::BluetoothDemoMode:
            return fromDialog(dialogs.bluetoothBarcode(res::ids::DemoMode, command, mode2D));
        case EntryKind::Waveform:
            return ResolveResult::waveform();
    }
    return ResolveResult::nothing();  // kinds above 15
}

}  // namespace omni::commands

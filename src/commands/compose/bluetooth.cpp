#include "commands/compose/bluetooth.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "commands/menu_command.h"
#include "resources/string_ids.h"

namespace omni::commands::compose {
namespace {

// `value` as `count` digit tokens, one write per digit (1D) or one write for all (2D).
void appendNumberWrites(std::vector<std::string>& writes, int value, unsigned count, bool mode2D) {
    const std::string tokens = digitTokens(static_cast<unsigned>(std::max(value, 0)), count, true);
    if (mode2D) {
        writes.push_back(tokens);
        return;
    }
    for (std::size_t at = 0; at < tokens.size(); at += 2) {
        writes.push_back(tokens.substr(at, 2));
    }
}

}  // namespace

DateTime localDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

int clampCodeSize(int size) {
    return std::clamp(size, kCodeSizeMin, kCodeSizeMax);
}

int codeSizeAfterWheel(int size, int wheelDelta) {
    if (wheelDelta > 0) {
        size += kCodeSizeWheelStep;
    } else if (wheelDelta < 0) {
        size -= kCodeSizeWheelStep;
    }
    return clampCodeSize(size);
}

std::string dateTimeValue(const DateTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return text;
}

std::string radioAddressText(std::uint64_t address) {
    char text[32];
    std::snprintf(text, sizeof text, "_%012llx_",
                  static_cast<unsigned long long>(address & 0xFFFF'FFFF'FFFFull));
    return text;
}

std::string commandBarcodeText(std::string_view command) {
    return "_" + std::string(command) + "_";
}

std::optional<std::string> dateTimeBarcodeText(std::u16string_view value) {
    if (value.size() != kDateTimeValueLength) {
        return std::nullopt;
    }
    std::string text = "_";
    for (char16_t c : value) {
        // The barcode font has no glyphs outside ASCII; such characters cannot be drawn.
        if (c > 0x7F) {
            return std::nullopt;
        }
        text += static_cast<char>(c);
    }
    return text + "_";
}

std::optional<std::string> addressBarcodeText(std::uint32_t mode, std::string_view command,
                                              std::u16string_view value,
                                              std::span<const std::uint64_t> radios) {
    switch (mode) {
        case res::ids::BluetoothAddress:
            if (radios.empty()) {
                return std::nullopt;
            }
            return radioAddressText(radios.back());
        case res::ids::ClearStoredData:
        case res::ids::WirelessDisconnect:
        case res::ids::DemoMode:
            return commandBarcodeText(command);
        case res::ids::TimeAdjustment:
            return dateTimeBarcodeText(value);
        default:
            return std::nullopt;
    }
}

std::string clockText(const DateTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

std::optional<DateTime> parseClockText(std::string_view text) {
    // Exactly "dddd/dd/dd dd:dd:dd", as clockText writes it.
    constexpr std::string_view kPattern = "dddd/dd/dd dd:dd:dd";
    if (text.size() != kPattern.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i]) {
            return std::nullopt;
        }
    }
    const auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    return DateTime{number(0, 4),  number(5, 2),  number(8, 2),
                    number(11, 2), number(14, 2), number(17, 2)};
}

const char* deviceNameCommand(char16_t c) {
    static constexpr const char* kLetters[26] = {
        "0A", "0B", "0C", "0D", "0E", "0F", "0G", "0H", "0I", "0J", "0K", "0L", "0M",
        "0N", "0O", "0P", "0Q", "0R", "0S", "0T", "0U", "0V", "0W", "0X", "0Y", "0Z"};
    static constexpr const char* kDigits[10] = {"Q0", "Q1", "Q2", "Q3", "Q4",
                                                "Q5", "Q6", "Q7", "Q8", "Q9"};
    if (c >= u'A' && c <= u'Z') {
        return kLetters[c - u'A'];
    }
    if (c >= u'0' && c <= u'9') {
        return kDigits[c - u'0'];
    }
    switch (c) {
        case u' ':
            return "5A";
        case u'(':
            return "5I";
        case u')':
            return "5J";
        case u'-':
            return "5N";
        case u'.':
            return "5O";
        case u'=':
            return "6D";
        default:
            return nullptr;
    }
}

std::u16string filterDeviceName(std::u16string_view typed) {
    std::u16string name;
    for (char16_t c : typed) {
        if (name.size() == kDeviceNameMaxLength) {
            break;
        }
        if (deviceNameCommand(c) != nullptr) {
            name += c;
        }
    }
    return name;
}

SendCommandControls sendCommandControls(std::uint32_t mode, bool initialize, bool portOpen) {
    SendCommandControls controls;
    controls.clockVisible = mode == res::ids::TimeAdjustment;
    controls.valueVisible = mode == res::ids::DeviceName;
    controls.initializeVisible = mode == res::ids::DeviceName;
    controls.valueEnabled = mode == res::ids::DeviceName && !initialize;
    controls.sendEnabled = portOpen;
    return controls;
}

std::vector<std::string> timeAdjustmentWrites(const DateTime& time, bool mode2D) {
    std::vector<std::string> writes{"[EBE"};
    appendNumberWrites(writes, time.year, 4, mode2D);
    for (int part : {time.month, time.day, time.hour, time.minute, time.second}) {
        appendNumberWrites(writes, part, 2, mode2D);
    }
    writes.emplace_back("[EBF");
    writes.emplace_back("[EBG");
    return writes;
}

std::vector<std::string> deviceNameWrites(std::u16string_view name, bool initialize, bool mode2D) {
    std::vector<std::string> writes{"[E65"};
    if (!initialize) {
        for (char16_t c : name) {
            if (const char* command = deviceNameCommand(c)) {
                writes.emplace_back(command);
                if (!mode2D) {
                    writes.back() += kCarriageReturn;
                }
            }
        }
    }
    writes.emplace_back("[E66");
    return writes;
}

std::string joinWrites(std::span<const std::string> writes) {
    std::string bytes;
    for (const std::string& write : writes) {
        bytes += write;
    }
    return bytes;
}

}  // namespace omni::commands::compose

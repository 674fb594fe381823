// The entry dialogs of omnisetup-cli: the number input answers from --value, --initialize or
// --inhibit; every other dialog is unavailable and leaves a message that says so.
#pragma once

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>

#include "commands/resolve.h"
#include "commands/selector_model.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::cli {

class CliDialogs : public commands::EntryDialogs {
public:
    // `number`: what the command line asked for, if anything. `caption`: the entry's caption,
    // used in the messages.
    CliDialogs(std::optional<commands::NumberChoice> number, std::u16string caption)
        : number_(number), caption_(std::move(caption)) {}

    // Why the last dialog gave nothing, in the user's language (empty when it gave a result).
    const std::u16string& message() const { return message_; }

    std::optional<commands::NumberChoice> numberInput(const commands::CatalogEntry& entry,
                                                      bool) override {
        message_.clear();
        // Only decimal entries offer Initialize and Inhibit; byte entries take a value alone.
        const std::uint16_t offered =
            entry.kind == commands::EntryKind::DecimalArgument ? entry.flags : std::uint16_t{0};
        if (!number_) {
            setMessage(res::ids::NeedsValue,
                       {caption_, number(entry.minValue), number(entry.maxValue)});
            return std::nullopt;
        }
        if (number_->kind == commands::NumberChoice::Kind::Initialize &&
            !(offered & commands::kOfferInitialize)) {
            setMessage(res::ids::NoInitializeOffered, {caption_});
            return std::nullopt;
        }
        if (number_->kind == commands::NumberChoice::Kind::Inhibit &&
            !(offered & commands::kOfferInhibit)) {
            setMessage(res::ids::NoInhibitOffered, {caption_});
            return std::nullopt;
        }
        if (number_->kind == commands::NumberChoice::Kind::Value &&
            (number_->value < entry.minValue || number_->value > entry.maxValue)) {
            // As the number dialog does: the nearest end of the range, and a note saying so.
            const int used = std::clamp<int>(number_->value, entry.minValue, entry.maxValue);
            std::cerr << "omnisetup-cli: "
                      << res::formatUtf8(
                             res::ids::ValueClamped,
                             {std::to_string(number_->value), std::to_string(entry.minValue),
                              std::to_string(entry.maxValue), std::to_string(used)})
                      << "\n";
            return commands::NumberChoice{commands::NumberChoice::Kind::Value, used};
        }
        return number_;
    }

    std::optional<std::string> prefixSuffix(std::string_view, bool) override { return needsGui(); }
    std::optional<std::string> silentMode(std::string_view, bool) override { return needsGui(); }
    std::optional<std::string> buzzer(std::string_view, bool) override { return needsGui(); }
    std::optional<std::string> statusLed(std::string_view, bool) override { return needsGui(); }
    std::optional<std::string> vibrator(std::string_view, bool) override { return needsGui(); }
    std::optional<std::string> bluetoothBarcode(std::uint32_t, std::string_view, bool) override {
        return needsGui();
    }
    std::optional<std::string> bluetoothSend(std::uint32_t, std::string_view, bool) override {
        return needsGui();
    }

private:
    static std::u16string number(int value) { return res::fromUtf8(std::to_string(value)); }

    void setMessage(std::uint32_t id, std::initializer_list<std::u16string_view> args) {
        message_ = res::format(id, args);
    }

    std::optional<std::string> needsGui() {
        setMessage(res::ids::NeedsDesktopDialog, {caption_});
        return std::nullopt;
    }

    std::optional<commands::NumberChoice> number_;
    std::u16string caption_;
    std::u16string message_;
};

}  // namespace omni::cli

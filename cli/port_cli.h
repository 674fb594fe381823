// Shared by the sub-commands that talk to a reader: walking their options, opening the port, and
// the reader layer's open and link failures printed as one line.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "command.h"
#include "exit_status.h"
#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "line_options.h"
#include "reader/module_host.h"
#include "reader/reader_link.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/port_discovery.h"

namespace omni::cli {

// The port descriptor of a device path, with the kind port discovery gives it.
inline serial::PortDescriptor devicePort(const std::string& device) {
    return {serial::kindOfDevice(device), device};
}

// Walks the options of a sub-command that talks to the reader on --port PATH. An option with a
// value counts only when the value follows it; what no branch takes is an unknown option.
class PortOptions {
public:
    explicit PortOptions(const Args& args) : args_(args) {}

    // Moves to the next option, taking any --port PATH on the way; false at the end.
    bool next() {
        while (i_ < args_.size()) {
            option_ = &args_[i_++];
            if (*option_ != "--port" || i_ >= args_.size())
                return true;
            port_ = args_[i_++];
        }
        return false;
    }
    bool is(const char* name) const { return *option_ == name; }
    // The value after the current option when it is `name` (taking it), else nullptr.
    const std::string* valueOf(const char* name) {
        if (!is(name) || i_ >= args_.size())
            return nullptr;
        return &args_[i_++];
    }
    // One line about the current option; returns exit status 2.
    int unknown() const {
        return fail(res::formatUtf8(res::ids::UnknownOption, {*option_}), ExitBadInput);
    }
    // Puts the port given into `device`; 0, or exit status 2 after printing that none was.
    int takePort(std::string& device) const {
        if (port_.empty())
            return fail(res::loadStringUtf8(res::ids::MissingPort), ExitBadInput);
        device = port_;
        return 0;
    }

private:
    const Args& args_;
    std::size_t i_ = 0;
    const std::string* option_ = nullptr;
    std::string port_;
};

// A whole number from `low` to `high` written in decimal; nullopt for anything else.
inline std::optional<long> wholeNumber(const std::string& text, long low, long high) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || value < low || value > high)
        return std::nullopt;
    return value;
}

// Makes `port` open with the given line options over the settings stored for `device`.
inline void overrideLine(serial::SerialPortForPosix& port, const LineOptions& line,
                         const std::string& device) {
    if (line.any()) {
        port.setLineOverride(
            line.over(loadLineSettings(foundation::kProgramSettingsKey, devicePort(device))));
    }
}

// Opens the reader on `device` with the program's saved line settings (or the override set on
// `port`); 0 or the exit status after printing why it could not be opened.
inline int openReader(serial::SerialPortForPosix& port, const std::string& device) {
    reader::installModuleLock();
    reader::FailureKind kind{};
    const std::string failure = reader::openReaderPort(
        port, devicePort(device), foundation::kProgramSettingsKey, device, &kind);
    if (!failure.empty())
        return fail(failure, exitStatusOf(kind));
    return 0;
}

// One line for a failure of the link once the port is open.
inline int failLink(const foundation::Exception& error, const std::string& device) {
    return fail(reader::linkFailureMessage(device, error), exitStatusOf(error));
}

}  // namespace omni::cli

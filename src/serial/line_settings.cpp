#include "serial/line_settings.h"

#include <cerrno>
#include <iterator>
#include <utility>

#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::serial {
namespace {

constexpr std::pair<std::uint32_t, speed_t> kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

template <typename Value>
struct Name {
    std::string_view text;
    Value value;
};

constexpr Name<Parity> kParityNames[] = {{"none", Parity::None},
                                         {"odd", Parity::Odd},
                                         {"even", Parity::Even},
                                         {"mark", Parity::Mark},
                                         {"space", Parity::Space}};
constexpr Name<StopBits> kStopBitsNames[] = {
    {"1", StopBits::One}, {"1.5", StopBits::OneAndHalf}, {"2", StopBits::Two}};
constexpr Name<FlowControl> kFlowNames[] = {{"none", FlowControl::None},
                                            {"hardware", FlowControl::Hardware},
                                            {"software", FlowControl::Software}};

template <typename Value, std::size_t N>
std::optional<Value> valueNamed(const Name<Value> (&names)[N], std::string_view text) {
    for (const auto& name : names) {
        if (name.text == text)
            return name.value;
    }
    return std::nullopt;
}

template <typename Value, std::size_t N>
std::string_view nameIn(const Name<Value> (&names)[N], Value value) {
    for (const auto& name : names) {
        if (name.value == value)
            return name.text;
    }
    return "?";
}

}  // namespace

std::string_view nameOf(Parity parity) {
    return nameIn(kParityNames, parity);
}
std::string_view nameOf(StopBits stopBits) {
    return nameIn(kStopBitsNames, stopBits);
}
std::string_view nameOf(FlowControl flow) {
    return nameIn(kFlowNames, flow);
}
std::optional<Parity> parityNamed(std::string_view name) {
    return valueNamed(kParityNames, name);
}
std::optional<StopBits> stopBitsNamed(std::string_view name) {
    return valueNamed(kStopBitsNames, name);
}
std::optional<FlowControl> flowNamed(std::string_view name) {
    return valueNamed(kFlowNames, name);
}

bool inRange(const LineSettings& settings) {
    return settings.baudRate != 0 && settings.dataBits >= 5 && settings.dataBits <= 8 &&
           static_cast<unsigned>(settings.parity) <= static_cast<unsigned>(Parity::Space) &&
           static_cast<unsigned>(settings.stopBits) <= static_cast<unsigned>(StopBits::Two) &&
           static_cast<unsigned>(settings.flowControl) <=
               static_cast<unsigned>(FlowControl::Software);
}

foundation::UserException lineSettingRefused(LineSetting which, const LineSettings& settings) {
    std::string value;
    std::uint32_t id = res::ids::BaudRateRefused;
    switch (which) {
        case LineSetting::BaudRate:
            value = std::to_string(settings.baudRate);
            break;
        case LineSetting::DataBits:
            id = res::ids::DataBitsRefused;
            value = std::to_string(settings.dataBits);
            break;
        case LineSetting::Parity:
            id = res::ids::ParityRefused;
            value = nameOf(settings.parity);
            break;
        case LineSetting::StopBits:
            id = res::ids::StopBitsRefused;
            value = nameOf(settings.stopBits);
            break;
        case LineSetting::FlowControl:
            id = res::ids::FlowControlRefused;
            value = nameOf(settings.flowControl);
            break;
    }
    return foundation::UserException(foundation::UserException::BadInput,
                                     res::format(id, {res::fromUtf8(value)}));
}

LineSettings loadLineSettings(std::string_view settingsKey, const PortDescriptor& port) {
    LineSettings stored;
    if (!foundation::readSetting(settingsKey, portSettingsName(port), stored) ||
        stored.length != LineSettings::kMarker || !inRange(stored)) {
        return LineSettings{};
    }
    return stored;
}

void storeLineSettings(std::string_view settingsKey, const PortDescriptor& port,
                       const LineSettings& settings) {
    LineSettings record = settings;
    record.length = LineSettings::kMarker;
    foundation::writeSetting(settingsKey, portSettingsName(port), record);
}

termios toTermios(const LineSettings& settings, const termios& base) {
    termios state = base;
    cfmakeraw(&state);
    speed_t speed = 0;
    bool found = false;
    for (auto [baud, code] : kSpeeds) {
        if (baud == settings.baudRate) {
            speed = code;
            found = true;
        }
    }
    if (!found)
        throw lineSettingRefused(LineSetting::BaudRate, settings);
    cfsetispeed(&state, speed);
    cfsetospeed(&state, speed);

    state.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    state.c_cflag |= CLOCAL | CREAD;
    // Character sizes 5 to 8 bits.
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    if (settings.dataBits < 5 || settings.dataBits > 8)
        throw lineSettingRefused(LineSetting::DataBits, settings);
    state.c_cflag |= kSizes[settings.dataBits - 5];
    // By Parity: none, odd, even, mark, space.
    static constexpr tcflag_t kParities[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                             PARENB | CMSPAR};
    if (const auto parity = static_cast<std::size_t>(settings.parity);
        parity < std::size(kParities))
        state.c_cflag |= kParities[parity];
    if (settings.stopBits != StopBits::One)
        state.c_cflag |= CSTOPB;

    state.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (settings.flowControl == FlowControl::Hardware)
        state.c_cflag |= CRTSCTS;
    if (settings.flowControl == FlowControl::Software) {
        state.c_iflag |= IXON | IXOFF;
        state.c_cc[VSTART] = static_cast<cc_t>(settings.xonChar);
        state.c_cc[VSTOP] = static_cast<cc_t>(settings.xoffChar);
    }
    state.c_cc[VMIN] = 0;
    state.c_cc[VTIME] = 0;
    return state;
}

std::uint32_t baudRateOf(const termios& state) {
    speed_t speed = cfgetospeed(&state);
    for (auto [baud, code] : kSpeeds) {
        if (code == speed)
            return baud;
    }
    return 0;
}

bool isModuleHighSpeedState(const termios& state) {
    return baudRateOf(state) == 115200 && (state.c_cflag & CSIZE) == CS8 &&
           (state.c_cflag & CRTSCTS) != 0;
}

}  // namespace omni::serial

#include "serial/line_settings.h"

#include <cerrno>
#include <iterator>
#include <utility>

#include "app/settings_store.h"
#include "ui/exception.h"

namespace omni {
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

}  // namespace

LineSettings loadLineSettings(std::string_view settingsKey, const PortDescriptor& port) {
    LineSettings stored;
    if (!readSetting(settingsKey, portSettingsName(port), stored) ||
        stored.length != LineSettings::kMarker) {
        return LineSettings{};
    }
    return stored;
}

void storeLineSettings(std::string_view settingsKey, const PortDescriptor& port,
                       const LineSettings& settings) {
    LineSettings record = settings;
    record.length = LineSettings::kMarker;
    writeSetting(settingsKey, portSettingsName(port), record);
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
        throw SystemException(EINVAL);
    cfsetispeed(&state, speed);
    cfsetospeed(&state, speed);

    state.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    state.c_cflag |= CLOCAL | CREAD;
    // Character sizes 5 to 8 bits.
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    if (settings.dataBits < 5 || settings.dataBits > 8)
        throw UserException(UserException::BadInput, u"data bits");
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

}  // namespace omni

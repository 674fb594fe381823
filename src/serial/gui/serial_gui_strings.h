// String ids of the log pane, the port box, the port settings dialog and the connection
// messages (the string table's connect.tsv; the port labels and open errors are port.tsv's).
#pragma once

#include <cstdint>

namespace omni::serial::ids {

inline constexpr std::uint32_t kSimulated2D = 20500;
inline constexpr std::uint32_t kSimulated1D = 20501;
inline constexpr std::uint32_t kConnectDisconnect = 20502;
inline constexpr std::uint32_t kProperty = 20503;
inline constexpr std::uint32_t kWordWrap = 20504;
inline constexpr std::uint32_t kFont = 20505;
inline constexpr std::uint32_t kToolConnection = 20506;
inline constexpr std::uint32_t kToolPortSettings = 20507;
inline constexpr std::uint32_t kPortBoxHint = 20508;

inline constexpr std::uint32_t kSettingsTitle = 20510;
inline constexpr std::uint32_t kBaudRate = 20511;
inline constexpr std::uint32_t kDataBits = 20512;
inline constexpr std::uint32_t kParity = 20513;
inline constexpr std::uint32_t kStopBits = 20514;
inline constexpr std::uint32_t kFlowControl = 20515;
inline constexpr std::uint32_t kParityNone = 20516;  // also "no flow control"
inline constexpr std::uint32_t kParityOdd = 20517;
inline constexpr std::uint32_t kParityEven = 20518;
inline constexpr std::uint32_t kParityMark = 20519;
inline constexpr std::uint32_t kParitySpace = 20520;
inline constexpr std::uint32_t kFlowHardware = 20521;
inline constexpr std::uint32_t kFlowSoftware = 20522;
inline constexpr std::uint32_t kBadBaudRate = 20523;
inline constexpr std::uint32_t kSettingsApplyNextTime = 20524;

inline constexpr std::uint32_t kChoosePortFirst = 20530;
inline constexpr std::uint32_t kConnectingTo = 20531;
inline constexpr std::uint32_t kConnectedTo = 20532;
inline constexpr std::uint32_t kConnectedUnidentified = 20533;
inline constexpr std::uint32_t kDisconnected = 20534;
inline constexpr std::uint32_t kUnplugged = 20535;
inline constexpr std::uint32_t kUnpluggedWatching = 20536;
inline constexpr std::uint32_t kBackReconnecting = 20537;
inline constexpr std::uint32_t kPortMissing = 20538;
inline constexpr std::uint32_t kNotASerialPort = 20539;
inline constexpr std::uint32_t kSimulatorFailed = 20540;
inline constexpr std::uint32_t kConnecting = 20541;
inline constexpr std::uint32_t kCannotPrint = 20542;
inline constexpr std::uint32_t kConnectionLost = 20543;
inline constexpr std::uint32_t kNotAReader = 20544;

// port.tsv
inline constexpr std::uint32_t kCannotOpen = 23510;
inline constexpr std::uint32_t kNoAccess = 23513;
inline constexpr std::uint32_t kBusy = 23514;

}  // namespace omni::serial::ids

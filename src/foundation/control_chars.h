// The ASCII control characters of the reader's protocols.
#pragma once

namespace omni::foundation {

inline constexpr char kAck = 0x06;  // a command was taken
inline constexpr char kNak = 0x15;  // a command was refused
inline constexpr char kCr = 0x0D;   // ends a command or a reply line
inline constexpr char kEsc = 0x1B;  // starts a command
inline constexpr char kEtb = 0x17;  // ends an image transfer
inline constexpr char kCan = 0x18;  // cancels a transfer

}  // namespace omni::foundation

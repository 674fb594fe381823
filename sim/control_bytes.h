// The ASCII control bytes of the reader's protocols: command frames (ESC ... CR), acknowledgements
// and the blocks of picture and firmware transfers.
#pragma once

namespace omni::sim {

inline constexpr char kSoh = 0x01;  // start of an XMODEM block
inline constexpr char kEot = 0x04;  // end of an XMODEM transfer
inline constexpr char kAck = 0x06;
inline constexpr char kCr = 0x0D;  // ends a command frame
inline constexpr char kNak = 0x15;
inline constexpr char kEtb = 0x17;  // ends a picture block
inline constexpr char kCan = 0x18;
inline constexpr char kEsc = 0x1B;  // opens a command frame

}  // namespace omni::sim

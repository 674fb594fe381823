// Inside the module library: the firmware download protocols shared by the module families.
// Not part of the library's interface; hosts use module/kes_sdk.h.
//
// Two protocols carry a firmware file to the engine:
//   - the application protocol (EngineA, EngineAD, EngineB, EngineC, and EngineAInvalid in its
//     boot loader): 8198-byte packets, each answered "NX", then a write phase in which the
//     engine reports its flash writes;
//   - the XMODEM protocol of EngineL: 132-byte packets with an 8-bit checksum, started by the
//     engine's NAK, ended by the byte 4.
// Both leave the port at the speed it had before, on every end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "module/kes_object.h"

namespace kes {

// --- Application protocol ---
inline constexpr std::uint32_t kAppBlockData = 8192;
inline constexpr std::uint32_t kAppPacketSize = 8198;   // number, length, data, checksum
inline constexpr std::uint32_t kAppMaxAttempts = 4;     // tries of one block before giving up
inline constexpr std::uint32_t kWriteUnit = 65536;      // the engine reports its writes per 64 KB
inline constexpr std::uint16_t kSerialLoaderBlock = 0;  // first block of a file with its own loader
inline constexpr std::uint16_t kApplicationBlock = 8;   // first block of any other file

// Fills `packet` (kAppPacketSize bytes): block number and length 8192 little-endian, `count`
// data bytes zero-padded to 8192, the 16-bit sum of the 8192 data bytes little-endian.
void buildApplicationPacket(std::uint16_t block, const std::uint8_t* data, std::uint32_t count,
                            std::uint8_t* packet);
// A control packet: the two letters, then zeros ("ED" end of data, "EB" abort).
void buildControlPacket(char first, char second, std::uint8_t* packet);

// The engine's replies in the write phase, read byte by byte. Bytes before one of the lead
// letters E, B, F, W are skipped; a lead letter and the byte after it form one reply.
class WriteReplyReader {
public:
    enum class Reply { None, Writing, UnitWritten, Finished, WriteError, Unknown };
    // None while a reply is incomplete (or the byte was skipped).
    Reply feed(std::uint8_t byte);

private:
    std::uint8_t lead_ = 0;
};

// --- XMODEM protocol ---
inline constexpr std::uint32_t kXmodemData = 128;
inline constexpr std::uint32_t kXmodemPacketSize = 132;  // SOH, number, complement, data, sum
inline constexpr std::uint8_t kSoh = 1;
inline constexpr std::uint8_t kEot = 4;
inline constexpr std::uint8_t kAck = 6;
inline constexpr std::uint8_t kNak = 21;
inline constexpr std::uint8_t kCan = 24;

// Fills `packet` (kXmodemPacketSize bytes) for 8-bit block number `block`.
void buildXmodemPacket(std::uint8_t block, const std::uint8_t* data, std::uint32_t count,
                       std::uint8_t* packet);

// --- Shared by both ---

// Reads up to `count` bytes from the stream, as many calls as it takes; fewer only at the end.
std::uint32_t readFull(InputStreamInterface& input, std::uint8_t* buffer, std::uint32_t count);

// Restores the port speed without losing the status that ended the download.
void restoreSpeedKeepingStatus(SerialPortForModule& port);

// The application protocol from the first block to the end of the write phase; the port is
// already at high speed. Returns true when the engine reported the write finished. `cancelled`
// is asked after each accepted block.
bool runApplicationProtocol(SerialPortForModule& port, InputStreamInterface& input,
                            std::uint32_t fileSize, const ProgressReport& report,
                            const std::function<bool()>& cancelled);

}  // namespace kes

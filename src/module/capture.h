// The image transfer from the engine: block-by-block with ACK/NAK and retries, or the whole image
// as one block, each with the position-weighted checksum. Used by the families that capture, and
// fed from a buffer by the fuzz target.
#pragma once

#include <atomic>
#include <cstdint>

#include "module/image_info.h"
#include "module/kes_object.h"

namespace kes {

// Control bytes of the image protocol.
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kEtb = 0x17;
inline constexpr std::uint8_t kCan = 0x18;

// Sum of (i + 1) × data[i] modulo 65536, continued from `sum` for bytes that start at `offset`.
std::uint16_t blockChecksum(const std::uint8_t* data, std::size_t count, std::uint32_t offset = 0,
                            std::uint16_t sum = 0);

// What the engine class can produce: a data size beyond maxWidth × maxHeight × 2 is refused
// before anything is allocated.
struct ImageLimits {
    std::uint16_t maxWidth = 752;
    std::uint16_t maxHeight = 480;
    std::uint32_t maxDataSize() const { return std::uint32_t{maxWidth} * maxHeight * 2; }
};

// Receives one image once the request has been sent. The result is a new image, or null: with
// status 0 when the transfer was cancelled (CAN sent), with the reason otherwise (ETB sent).
class ImageReceiver {
public:
    static constexpr std::uint32_t kBlockWaitMs = 5000;
    static constexpr int kAttempts = 4;  // the fourth failure of one block ends the transfer

    // `cancelRequests` is the module's cancel counter and `cancelSeen` its value when the shot
    // began; any difference is a cancel.
    ImageReceiver(SerialPortForModule& port, ShootProgressInterface* progress, ImageLimits limits,
                  const std::atomic<std::uint32_t>& cancelRequests, std::uint32_t cancelSeen)
        : port_(port),
          progress_(reportOf(progress)),
          limits_(limits),
          cancelRequests_(cancelRequests),
          cancelSeen_(cancelSeen) {}

    ImageInfomation* receiveBlocks();
    ImageInfomation* receiveWhole();

private:
    enum class Outcome { Ok, Retry, Failed, Cancelled };
    struct Block {
        std::uint8_t type = 0;
        std::uint32_t length = 0;
    };

    static Outcome outcomeOfStatus();
    bool cancelRequested() const;
    Outcome waitAndReadHead(Block& block);
    Outcome readBlock(std::uint8_t* into, std::uint32_t room, Block& block);
    Outcome readWithRetries(std::uint8_t* into, std::uint32_t room, Block& block);
    // Reads one block into `into`; false (with the status set) unless it is a data block. An
    // error report is acknowledged; any other block cancels the transfer.
    bool readDataBlock(std::uint8_t* into, std::uint32_t room, Block& block);
    bool readHeaderBlock(ImageInfomation& image);
    bool readDataBlocks(ImageInfomation& image);
    bool readWholePayload(ImageInfomation& image, std::uint32_t length);
    bool acceptHeader(ImageInfomation& image);
    KesState reportedState(const std::uint8_t* payload, std::uint32_t length) const;
    void reportRange(const ImageInfomation& image);
    void reportPosition(std::int32_t position);
    // Announces the transfer and allocates the image; null, with the failure reported, when
    // there is no memory.
    ImageInfomation* startImage(bool blockByBlock);
    // Ends the transfer: ETB and the image when everything was `received`, otherwise CAN after a
    // cancel or ETB after a failure.
    ImageInfomation* finishImage(ImageInfomation* image, bool received);
    ImageInfomation* fail(ImageInfomation* image, KesState state);
    ImageInfomation* cancel(ImageInfomation* image);

    SerialPortForModule& port_;
    ProgressReport progress_;
    ImageLimits limits_;
    const std::atomic<std::uint32_t>& cancelRequests_;
    std::uint32_t cancelSeen_;
    bool cancelled_ = false;
    KesState reported_ = KES_STATE_SUCCESS;  // the status named by the last error report
    std::uint16_t headerSum_ = 0;            // whole transfer: checksum of the header bytes
};

// Sends ETB while keeping the status of the failure it follows.
void sendAfterFailure(SerialPortForModule& port, std::uint8_t byte);

}  // namespace kes

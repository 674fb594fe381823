// Receiving an image from the engine.
//
// Block by block: the header block (256 payload bytes), then data blocks until the header's data
// size has arrived; each block is acknowledged with ACK or refused with NAK, and the fourth
// failure of one block ends the shot. Whole: one block carrying header and data, answered once.
// The receiver never stores past the 256 header bytes or the data size, whatever the engine
// claims, and refuses a data size the engine class cannot produce before allocating anything.
#include "module/capture.h"

#include <algorithm>
#include <memory>
#include <new>

namespace kes {
namespace {

constexpr std::uint8_t kDataBlock = '!';
constexpr std::uint8_t kErrorReport = '?';
constexpr std::uint32_t kHeadSize = 7;  // type, block field (2), length (4)
constexpr std::uint32_t kTailSize = 3;  // checksum (2), trailer
constexpr std::uint32_t kMaxReport = ImageHeader::kSize;

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Reads exactly `count` bytes; false (with the status set) when they did not all come.
bool readExactly(SerialPortForModule& port, void* into, std::uint32_t count) {
    if (count == 0)
        return true;
    const std::uint32_t got = port.read(into, count);
    if (got == count && status() == KES_STATE_SUCCESS)
        return true;
    if (status() == KES_STATE_SUCCESS)
        setStatus(KES_STATE_COMMUNICATION_FAILURE);
    return false;
}

bool tailMatches(const std::uint8_t* tail, std::uint16_t sum) {
    return static_cast<std::uint16_t>(tail[0] << 8 | tail[1]) == sum;
}

}  // namespace

std::uint16_t blockChecksum(const std::uint8_t* data, std::size_t count, std::uint32_t offset,
                            std::uint16_t sum) {
    std::uint32_t total = sum;  // unsigned wrap-around keeps the sum right modulo 65536
    for (std::size_t i = 0; i < count; ++i)
        total += (offset + static_cast<std::uint32_t>(i) + 1) * data[i];
    return static_cast<std::uint16_t>(total);
}

void sendAfterFailure(SerialPortForModule& port, std::uint8_t byte) {
    const KesState failure = status();
    setStatus(KES_STATE_SUCCESS);
    port.put(byte);
    setStatus(failure);
}

bool ImageReceiver::cancelRequested() const {
    return cancelRequests_.load(std::memory_order_relaxed) != cancelSeen_;
}

// Turns the status left by a port operation into the outcome of the block being read: a
// time-out is worth a retry, a cancelled wait is a cancel, anything else ends the shot.
ImageReceiver::Outcome ImageReceiver::outcomeOfStatus() {
    const KesState state = status();
    if (state == KES_STATE_SUCCESS)
        return Outcome::Ok;
    if (state == KES_STATE_COMMUNICATION_TIMEOUT) {
        setStatus(KES_STATE_SUCCESS);
        return Outcome::Retry;
    }
    if (state == KES_STATE_CANCELED) {
        setStatus(KES_STATE_SUCCESS);
        return Outcome::Cancelled;
    }
    return Outcome::Failed;
}

ImageReceiver::Outcome ImageReceiver::waitAndReadHead(Block& block) {
    std::uint8_t head[kHeadSize];
    port_.waitForData(kBlockWaitMs);
    if (status() == KES_STATE_SUCCESS)
        readExactly(port_, head, kHeadSize);
    if (Outcome outcome = outcomeOfStatus(); outcome != Outcome::Ok)
        return outcome;
    block.type = head[0];
    block.length = be32(head + 3);
    return Outcome::Ok;
}

// One block into `into`, which has room for `room` bytes. An error report goes to its own
// buffer; a block of another type is returned unread for the caller to refuse.
ImageReceiver::Outcome ImageReceiver::readBlock(std::uint8_t* into, std::uint32_t room,
                                                Block& block) {
    if (Outcome head = waitAndReadHead(block); head != Outcome::Ok)
        return head;
    std::uint8_t report[kMaxReport];
    if (block.type == kErrorReport) {
        into = report;
        room = kMaxReport;
    } else if (block.type != kDataBlock) {
        return Outcome::Ok;
    }
    if (block.length > room) {
        setStatus(KES_STATE_BROKEN_IMAGE);
        return Outcome::Failed;
    }
    std::uint8_t tail[kTailSize];
    if (readExactly(port_, into, block.length))
        readExactly(port_, tail, kTailSize);
    if (Outcome outcome = outcomeOfStatus(); outcome != Outcome::Ok)
        return outcome;
    if (!tailMatches(tail, blockChecksum(into, block.length)))
        return Outcome::Retry;
    if (block.type == kErrorReport)
        reported_ = reportedState(report, block.length);
    return Outcome::Ok;
}

ImageReceiver::Outcome ImageReceiver::readWithRetries(std::uint8_t* into, std::uint32_t room,
                                                      Block& block) {
    for (int attempt = 1;; ++attempt) {
        Outcome outcome = readBlock(into, room, block);
        if (outcome != Outcome::Cancelled && cancelRequested()) {
            setStatus(KES_STATE_SUCCESS);
            return Outcome::Cancelled;
        }
        if (outcome != Outcome::Retry)
            return outcome;
        if (attempt == kAttempts) {
            setStatus(KES_STATE_TOO_MANY_RETRY);
            return Outcome::Failed;
        }
        if (!port_.put(kNak))
            return Outcome::Failed;
    }
}

KesState ImageReceiver::reportedState(const std::uint8_t* payload, std::uint32_t length) const {
    if (length < 2)
        return KES_STATE_SUCCESS;
    switch (payload[1]) {
        case 0:
            return KES_STATE_NO_IMAGE;
        case 1:
            return KES_STATE_BROKEN_IMAGE;
        case 2:
            return KES_STATE_USING_IMAGE;
        case 16:
            return KES_STATE_CAMERA_EXCEPTION;
        default:
            return KES_STATE_SUCCESS;
    }
}

// Converts the header and checks what it claims before the data buffer is allocated.
bool ImageReceiver::acceptHeader(ImageInfomation& image) {
    ImageHeader& header = image.header();
    header.toHostOrder();
    const std::uint32_t size = header.dataSize();
    bool plausible = size != 0 && size <= limits_.maxDataSize();
    if (plausible && header.format() != kFormatJpeg) {
        plausible = header.width() != 0 && header.height() != 0 &&
                    header.width() <= limits_.maxWidth && header.height() <= limits_.maxHeight &&
                    std::uint64_t{header.bytesPerLine()} * header.height() <= size;
    }
    if (!plausible) {
        setStatus(KES_STATE_BROKEN_IMAGE);
        return false;
    }
    if (!image.allocate()) {
        setStatus(KES_STATE_CREATE_HANDLE_FAILURE);
        return false;
    }
    reportRange(image);
    return true;
}

void ImageReceiver::reportRange(const ImageInfomation& image) {
    const std::uint32_t line = std::max<std::uint32_t>(image.bytesPerLine(), 1);
    progress_.transferRange(0, static_cast<std::int32_t>(image.dataSize() / line));
    progress_.transferPosition(0);
}

void ImageReceiver::reportPosition(std::int32_t position) {
    progress_.transferPosition(position);
}

ImageInfomation* ImageReceiver::fail(ImageInfomation* image, KesState state) {
    delete image;
    setStatus(state);
    sendAfterFailure(port_, kEtb);
    return nullptr;
}

ImageInfomation* ImageReceiver::cancel(ImageInfomation* image) {
    delete image;
    cancelled_ = true;
    setStatus(KES_STATE_SUCCESS);
    port_.put(kCan);
    setStatus(KES_STATE_SUCCESS);
    return nullptr;
}

bool ImageReceiver::readDataBlock(std::uint8_t* into, std::uint32_t room, Block& block) {
    switch (readWithRetries(into, room, block)) {
        case Outcome::Ok:
            break;
        case Outcome::Cancelled:
            cancelled_ = true;
            return false;
        default:
            return false;
    }
    if (block.type == kErrorReport) {
        port_.put(kAck);
        setStatus(reported_);
        return false;
    }
    if (block.type != kDataBlock) {
        sendAfterFailure(port_, kCan);
        setStatus(KES_STATE_COMMUNICATION_FAILURE);
        return false;
    }
    return true;
}

bool ImageReceiver::readHeaderBlock(ImageInfomation& image) {
    Block block;
    if (!readDataBlock(image.header().bytes, ImageHeader::kSize, block))
        return false;
    if (block.length != ImageHeader::kSize) {
        setStatus(KES_STATE_BROKEN_IMAGE);
        return false;
    }
    return acceptHeader(image) && port_.put(kAck);
}

bool ImageReceiver::readDataBlocks(ImageInfomation& image) {
    const std::uint32_t size = image.dataSize();
    std::uint32_t received = 0;
    std::int32_t blocks = 0;
    while (received < size) {
        Block block;
        if (!readDataBlock(image.data() + received, size - received, block) || !port_.put(kAck))
            return false;
        received += block.length;
        reportPosition(++blocks);
    }
    return true;
}

ImageInfomation* ImageReceiver::startImage(bool blockByBlock) {
    progress_.begin(blockByBlock);
    auto* image = new (std::nothrow) ImageInfomation;
    if (!image)
        fail(nullptr, KES_STATE_CREATE_HANDLE_FAILURE);
    return image;
}

ImageInfomation* ImageReceiver::finishImage(ImageInfomation* image, bool received) {
    if (!received)
        return cancelled_ ? cancel(image) : fail(image, status());
    port_.put(kEtb);
    return status() == KES_STATE_SUCCESS ? image : fail(image, status());
}

ImageInfomation* ImageReceiver::receiveBlocks() {
    auto* image = startImage(true);
    if (!image)
        return nullptr;
    return finishImage(image, readHeaderBlock(*image) && readDataBlocks(*image));
}

// The payload after the header, in pieces of at most one line, kept up to the data size; the
// checksum runs over every payload byte.
bool ImageReceiver::readWholePayload(ImageInfomation& image, std::uint32_t length) {
    // The checksum so far covers the header as it arrived (it has been converted since).
    std::uint16_t sum = headerSum_;
    const std::uint32_t line = std::max<std::uint32_t>(image.bytesPerLine(), 1);
    std::unique_ptr<std::uint8_t[]> piece(new (std::nothrow) std::uint8_t[line]);
    if (!piece) {
        setStatus(KES_STATE_CREATE_HANDLE_FAILURE);
        return false;
    }
    std::uint32_t done = 0;
    std::int32_t pieces = 0;
    while (done < length) {
        if (cancelRequested()) {
            cancelled_ = true;
            return false;
        }
        const std::uint32_t n = std::min(line, length - done);
        if (!readExactly(port_, piece.get(), n))
            return false;
        sum = blockChecksum(piece.get(), n, ImageHeader::kSize + done, sum);
        if (done < image.dataSize())
            std::copy_n(piece.get(), std::min(n, image.dataSize() - done), image.data() + done);
        done += n;
        reportPosition(++pieces);
    }
    std::uint8_t tail[kTailSize];
    if (!readExactly(port_, tail, kTailSize))
        return false;
    if (!tailMatches(tail, sum)) {
        setStatus(KES_STATE_TOO_MANY_RETRY);
        return false;
    }
    return true;
}

ImageInfomation* ImageReceiver::receiveWhole() {
    auto* image = startImage(false);
    if (!image)
        return nullptr;
    Block block;
    switch (waitAndReadHead(block)) {
        case Outcome::Ok:
            break;
        case Outcome::Retry:
            return fail(image, KES_STATE_COMMUNICATION_TIMEOUT);
        case Outcome::Cancelled:
            return cancel(image);
        default:
            return fail(image, status());
    }
    if (block.type == kErrorReport) {
        std::uint8_t report[kMaxReport];
        std::uint8_t tail[kTailSize];
        if (block.length > kMaxReport)
            return fail(image, KES_STATE_BROKEN_IMAGE);
        if (!readExactly(port_, report, block.length) || !readExactly(port_, tail, kTailSize))
            return fail(image, status());
        if (!tailMatches(tail, blockChecksum(report, block.length)))
            return fail(image, KES_STATE_TOO_MANY_RETRY);
        return fail(image, reportedState(report, block.length));
    }
    if (block.type != kDataBlock)
        return fail(image, KES_STATE_COMMUNICATION_FAILURE);
    const std::uint32_t payload = block.length;
    if (payload < ImageHeader::kSize || payload - ImageHeader::kSize > limits_.maxDataSize())
        return fail(image, KES_STATE_BROKEN_IMAGE);
    if (!readExactly(port_, image->header().bytes, ImageHeader::kSize))
        return fail(image, status());
    headerSum_ = blockChecksum(image->header().bytes, ImageHeader::kSize);
    if (!acceptHeader(*image))
        return fail(image, status());
    if (payload - ImageHeader::kSize < image->dataSize())
        return fail(image, KES_STATE_BROKEN_IMAGE);
    return finishImage(image, readWholePayload(*image, payload - ImageHeader::kSize));
}

}  // namespace kes

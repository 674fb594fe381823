// Receiving a picture for the decoding test, and the test itself.
#include <cstdio>
#include <memory>

#include "sim/capture_responder.h"
#include "sim/control_bytes.h"
#include "sim/locked.h"
#include "sim/test_picture.h"

namespace omni::sim {
namespace {

constexpr auto kPartWait = std::chrono::milliseconds(2000);

}  // namespace

bool PictureResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command.substr(0, 5) == "[DE0Q") {
        receive(reader);
        return true;
    }
    std::lock_guard lock(mutex_);
    if (command == "[DEDQ3Q0Q0Q0") {
        armed_ = true;
        return true;
    }
    if (command == "[DEDQ0Q0Q0Q0") {
        armed_ = false;
        return true;
    }
    if (command == "Z" && armed_) {
        reader.reply(decodeResult_ + "\r");
        return true;
    }
    return false;
}

void PictureResponder::receive(SimulatedReader& reader) {
    {
        std::lock_guard lock(mutex_);
        received_ = {};
    }
    reader.send(std::string(1, kAck));
    const std::string header = reader.readRaw(256, kPartWait);
    unsigned total = 0, lineBytes = 0, lines = 0, bits = 0;
    const auto* h = reinterpret_cast<const std::uint8_t*>(header.data());
    if (header.size() != 256 ||
        std::sscanf(header.c_str(), "=%8u%4u%4u%1x", &total, &lineBytes, &lines, &bits) != 4 ||
        weightedSum(h + 1, 252) != (h[253] << 8 | h[254]) || total != lineBytes * lines) {
        reader.send(std::string(1, kNak));
        return;
    }
    reader.send(std::string(1, kAck));
    std::string pixels;
    for (unsigned line = 0; line < lines;) {
        const std::string got = reader.readRaw(lineBytes + 10, kPartWait);
        if (got.size() != lineBytes + 10)
            return;  // the sender gave up
        const auto* b = reinterpret_cast<const std::uint8_t*>(got.data());
        bool refuse = got[0] != '!' ||
                      weightedSum(b + 7, lineBytes) != (b[7 + lineBytes] << 8 | b[8 + lineBytes]);
        {
            std::lock_guard lock(mutex_);
            auto it = refuse_.find(line);
            if (it != refuse_.end() && it->second > 0) {
                --it->second;
                refuse = true;
            }
        }
        reader.send(std::string(1, refuse ? kNak : kAck));
        if (refuse)
            continue;
        pixels.append(got, 7, lineBytes);
        ++line;
    }
    std::lock_guard lock(mutex_);
    received_ = {static_cast<int>(lineBytes), static_cast<int>(lines), static_cast<int>(bits),
                 std::move(pixels), true};
}

void PictureResponder::setDecodeResult(std::string text) {
    setLocked(mutex_, decodeResult_, std::move(text));
}

void PictureResponder::refuseLine(std::size_t index, int times) {
    std::lock_guard lock(mutex_);
    refuse_[index] = times;
}

PictureResponder::Received PictureResponder::received() const {
    return getLocked(mutex_, received_);
}

ImagingResponders addImagingResponders(SimulatedReader& reader) {
    auto capture = std::make_unique<CaptureResponder>();
    auto picture = std::make_unique<PictureResponder>();
    ImagingResponders added{capture.get(), picture.get()};
    reader.addResponder(std::move(capture));
    reader.addResponder(std::move(picture));
    return added;
}

}  // namespace omni::sim

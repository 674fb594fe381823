#include "reader/capture/two_dimension_module.h"

#include <atomic>
#include <chrono>

#include "foundation/exception.h"
#include "image/dib.h"
#include "reader/module_host.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {
namespace {

constexpr int kBackgroundJoinMs = 1000;
constexpr std::int32_t kMaxSentDimension = 9999;  // lines, and bytes per line

// Callbacks of the module library's progress record, forwarded to a ShootProgress.
ShootProgress& sink(void* context) {
    return *static_cast<ShootProgress*>(context);
}
void onTransferRange(void* c, std::int32_t low, std::int32_t high) {
    sink(c).transferRange(low, high);
}
void onTransferPosition(void* c, std::int32_t position) {
    sink(c).transferPosition(position);
}
void onWaitRange(void* c, std::int32_t low, std::int32_t high) {
    sink(c).waitRange(low, high);
}
void onWaitPosition(void* c, std::int32_t position) {
    sink(c).waitPosition(position);
}
void onBeginTransfer(void* c, std::int32_t blockByBlock) {
    sink(c).beginTransfer(blockByBlock != 0);
}

// The picture as the engine takes it: 8-bit grey rows, top row first.
std::vector<std::uint8_t> greyRowsOf(const image::KesImage& picture) {
    image::DibContainer dib;
    if (!picture.toDib(dib) || dib.header.size() < image::BitmapInfoHeader::kSize)
        throw foundation::UserException(
            foundation::UserException::BadInput,
            std::u16string(res::loadString(res::ids::ImageCannotConvert)));
    const image::BitmapInfoHeader info = dib.info();
    const auto width = static_cast<std::size_t>(info.width);
    const auto height = static_cast<std::size_t>(info.height);
    const unsigned bits = info.bitCount;
    const std::size_t stride = image::dibStride(info.width, bits);
    if (width == 0 || height == 0 || dib.pixels.size() < stride * height ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
        throw foundation::UserException(
            foundation::UserException::BadInput,
            std::u16string(res::loadString(res::ids::ImageCannotConvert)));
    std::vector<std::uint8_t> rows(width * height);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* row = dib.pixels.data() + stride * (height - 1 - y);
        std::uint8_t* out = rows.data() + width * y;
        for (std::size_t x = 0; x < width; ++x) {
            if (bits >= 24) {
                const std::uint8_t* p = row + x * (bits / 8);
                out[x] = static_cast<std::uint8_t>((p[0] * 29 + p[1] * 150 + p[2] * 77) >> 8);
                continue;
            }
            const std::size_t bit = x * bits;
            const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            out[x] = static_cast<std::uint8_t>(dib.paletteEntry(index) >> 8);
        }
    }
    return rows;
}

}  // namespace

// The library's progress record for one operation; none when there is no progress to report.
class TwoDimensionModule::ProgressHandle {
public:
    explicit ProgressHandle(ShootProgress* progress) {
        if (progress)
            handle_ = KesCreateShootProgress(progress, onTransferRange, onTransferPosition,
                                             onWaitRange, onWaitPosition, onBeginTransfer);
        throwIfModuleFailed();
    }
    ~ProgressHandle() { KesCloseHandle(handle_); }
    KesHandle get() const { return handle_; }

private:
    KesHandle handle_ = 0;
};

ReceivePause::ReceivePause(serial::SerialPortForPosix& port, stream::OutputStream<char>* listener)
    : port_(port), listener_(listener), wasReceiving_(port.isReceiving()) {
    if (wasReceiving_)
        port_.stop();
}

ReceivePause::~ReceivePause() {
    if (wasReceiving_ && listener_)
        port_.startReceiving(listener_);
}

TwoDimensionModule::TwoDimensionModule(serial::SerialPortForPosix& port,
                                       stream::OutputStream<char>* listener)
    : port_(port), listener_(listener) {}

TwoDimensionModule::~TwoDimensionModule() {
    if (background_.joinable()) {
        cancel();
        background_.join();
    }
    if (connected())
        KesCloseHandle(handle_);
}

void TwoDimensionModule::connect() {
    if (connected())
        KesCloseHandle(handle_);
    handle_ = KES_INVALID_HANDLE;
    ReceivePause pause(port_, listener_);
    handle_ = KesOpenModule(port_.moduleHandle());
    throwIfModuleFailed();
    if (!connected())
        throw foundation::KesException(KES_STATE_CREATE_HANDLE_FAILURE);
}

void TwoDimensionModule::sendCommand(std::string_view text) {
    KesSendCommand(handle_, text.data(), static_cast<std::uint32_t>(text.size()));
    throwIfModuleFailed();
}

std::unique_ptr<image::ShotedImage> TwoDimensionModule::finishShot(KesHandle image) {
    const KesState state = KesGetLastStatus();
    if (state != KES_STATE_SUCCESS) {
        if (image != KES_INVALID_HANDLE && image != 0)
            KesCloseHandle(image);
        throw foundation::KesException(state);
    }
    if (image == KES_INVALID_HANDLE || image == 0)
        return nullptr;
    return std::make_unique<image::ShotedImage>(image);
}

std::unique_ptr<image::ShotedImage> TwoDimensionModule::shoot(ShootProgress* progress) {
    ReceivePause pause(port_, listener_);
    ProgressHandle sinkHandle(progress);
    return finishShot(KesShoot(handle_, sinkHandle.get()));
}

std::unique_ptr<image::ShotedImage> TwoDimensionModule::shootWithMode(TriggerKind kind, int seconds,
                                                                      ShootProgress* progress) {
    ReceivePause pause(port_, listener_);
    ProgressHandle sinkHandle(progress);
    return finishShot(
        KesShootWithMode(handle_, static_cast<std::int32_t>(kind), seconds, sinkHandle.get()));
}

std::unique_ptr<image::ShotedImage> TwoDimensionModule::shootWithCommand(int request,
                                                                         ShootProgress* progress) {
    ReceivePause pause(port_, listener_);
    ProgressHandle sinkHandle(progress);
    return finishShot(KesShootWithCommand(handle_, request, sinkHandle.get()));
}

void TwoDimensionModule::joinBackground(int timeoutMs) {
    if (!background_.joinable())
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!backgroundDone_->load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!backgroundDone_->load())
        throw foundation::UserException(foundation::UserException::ThreadEndTimeout);
    background_.join();
}

void TwoDimensionModule::shootInBackground(
    std::function<void(std::unique_ptr<image::ShotedImage>)> done) {
    joinBackground(kBackgroundJoinMs);
    backgroundDone_ = std::make_shared<std::atomic<bool>>(false);
    background_ = std::thread([this, done = std::move(done), flag = backgroundDone_] {
        try {
            if (auto picture = shoot(nullptr))
                done(std::move(picture));
        } catch (const foundation::Exception&) {
            // A background shot has no one to tell; the next one starts afresh.
        }
        flag->store(true);
    });
}

KesHandle TwoDimensionModule::readOutputSettings() {
    ReceivePause pause(port_, listener_);
    KesHandle property = KesGetImageOutputProperty(handle_);
    throwIfModuleFailed();
    if (property == KES_INVALID_HANDLE)
        throw foundation::KesException(KES_STATE_COMMUNICATION_FAILURE);
    return property;
}

void TwoDimensionModule::writeOutputSettings(KesHandle property) {
    KesSetImageOutputProperty(handle_, property);
    throwIfModuleFailed();
}

bool TwoDimensionModule::decodingTest(const image::KesImage& picture, ShootProgress* progress) {
    const std::vector<std::uint8_t> rows = greyRowsOf(picture);
    const auto width = static_cast<std::int32_t>(picture.width());
    const auto lines = static_cast<std::int32_t>(picture.height());
    if (width > kMaxSentDimension || lines > kMaxSentDimension)
        throw foundation::UserException(
            foundation::UserException::BadInput,
            std::u16string(res::loadString(res::ids::SendImageTooLarge)));
    ReceivePause pause(port_, listener_);
    ProgressHandle sinkHandle(progress);
    const std::int32_t done =
        KesDecodingTest(handle_, rows.data(), width, lines, 8, sinkHandle.get());
    throwIfModuleFailed();
    return done == 1;
}

void TwoDimensionModule::cancel() {
    if (connected())
        KesCancel(handle_);
}

}  // namespace omni::reader

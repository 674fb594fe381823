// The host side of the imaging module: one module handle on one serial port, its operations
// (identify, send a command, shoot, output settings, send a picture for the decoding test), each
// of which throws KesException when the library's status is not success afterwards.
//
// The port's receive thread must not read while the module talks to the engine: every operation
// stops it first and starts it again afterwards, on every path, when it was running.
//
// Threads: one thread at a time runs an operation (the owner's or a CaptureWorker's); cancel()
// may be called from any thread while a transfer runs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

#include "image/kes_image.h"
#include "image/pictures.h"
#include "module/kes_sdk.h"
#include "serial/serial_port.h"

namespace omni::reader {

// Progress of a shot or of a picture being sent, reported on the thread that runs it.
class ShootProgress {
public:
    virtual ~ShootProgress() = default;
    virtual void transferRange(int /*low*/, int /*high*/) {}
    virtual void transferPosition(int /*position*/) {}
    // The trigger countdown of a shot that waits for the trigger (seconds left).
    virtual void waitRange(int /*low*/, int /*high*/) {}
    virtual void waitPosition(int /*position*/) {}
    // The transfer starts; block by block or as one block.
    virtual void beginTransfer(bool /*blockByBlock*/) {}
};

// Trigger kinds of shootWithMode.
enum class TriggerKind : std::int32_t { Default = 0, Down = 1, Up = 2, Twice = 3 };

// Stops the port's receive thread for its lifetime and restarts it (with `listener`) when it
// was running.
class ReceivePause {
public:
    ReceivePause(serial::SerialPortForPosix& port, stream::OutputStream<char>* listener);
    ~ReceivePause();
    ReceivePause(const ReceivePause&) = delete;
    ReceivePause& operator=(const ReceivePause&) = delete;

private:
    serial::SerialPortForPosix& port_;
    stream::OutputStream<char>* listener_;
    bool wasReceiving_;
};

class TwoDimensionModule {
public:
    // `port` (not owned) outlives this object; `listener` is what the receive thread feeds when
    // it is restarted after an operation (null: the thread is not restarted).
    explicit TwoDimensionModule(serial::SerialPortForPosix& port,
                                stream::OutputStream<char>* listener = nullptr);
    ~TwoDimensionModule();
    TwoDimensionModule(const TwoDimensionModule&) = delete;
    TwoDimensionModule& operator=(const TwoDimensionModule&) = delete;

    // Closes the old handle and identifies the engine again (KesOpenModule).
    void connect();
    KesHandle handle() const { return handle_; }
    bool connected() const { return handle_ != KES_INVALID_HANDLE && handle_ != 0; }
    serial::SerialPortForPosix& port() { return port_; }
    stream::OutputStream<char>* listener() const { return listener_; }

    void sendCommand(std::string_view text);

    // A picture, or null when the shot was cancelled.
    std::unique_ptr<image::ShotedImage> shoot(ShootProgress* progress);
    std::unique_ptr<image::ShotedImage> shootWithMode(TriggerKind kind, int seconds,
                                                      ShootProgress* progress);
    std::unique_ptr<image::ShotedImage> shootWithCommand(int request, ShootProgress* progress);

    // Joins an earlier background shot (1000 ms limit; UserException(ThreadEndTimeout) when it
    // has not ended), then shoots on a thread of its own without progress and hands a picture
    // that arrives to `done` on that thread. Failures there are dropped.
    void shootInBackground(std::function<void(std::unique_ptr<image::ShotedImage>)> done);

    // The engine's output settings as a new property handle (owned by the caller), and writing
    // one back.
    KesHandle readOutputSettings();
    void writeOutputSettings(KesHandle property);

    // The decoding test on a picture: sends it as 8-bit grey rows, starts reading on it and ends
    // the test. False when it was cancelled. UserException(BadInput) for a picture the engine
    // cannot take (more than 9999 lines or bytes per line).
    bool decodingTest(const image::KesImage& picture, ShootProgress* progress);

    // Asks the running transfer to stop; it ends with CAN and no picture. Any thread.
    void cancel();

private:
    class ProgressHandle;
    std::unique_ptr<image::ShotedImage> finishShot(KesHandle image);
    void joinBackground(int timeoutMs);

    serial::SerialPortForPosix& port_;
    stream::OutputStream<char>* listener_;
    KesHandle handle_ = KES_INVALID_HANDLE;
    std::thread background_;
    std::shared_ptr<std::atomic<bool>> backgroundDone_;
};

}  // namespace omni::reader

// Inside the module library: the object model behind the handles and the host callback records.
// Not part of the library's interface; hosts use module/kes_sdk.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "module/kes_sdk.h"

namespace kes {

class SerialPortForModule;
class Kes2DTwoDimensionModule;
class ShootProgressInterface;
class DownloadProgressInterface;
class InputStreamInterface;
class CriticalSectionForModule;

void setStatus(KesState state);
KesState status();

// Base of every library object. Each type query returns the object seen as that type, or null
// after setting KES_STATE_INVALID_HANDLE_VALUE.
class KesObject {
public:
    KesObject();
    virtual ~KesObject();
    KesObject(const KesObject&) = delete;
    KesObject& operator=(const KesObject&) = delete;

    virtual SerialPortForModule* asSerialPort();
    virtual Kes2DTwoDimensionModule* asModule();
    virtual Kes2DTwoDimensionModule* asFullModule();
    virtual ShootProgressInterface* asShootProgress();
    virtual KesObject* asImage();
    virtual KesObject* asImageProperty();
    virtual KesObject* asImageOutputProperty();
    virtual DownloadProgressInterface* asDownloadProgress();
    virtual InputStreamInterface* asInputStream();
    virtual CriticalSectionForModule* asCriticalSection();

    KesHandle handle() const { return reinterpret_cast<KesHandle>(this); }
};

// Looks a handle up among the live objects. Applies the common handle rules: -1 sets
// KES_STATE_INVALID_PARAMETER and gives null; 0 gives null; an unknown value sets
// KES_STATE_INVALID_HANDLE_VALUE and gives null.
KesObject* lookUp(KesHandle handle);

// Makes a new object a live handle. Returns its handle.
KesHandle publish(KesObject* object);

class SerialPortForModule final : public KesObject {
public:
    struct Callbacks {
        void* context;
        KesIsOpenCallback isOpen;
        KesReadCallback read;
        KesWaitForDataCallback waitForData;
        KesWriteCallback write;
        KesActionCallback flush;
        KesSleepCallback sleep;
        KesActionCallback highSpeed;
        KesActionCallback restoreSpeed;
    };
    explicit SerialPortForModule(const Callbacks& callbacks) : cb_(callbacks) {}
    SerialPortForModule* asSerialPort() override { return this; }

    // Each operation reports failure through the thread's last status and then returns false or 0.
    bool isOpen();
    bool get(std::uint8_t& byte);
    std::uint32_t read(void* buffer, std::uint32_t count);
    std::uint32_t waitForData(std::uint32_t timeoutMs);
    bool put(std::uint8_t byte);
    bool write(const void* data, std::uint32_t count);
    bool flush();
    void sleep(std::uint32_t ms);
    void highSpeed();
    void restoreSpeed();
    // Reads single bytes until `terminator` arrives (kept in the buffer, not counted), max - 1
    // bytes are stored or a read fails. The buffer is zero-terminated. Returns the bytes stored.
    std::uint32_t readUntil(char* buffer, std::uint32_t max, char terminator);

private:
    Callbacks cb_;
};

class CriticalSectionForModule final : public KesObject {
public:
    CriticalSectionForModule(void* context, KesThreadIdCallback threadId, KesActionCallback enter,
                             KesActionCallback leave)
        : context_(context), threadId_(threadId), enter_(enter), leave_(leave) {}
    CriticalSectionForModule* asCriticalSection() override { return this; }
    std::uint32_t threadId() { return threadId_(context_); }
    void enter() { enter_(context_); }
    void leave() { leave_(context_); }

private:
    void* context_;
    KesThreadIdCallback threadId_;
    KesActionCallback enter_;
    KesActionCallback leave_;
};

class InputStreamInterface final : public KesObject {
public:
    InputStreamInterface(void* context, KesReadCallback read) : context_(context), read_(read) {}
    InputStreamInterface* asInputStream() override { return this; }
    std::uint32_t read(void* buffer, std::uint32_t count) { return read_(context_, buffer, count); }

private:
    void* context_;
    KesReadCallback read_;
};

// The progress callbacks a host hands over with a shot or a download. Both report the transfer
// and a second stage: a shot the wait for the trigger (optional), a download the flash write.
// `begin` starts a phase: a shot 1 block by block, 0 whole; a download 1 sending, 0 writing.
struct ProgressCallbacks {
    void* context;
    KesRangeCallback setTransferRange;
    KesPositionCallback setTransferPosition;
    KesRangeCallback setStageRange;
    KesPositionCallback setStagePosition;
    KesFlagCallback begin;
};

// Progress reports through a host's callbacks; each one is skipped where the host gave no
// callback, or no progress object at all (the default).
class ProgressReport {
public:
    ProgressReport() = default;
    explicit ProgressReport(const ProgressCallbacks& callbacks) : cb_(callbacks) {}

    void transferRange(std::int32_t low, std::int32_t high) const {
        call(cb_.setTransferRange, low, high);
    }
    void stageRange(std::int32_t low, std::int32_t high) const {
        call(cb_.setStageRange, low, high);
    }
    void transferPosition(std::int32_t position) const { call(cb_.setTransferPosition, position); }
    void stagePosition(std::int32_t position) const { call(cb_.setStagePosition, position); }
    void begin(bool flag) const { call(cb_.begin, flag ? 1 : 0); }

private:
    template <typename Callback, typename... Args>
    void call(Callback callback, Args... args) const {
        if (callback)
            callback(cb_.context, args...);
    }

    ProgressCallbacks cb_{};
};

// A host's progress callbacks behind a handle.
class ProgressInterface : public KesObject {
public:
    explicit ProgressInterface(const ProgressCallbacks& callbacks) : report_(callbacks) {}
    const ProgressReport& report() const { return report_; }

private:
    ProgressReport report_;
};

class ShootProgressInterface final : public ProgressInterface {
public:
    using ProgressInterface::ProgressInterface;
    ShootProgressInterface* asShootProgress() override { return this; }
};

class DownloadProgressInterface final : public ProgressInterface {
public:
    using ProgressInterface::ProgressInterface;
    DownloadProgressInterface* asDownloadProgress() override { return this; }
};

// The reports of `progress`, which may be null.
inline ProgressReport reportOf(const ProgressInterface* progress) {
    return progress ? progress->report() : ProgressReport{};
}

}  // namespace kes

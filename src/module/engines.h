// The module families. Identification picks one; every later operation is a virtual operation of
// the family, so a family that cannot do something answers KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE
// without sending anything.
//
//   Kes2DTwoDimensionModule
//     EngineA
//       EngineAD
//       EngineB
//         EngineC
//       EngineL
//     EngineAInvalid   (an engine that did not answer: firmware download only)
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "module/kes_object.h"

namespace kes {

class Kes2DTwoDimensionModule : public KesObject {
public:
    static constexpr std::size_t kVersionSize = 96;  // with the terminating zero
    static constexpr std::size_t kModelSize = 32;
    static constexpr std::uint32_t kMaxCommand = 1022;  // longest command text accepted

    Kes2DTwoDimensionModule(SerialPortForModule* port, std::string_view version,
                            std::string_view model);

    Kes2DTwoDimensionModule* asModule() override { return this; }
    Kes2DTwoDimensionModule* asFullModule() override { return this; }

    const char* firmwareVersion() const { return version_; }
    const char* modelName() const { return model_; }
    SerialPortForModule* serialPort() const { return port_; }
    virtual const char* className() const = 0;

    // Reads the engine's image output settings into a new property object.
    virtual KesHandle readOutputProperty();
    virtual void sendCommand(const char* text, std::uint32_t length);
    virtual KesHandle shoot(ShootProgressInterface* progress);
    virtual KesHandle shootWithMode(std::int32_t kind, std::int32_t seconds,
                                    ShootProgressInterface* progress);
    virtual KesHandle sendImage(const void* data, std::int32_t request, std::int32_t width,
                                std::int32_t lines, std::int32_t bitsPerPixel,
                                ShootProgressInterface* progress);
    virtual void download(InputStreamInterface* input, std::uint32_t fileSize,
                          std::int32_t bootLoader, DownloadProgressInterface* progress);
    virtual void cancel() { cancelRequests_.fetch_add(1, std::memory_order_relaxed); }
    virtual void writeOutputProperty(KesObject* property);
    virtual KesHandle shootWithCommand(std::int32_t request, ShootProgressInterface* progress);

    // True when the last download on this module ended with the engine reporting its write
    // finished (a cancel or a failure leaves it false).
    bool downloadFinished() const { return downloadFinished_; }

protected:
    static void notSupported() { setStatus(KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE); }

    SerialPortForModule* port_;  // not owned
    std::int32_t request_ = 13;
    std::int32_t requestParameter_ = 0;
    std::int32_t triggerSeconds_ = 30;
    std::atomic<std::uint32_t> cancelRequests_{0};
    std::uint32_t cancelSeen_ = 0;
    bool downloadFinished_ = false;

private:
    char version_[kVersionSize] = {};
    char model_[kModelSize] = {};
};

class ImageInfomation;
class ImageOutputProperty;

// The family that captures: image capture, output settings and image sending (capture.cpp,
// shoot.cpp, send_image.cpp). Subclasses change the output-settings class (and so the largest
// picture) or refuse capture altogether.
class EngineA : public Kes2DTwoDimensionModule {
public:
    using ImageInfomation = kes::ImageInfomation;
    using Kes2DTwoDimensionModule::Kes2DTwoDimensionModule;
    const char* className() const override { return "EngineA"; }

    KesHandle readOutputProperty() override;
    KesHandle shoot(ShootProgressInterface* progress) override;
    KesHandle shootWithMode(std::int32_t kind, std::int32_t seconds,
                            ShootProgressInterface* progress) override;
    KesHandle sendImage(const void* data, std::int32_t request, std::int32_t width,
                        std::int32_t lines, std::int32_t bitsPerPixel,
                        ShootProgressInterface* progress) override;
    void writeOutputProperty(KesObject* property) override;
    KesHandle shootWithCommand(std::int32_t request, ShootProgressInterface* progress) override;

    void download(InputStreamInterface* input, std::uint32_t fileSize, std::int32_t bootLoader,
                  DownloadProgressInterface* progress) override;

protected:
    // A new, empty output-settings object of this family's class.
    virtual ImageOutputProperty* newOutputProperty() const;
    // False for families whose engine neither captures nor takes pictures.
    virtual bool capturesImages() const { return true; }

private:
    ImageOutputProperty* readOutputSettings();
    KesHandle capture(ShootProgressInterface* progress);
    bool sendRequest();
    bool waitForTrigger(ShootProgressInterface* progress);
    bool announcePicture(std::int32_t request, std::uint32_t lineBytes, std::int32_t lines,
                         std::int32_t bitsPerPixel);
    int sendLine(const std::uint8_t* block, std::uint32_t blockBytes);
};

// The families that take firmware but have no imaging engine.
class NonImagingEngine : public EngineA {
public:
    using EngineA::EngineA;

protected:
    bool capturesImages() const override { return false; }
};

class EngineAD : public NonImagingEngine {
public:
    using NonImagingEngine::NonImagingEngine;
    const char* className() const override { return "EngineAD"; }
    void download(InputStreamInterface* input, std::uint32_t fileSize, std::int32_t bootLoader,
                  DownloadProgressInterface* progress) override;
};

class EngineB : public EngineA {
public:
    using EngineA::EngineA;
    const char* className() const override { return "EngineB"; }

protected:
    ImageOutputProperty* newOutputProperty() const override;
};

class EngineC : public EngineB {
public:
    using EngineB::EngineB;
    const char* className() const override { return "EngineC"; }

protected:
    ImageOutputProperty* newOutputProperty() const override;
};

class EngineL : public NonImagingEngine {
public:
    using NonImagingEngine::NonImagingEngine;
    const char* className() const override { return "EngineL"; }
    void download(InputStreamInterface* input, std::uint32_t fileSize, std::int32_t bootLoader,
                  DownloadProgressInterface* progress) override;
};

// An engine that did not answer identification; assumed to sit in its boot loader.
class EngineAInvalid : public Kes2DTwoDimensionModule {
public:
    using Kes2DTwoDimensionModule::Kes2DTwoDimensionModule;
    const char* className() const override { return "EngineAInvalid"; }
    // Not a full module: entry points that need capture by request or image sending refuse it.
    Kes2DTwoDimensionModule* asFullModule() override { return KesObject::asFullModule(); }
    void sendCommand(const char*, std::uint32_t) override { notSupported(); }
    void cancel() override { cancelFlag_.store(true, std::memory_order_relaxed); }
    void download(InputStreamInterface* input, std::uint32_t fileSize, std::int32_t bootLoader,
                  DownloadProgressInterface* progress) override;

private:
    std::atomic<bool> cancelFlag_{false};
};

// Asks the engine behind `port` who it is and creates the module of its family. Returns the new
// module (not yet published as a handle) or null with the reason in the status (which may be 0).
Kes2DTwoDimensionModule* identify(SerialPortForModule& port);

}  // namespace kes

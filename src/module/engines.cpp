// Module families: the operations every family shares, and the module entry points.
#include "module/engines.h"

#include <cstring>
#include <new>

namespace kes {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kCr = 0x0D;

void copyText(char* field, std::size_t size, std::string_view text) {
    std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(field, text.data(), n);
    field[n] = 0;
}

}  // namespace

Kes2DTwoDimensionModule::Kes2DTwoDimensionModule(SerialPortForModule* port,
                                                 std::string_view version, std::string_view model)
    : port_(port) {
    copyText(version_, kVersionSize, version);
    copyText(model_, kModelSize, model);
}

// What a family does not override it cannot do: it answers "not supported" without touching the
// port. The capturing families override these in shoot.cpp and send_image.cpp.
KesHandle Kes2DTwoDimensionModule::readOutputProperty() {
    notSupported();
    return KES_INVALID_HANDLE;
}

KesHandle Kes2DTwoDimensionModule::shoot(ShootProgressInterface*) {
    notSupported();
    return KES_INVALID_HANDLE;
}

KesHandle Kes2DTwoDimensionModule::shootWithMode(std::int32_t, std::int32_t,
                                                 ShootProgressInterface*) {
    notSupported();
    return KES_INVALID_HANDLE;
}

KesHandle Kes2DTwoDimensionModule::sendImage(const void*, std::int32_t, std::int32_t, std::int32_t,
                                             std::int32_t, ShootProgressInterface*) {
    notSupported();
    return KES_INVALID_HANDLE;
}

void Kes2DTwoDimensionModule::download(InputStreamInterface*, std::uint32_t, std::int32_t,
                                       DownloadProgressInterface*) {
    notSupported();
}

void Kes2DTwoDimensionModule::writeOutputProperty(KesObject*) {
    notSupported();
}

KesHandle Kes2DTwoDimensionModule::shootWithCommand(std::int32_t, ShootProgressInterface*) {
    notSupported();
    return KES_INVALID_HANDLE;
}

// One frame: ESC, the text as it stands, CR. Written as one block so that a reader never sees a
// frame torn by another writer's bytes.
void Kes2DTwoDimensionModule::sendCommand(const char* text, std::uint32_t length) {
    if (length > kMaxCommand) {
        setStatus(KES_STATE_TOO_LONG_SEND_COMMAND);
        return;
    }
    if (!text && length) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return;
    }
    std::uint8_t frame[kMaxCommand + 2];
    frame[0] = kEsc;
    if (length)
        std::memcpy(frame + 1, text, length);
    frame[length + 1] = kCr;
    port_->write(frame, length + 2);
}

}  // namespace kes

using namespace kes;

namespace {

// Handle checks shared by the module entry points: query 2 (any module) or query 3 (a full one).
Kes2DTwoDimensionModule* moduleOf(KesHandle handle) {
    KesObject* object = lookUp(handle);
    return object ? object->asModule() : nullptr;
}

Kes2DTwoDimensionModule* fullModuleOf(KesHandle handle) {
    KesObject* object = lookUp(handle);
    return object ? object->asFullModule() : nullptr;
}

// An optional shoot-progress handle: 0 means none. Returns false when a handle was given and is
// not a shoot progress.
bool shootProgressOf(KesHandle handle, ShootProgressInterface*& progress) {
    progress = nullptr;
    if (handle == 0)
        return true;
    KesObject* object = lookUp(handle);
    if (!object)
        return false;
    progress = object->asShootProgress();
    return progress != nullptr;
}

// A shot through `m` (null when its handle was wrong) reporting to the optional progress handle;
// `shot` runs it once both handles are right.
template <typename Shot>
KesHandle shootThrough(Kes2DTwoDimensionModule* m, KesHandle shootProgress, Shot shot) {
    ShootProgressInterface* progress;
    if (!m || !shootProgressOf(shootProgress, progress))
        return KES_INVALID_HANDLE;
    setStatus(KES_STATE_SUCCESS);
    return shot(*m, progress);
}

}  // namespace

extern "C" {

KesHandle KesOpenModule(KesHandle serialPort) {
    KesObject* object = lookUp(serialPort);
    if (!object)
        return KES_INVALID_HANDLE;
    SerialPortForModule* port = object->asSerialPort();
    if (!port)
        return KES_INVALID_HANDLE;
    setStatus(KES_STATE_SUCCESS);
    Kes2DTwoDimensionModule* module = identify(*port);
    if (!module)
        return KES_INVALID_HANDLE;
    return publish(module);
}

const char* KesGetFirmwareVersion(KesHandle module) {
    Kes2DTwoDimensionModule* m = moduleOf(module);
    return m ? m->firmwareVersion() : nullptr;
}

const char* KesGetModelName(KesHandle module) {
    Kes2DTwoDimensionModule* m = moduleOf(module);
    return m ? m->modelName() : nullptr;
}

const char* KesGetModuleClassName(KesHandle module) {
    Kes2DTwoDimensionModule* m = moduleOf(module);
    return m ? m->className() : nullptr;
}

void KesSendCommand(KesHandle module, const char* text, std::uint32_t length) {
    Kes2DTwoDimensionModule* m = moduleOf(module);
    if (!m)
        return;
    setStatus(KES_STATE_SUCCESS);
    m->sendCommand(text, length);
}

void KesCancel(KesHandle module) {
    Kes2DTwoDimensionModule* m = moduleOf(module);
    if (m)
        m->cancel();
}

KesHandle KesShoot(KesHandle module, KesHandle shootProgress) {
    return shootThrough(moduleOf(module), shootProgress,
                        [](auto& m, auto* progress) { return m.shoot(progress); });
}

KesHandle KesShootWithMode(KesHandle module, std::int32_t kind, std::int32_t seconds,
                           KesHandle shootProgress) {
    return shootThrough(moduleOf(module), shootProgress, [&](auto& m, auto* progress) {
        return m.shootWithMode(kind, seconds, progress);
    });
}

KesHandle KesShootWithCommand(KesHandle module, std::int32_t request, KesHandle shootProgress) {
    return shootThrough(fullModuleOf(module), shootProgress, [&](auto& m, auto* progress) {
        return m.shootWithCommand(request, progress);
    });
}

KesHandle KesSendImage(KesHandle module, const void* data, std::int32_t, std::int32_t request,
                       std::int32_t width, std::int32_t lines, std::int32_t bitsPerPixel,
                       KesHandle shootProgress) {
    return shootThrough(fullModuleOf(module), shootProgress, [&](auto& m, auto* progress) {
        return m.sendImage(data, request, width, lines, bitsPerPixel, progress);
    });
}

KesHandle KesGetImageOutputProperty(KesHandle module) {
    Kes2DTwoDimensionModule* m = moduleOf(module);
    if (!m)
        return KES_INVALID_HANDLE;
    setStatus(KES_STATE_SUCCESS);
    return m->readOutputProperty();
}

void KesSetImageOutputProperty(KesHandle module, KesHandle property) {
    Kes2DTwoDimensionModule* m = moduleOf(module);
    if (!m)
        return;
    KesObject* object = lookUp(property);
    if (!object)
        return;
    KesObject* outputProperty = object->asImageOutputProperty();
    if (!outputProperty)
        return;
    setStatus(KES_STATE_SUCCESS);
    m->writeOutputProperty(outputProperty);
}

void KesDownload(KesHandle module, KesHandle inputStream, std::uint32_t fileSize,
                 std::int32_t bootLoader, KesHandle downloadProgress) {
    Kes2DTwoDimensionModule* m = moduleOf(module);
    if (!m)
        return;
    KesObject* object = lookUp(inputStream);
    InputStreamInterface* input = object ? object->asInputStream() : nullptr;
    if (!input)
        return;
    DownloadProgressInterface* progress = nullptr;
    if (downloadProgress != 0) {
        KesObject* sink = lookUp(downloadProgress);
        progress = sink ? sink->asDownloadProgress() : nullptr;
        if (!progress)
            return;
    }
    setStatus(KES_STATE_SUCCESS);
    m->download(input, fileSize, bootLoader, progress);
}

}  // extern "C"

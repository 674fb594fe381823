// The host side of the module library: the process-wide lock of its status store, and the rule
// that turns a non-zero status into an exception.
#pragma once

#include "module/kes_sdk.h"

namespace omni::reader {

// Creates the process-wide lock and installs it in the module library, so that every thread has
// its own last status. Call once at start-up, before a second thread uses the library; later
// calls do nothing.
void installModuleLock();

// Throws KesException with the calling thread's last status when it is not success.
void throwIfModuleFailed();

// The module library's answer for one open module, as the host keeps it.
struct ModuleIdentity {
    const char* className = "";
    const char* firmware = "";
    const char* model = "";
};

// Owns one module handle; closes it when it goes.
class ModuleHandle {
public:
    ModuleHandle() = default;
    explicit ModuleHandle(KesHandle handle) : handle_(handle) {}
    ~ModuleHandle() { reset(); }
    ModuleHandle(ModuleHandle&& other) noexcept : handle_(other.release()) {}
    ModuleHandle& operator=(ModuleHandle&& other) noexcept;
    ModuleHandle(const ModuleHandle&) = delete;
    ModuleHandle& operator=(const ModuleHandle&) = delete;

    KesHandle get() const { return handle_; }
    bool valid() const { return handle_ != KES_INVALID_HANDLE && handle_ != 0; }
    KesHandle release();
    void reset(KesHandle handle = KES_INVALID_HANDLE);
    ModuleIdentity identity() const;

private:
    KesHandle handle_ = KES_INVALID_HANDLE;
};

// Identifies the engine behind `serialPort` (KesOpenModule). Throws KesException with the
// library's status, or KES_STATE_CREATE_HANDLE_FAILURE when the reader named a model and version
// that no family fits. The caller stops the port's receive thread first.
ModuleHandle openModule(KesHandle serialPort);

}  // namespace omni::reader

// Arbitrary bytes as the engine's answer to the version request. Identification either gives a
// module of a known family with bounded version and model texts, or no module with a reason;
// nothing may crash, and the only thing written is the version request.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "module/engine_line.h"
#include "module/kes_sdk.h"

namespace {

constexpr std::size_t kTextMax = 80;  // no stored text is longer than the line it came from

bool knownFamily(const char* name) {
    for (std::string_view family :
         {"EngineA", "EngineAD", "EngineB", "EngineC", "EngineL", "EngineAInvalid"}) {
        if (name && family == name)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    omni::test::EngineLine port;
    port.deliverRest = true;
    port.input.assign(reinterpret_cast<const char*>(data), size);

    KesSetLastStatus(KES_STATE_SUCCESS);
    const KesHandle serial = port.createPort();
    const KesHandle module = KesOpenModule(serial);
    if (port.written != std::string("\x1BZ1\r"))
        std::abort();
    if (module != KES_INVALID_HANDLE && module != 0) {
        const char* version = KesGetFirmwareVersion(module);
        const char* model = KesGetModelName(module);
        if (!version || !model || std::strlen(version) > kTextMax || std::strlen(model) > kTextMax)
            std::abort();
        if (!knownFamily(KesGetModuleClassName(module)))
            std::abort();
        KesCloseHandle(module);
    } else if (KesGetLastStatus() == KES_STATE_SUCCESS && size == 0) {
        std::abort();  // silence is the boot loader, never a failure
    }
    KesCloseHandle(serial);
    return 0;
}

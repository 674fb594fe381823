// The engine's side of a shot as arbitrary bytes: after a fixed identification, settings reply
// and request answer, the input is everything the engine sends. The first byte picks the family
// and the transfer mode. Nothing may crash or store past what the header allows, and a returned
// picture must hold exactly its header's data size.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "module/engine_line.h"
#include "module/kes_sdk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char* families[] = {"BA12J13i\r", "FA01\r", "BD49\r"};
    omni::test::EngineLine port;
    port.deliverRest = true;
    port.input = families[data[0] % 3];
    port.input += (data[0] & 4) ? ";Trim(0,0,1,1) Sub(1,1) Bp8 Jq80 FfBMP TrALL Fl(0,0) Re0\r"
                                : ";Trim(0,0,1,1) Sub(1,1) Bp8 Jq80 FfBMP TrPART Fl(0,0) Re0\r";
    port.input += "OK\r";
    port.input.append(reinterpret_cast<const char*>(data + 1), size - 1);

    KesSetLastStatus(KES_STATE_SUCCESS);
    const KesHandle serial = port.createPort();
    const KesHandle module = KesOpenModule(serial);
    const KesHandle image = KesShoot(module, 0);
    if (image != KES_INVALID_HANDLE && image != 0) {
        const std::uint32_t bytes = KesGetImageDataSize(image);
        const std::uint8_t* pixels = KesGetImageData(image);
        std::uint32_t sum = 0;
        for (std::uint32_t i = 0; i < bytes; ++i)  // every byte of the picture is readable
            sum += pixels[i];
        if (bytes == 0 || KesGetImageHeaderSize(image) != 256)
            std::abort();
        (void)sum;
        KesCloseHandle(image);
    }
    KesCloseHandle(module);
    KesCloseHandle(serial);
    return 0;
}

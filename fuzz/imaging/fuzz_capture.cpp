// The engine's side of a shot as arbitrary bytes: after a fixed identification, settings reply
// and request answer, the input is everything the engine sends. The first byte picks the family
// and the transfer mode. Nothing may crash or store past what the header allows, and a returned
// picture must hold exactly its header's data size.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "module/kes_sdk.h"

namespace {

struct BufferPort {
    std::string input;
    std::size_t at = 0;

    static BufferPort& self(void* c) { return *static_cast<BufferPort*>(c); }
    static int isOpen(void*) { return 1; }
    static std::uint32_t read(void* c, void* buffer, std::uint32_t n) {
        BufferPort& p = self(c);
        const std::size_t left = p.input.size() - p.at;
        if (left < n) {
            KesSetLastStatus(KES_STATE_COMMUNICATION_TIMEOUT);
            n = static_cast<std::uint32_t>(left);
        }
        p.input.copy(static_cast<char*>(buffer), n, p.at);
        p.at += n;
        return n;
    }
    static std::uint32_t wait(void* c, std::uint32_t) {
        BufferPort& p = self(c);
        if (p.at == p.input.size())
            KesSetLastStatus(KES_STATE_COMMUNICATION_TIMEOUT);
        return static_cast<std::uint32_t>(p.input.size() - p.at);
    }
    static void write(void*, const void*, std::uint32_t) {}
    static void flush(void*) {}
    static void sleep(void*, std::uint32_t) {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char* families[] = {"BA12J13i\r", "FA01\r", "BD49\r"};
    BufferPort port;
    port.input = families[data[0] % 3];
    port.input += (data[0] & 4) ? ";Trim(0,0,1,1) Sub(1,1) Bp8 Jq80 FfBMP TrALL Fl(0,0) Re0\r"
                                : ";Trim(0,0,1,1) Sub(1,1) Bp8 Jq80 FfBMP TrPART Fl(0,0) Re0\r";
    port.input += "OK\r";
    port.input.append(reinterpret_cast<const char*>(data + 1), size - 1);

    KesSetLastStatus(KES_STATE_SUCCESS);
    const KesHandle serial = KesCreateSerialPort(
        &port, BufferPort::isOpen, BufferPort::read, BufferPort::wait, BufferPort::write,
        BufferPort::flush, BufferPort::sleep, nullptr, nullptr);
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

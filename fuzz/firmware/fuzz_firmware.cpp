// Arbitrary bytes as everything the engine says during a firmware download: the identification
// reply is fixed by the first byte (an application-protocol engine or an XMODEM one), the rest is
// the engine's reply stream. Whatever it says, the download must end (no endless loop), with the
// port's speed restored exactly once after being raised, and without touching memory it must not.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "module/download.h"
#include "module/engine_line.h"
#include "module/kes_sdk.h"

namespace {

// A 20000-byte file: three application blocks, 157 XMODEM blocks.
std::uint32_t readFile(void* context, void* buffer, std::uint32_t count) {
    auto& left = *static_cast<std::uint32_t*>(context);
    std::uint32_t n = count < left ? count : left;
    std::memset(buffer, 0xA5, n);
    left -= n;
    return n;
}

void ignoreRange(void*, std::int32_t, std::int32_t) {}
void ignorePosition(void*, std::int32_t) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const char* const kReplies[] = {"BA12J13i\r", "BFM0102\r", "FL0001\r", "BD52\r"};
    omni::test::EngineLine line;
    line.input = kReplies[data[0] % 4];
    line.input.append(reinterpret_cast<const char*>(data + 1), size - 1);

    KesHandle port = line.createPort(/*withSpeedCallbacks=*/true);
    KesSetLastStatus(KES_STATE_SUCCESS);
    KesHandle module = KesOpenModule(port);
    if (module != KES_INVALID_HANDLE) {
        std::uint32_t left = 20000;
        KesHandle input = KesCreateInputStream(&left, readFile);
        KesHandle progress = KesCreateDownloadProgress(nullptr, ignoreRange, ignorePosition,
                                                       ignoreRange, ignorePosition, ignorePosition);
        KesSetLastStatus(KES_STATE_SUCCESS);
        KesDownload(module, input, 20000, data[0] & 0x10 ? 1 : 0, progress);
        if (line.raised != line.restored || line.raised > 1)
            std::abort();  // the port must be back at its own speed
        if (KesDownloadFinished(module) && KesGetLastStatus() != KES_STATE_SUCCESS)
            std::abort();
        KesCloseHandle(progress);
        KesCloseHandle(input);
        KesCloseHandle(module);
    }
    KesCloseHandle(port);

    // The write-phase reader alone.
    kes::WriteReplyReader reader;
    for (std::size_t i = 1; i < size; ++i)
        reader.feed(data[i]);
    return 0;
}

// Arbitrary bytes as the engine's reply to "[DE6": the parser must not crash, and a reply it
// accepts must give fields that the "[DE7" command can be built from.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "module/image_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The library reads the reply up to CR, at most 128 bytes, zero-terminated.
    std::string reply(reinterpret_cast<const char*>(data), size < 128 ? size : 128);
    reply = reply.substr(0, reply.find('\r'));
    kes::ImageOutputProperty property;
    if (kes::parseOutputSettings(reply.c_str(), property.fields())) {
        const std::string command = property.writeCommand();
        if (command.size() > 1022 || command.compare(0, 4, "[DE7") != 0)
            std::abort();
    }
    return 0;
}

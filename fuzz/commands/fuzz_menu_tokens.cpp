// Arbitrary bytes as a menu command, split by every tokenizer: the tokens of a well-formed
// command cover it exactly, Code 39 tokens are never empty and never longer than five
// characters, and the 1D page items never hold a carriage return.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "commands/menu_command.h"
#include "commands/selector_model.h"
#include "menucode/code39.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view command(reinterpret_cast<const char*>(data), size);

    const std::uint32_t count = omni::commands::countTokens(command);
    std::string_view rest = command;
    std::uint32_t walked = 0;
    while (!rest.empty()) {
        const std::size_t length = omni::commands::tokenLength(rest);
        if (length > rest.size())
            std::abort();
        if (length == 0)
            break;
        rest.remove_prefix(length);
        ++walked;
    }
    // A count means the tokens cover the command exactly; 0 means one of them ran past its end.
    if (count != 0 && (count != walked || !rest.empty()))
        std::abort();
    if (count == 0 && !command.empty() && rest.empty())
        std::abort();

    std::size_t covered = 0;
    for (const std::string& token : omni::menucode::code39::sheetTokens(command)) {
        if (token.empty() || token.size() > 5)
            std::abort();
        covered += token.size();
    }
    if (covered > command.size())
        std::abort();

    if (size <= omni::commands::PageItem::kMaxBytes) {
        for (const omni::commands::PageItem& item :
             omni::commands::pageItemsFromString(command, u"fuzz", false)) {
            if (item.bytes.empty() || item.bytes.find('\r') != std::string::npos)
                std::abort();
        }
        const auto items = omni::commands::pageItemsFromString(command, u"fuzz", true);
        if (items.size() != (command.empty() ? 0u : 1u))
            std::abort();
    }
    return 0;
}

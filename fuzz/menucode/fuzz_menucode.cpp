// Arbitrary bytes as a text to encode and as a command added to a menu-code history: nothing may
// crash, and a refused or failed change must leave a symbol that still encodes the envelope.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "menucode/menu_code_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto encoder = std::make_unique<omni::menucode::qr::QrEncoder>();
    static auto page = std::make_unique<omni::menucode::MenuCodeHistory>();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto symbol = encoder->encode(text);
        symbol && (symbol->version() < 1 || symbol->version() > 40))
        std::abort();

    if (page->size() == omni::menucode::MenuCodeHistory::kMaxEntries)
        page->clear();
    page->addTypedCommand(text.substr(0, omni::commands::PageItem::kMaxBytes));
    if (page->symbol().empty())
        std::abort();
    if (page->size() > 4)
        page->swapEntries(0, page->size() - 1);
    if (page->size() > 8)
        page->removeEntry(1);
    return 0;
}

// Arbitrary bytes as a page file: reading either refuses the header or gives a page with at most
// 256 entries that each fit their fields, and what it gives is written and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/exception.h"
#include "menucode/page_file.h"

using namespace omni::menucode;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    PageFileContents contents;
    try {
        contents = parsePageFile(text);
    } catch (const omni::foundation::UserException&) {
        return 0;
    }
    if (contents.page.items.size() > 256)
        std::abort();
    std::size_t lastLine = 0;
    for (const auto& problem : contents.problems) {
        if (problem.line <= lastLine || problem.message.empty())
            std::abort();  // one report per line, in order, each with a reason
        lastLine = problem.line;
    }
    for (const auto& item : contents.page.items) {
        if (item.bytes.empty() || item.bytes.size() > omni::commands::PageItem::kMaxBytes ||
            item.label.size() > omni::commands::PageItem::kMaxLabel || item.count == 0)
            std::abort();
    }
    const PageFileContents again = parsePageFile(formatPageFile(contents.page));
    if (!again.problems.empty() || again.page.mode2D != contents.page.mode2D ||
        again.page.items.size() != contents.page.items.size())
        std::abort();
    for (std::size_t i = 0; i < again.page.items.size(); ++i) {
        const auto& a = again.page.items[i];
        const auto& b = contents.page.items[i];
        // Labels are compared as written: a lone surrogate has no UTF-8 form of its own.
        if (a.bytes != b.bytes || a.count != b.count ||
            escapeLabel(a.label) != escapeLabel(b.label))
            std::abort();
    }
    return 0;
}

// A page item: the unit that the command selector and the command box hand to the main window,
// and that a menu-code page keeps in its command history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace omni::commands {

struct PageItem {
    static constexpr std::size_t kMaxBytes =
        1023;  // command bytes (a 1024-byte field with its NUL)
    static constexpr std::size_t kMaxLabel =
        259;  // label characters (a 260-unit field with its NUL)

    std::string bytes;        // the command bytes, at most kMaxBytes
    std::u16string label;     // the text shown for the item, at most kMaxLabel
    std::uint32_t count = 0;  // menu-command tokens in `bytes`, or 1 for one piece of a 1D string

    std::uint32_t length() const { return static_cast<std::uint32_t>(bytes.size()); }
};

// An item from command bytes and a label, both cut to their field sizes, with the given count.
inline PageItem makePageItem(std::string_view bytes, std::u16string_view label,
                             std::uint32_t count) {
    PageItem item;
    item.bytes.assign(bytes.substr(0, PageItem::kMaxBytes));
    item.label.assign(label.substr(0, PageItem::kMaxLabel));
    item.count = count;
    return item;
}

}  // namespace omni::commands

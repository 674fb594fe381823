// The compiled-in string table (generated from strings/*.tsv), sorted by id.
#pragma once

#include <cstddef>
#include <cstdint>

namespace omni::res {

struct StringRow {
    std::uint32_t id;
    const char16_t* english;
    const char16_t* japanese;  // null: the English text is used
};

extern const StringRow kStringRows[];
extern const std::size_t kStringRowCount;

}  // namespace omni::res

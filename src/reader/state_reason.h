// Words for the device library's statuses: a table from each status to the string that explains
// it, as the failure messages of shots and downloads use them.
#pragma once

#include <cstdint>
#include <span>

#include "module/kes_state.h"

namespace omni::reader {

struct StateReason {
    KesState state;
    std::uint32_t text;  // a string id
};

// The string id that `table` gives `state`, or `otherwise` when it gives none.
constexpr std::uint32_t reasonFor(KesState state, std::span<const StateReason> table,
                                  std::uint32_t otherwise) {
    for (const StateReason& row : table) {
        if (row.state == state)
            return row.text;
    }
    return otherwise;
}

}  // namespace omni::reader

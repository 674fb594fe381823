#include "commands/catalog.h"

#include "commands/catalog/catalog_data.h"

namespace omni::commands {
namespace {

// The items of a list that ends with an item of label 0 (none for a null list).
template <typename Item>
std::span<const Item> untilZeroLabel(const Item* items) {
    if (!items)
        return {};
    std::size_t n = 0;
    while (items[n].labelId != 0)
        ++n;
    return {items, n};
}

}  // namespace

const CatalogNode* catalogRoot(bool mode2D) {
    return mode2D ? catalog_data::kRoot2D : catalog_data::kRoot1D;
}

std::span<const CatalogNode> childrenOf(const CatalogNode* group) {
    return group ? untilZeroLabel(group->children) : std::span<const CatalogNode>{};
}

std::span<const CatalogEntry> entriesOf(const CatalogNode* group) {
    return group ? untilZeroLabel(group->entries) : std::span<const CatalogEntry>{};
}

std::span<const CatalogNode> topLevelGroups(bool mode2D) {
    const CatalogNode* root = catalogRoot(mode2D);
    std::size_t n = 0;
    while (root[n].labelId != 0)
        ++n;
    return {root, n};
}

}  // namespace omni::commands

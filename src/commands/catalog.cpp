#include "commands/catalog.h"

#include "commands/catalog/catalog_data.h"

namespace omni {

const CatalogNode* catalogRoot(bool mode2D) {
    return mode2D ? catalog_data::kRoot2D : catalog_data::kRoot1D;
}

std::span<const CatalogNode> childrenOf(const CatalogNode* group) {
    if (!group || !group->children)
        return {};
    std::size_t n = 0;
    while (group->children[n].labelId != 0)
        ++n;
    return {group->children, n};
}

std::span<const CatalogEntry> entriesOf(const CatalogNode* group) {
    if (!group || !group->entries)
        return {};
    std::size_t n = 0;
    while (group->entries[n].labelId != 0)
        ++n;
    return {group->entries, n};
}

std::span<const CatalogNode> topLevelGroups(bool mode2D) {
    const CatalogNode* root = catalogRoot(mode2D);
    std::size_t n = 0;
    while (root[n].labelId != 0)
        ++n;
    return {root, n};
}

}  // namespace omni

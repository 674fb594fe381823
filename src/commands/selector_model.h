// The command selector's model, free of any widget: captions and path texts of the catalog tree,
// finding an entry by its caption path, and turning a resolved string into page items.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "commands/catalog.h"
#include "commands/page_item.h"

namespace omni::commands {

// The caption of a catalog string id in the current language.
std::u16string_view catalogCaption(std::uint32_t labelId);

// The group that holds `group` in its children, or null for a top-level group (or a node that
// is not in the catalog of that mode).
const CatalogNode* parentOf(const CatalogNode* group, bool mode2D);

// The path text of a group as the selector shows it: every caption from the top level down to
// `group`, each followed by " > ". Empty for null.
std::u16string groupPathText(const CatalogNode* group, bool mode2D);

// The label of an entry picked in `group`: the group's path text, then the entry's caption.
std::u16string entryLabel(const CatalogNode* group, const CatalogEntry& entry, bool mode2D);

// A group and one of its entries, with the entry's label in the current language.
struct EntryPath {
    const CatalogNode* group;
    const CatalogEntry* entry;
    std::u16string label;
};

// Finds an entry by its English group captions and entry caption joined by " > ", for example
// "Setting readable codes > 1D Code > Code39 > Enable". Throws
// UserException(UserException::BadInput, message) naming the first caption that did not match.
EntryPath findEntryByPath(std::string_view utf8Path, bool mode2D);

// The page items the selector hands over for a resolved string. 2D: one item with its token
// count. 1D: one item per carriage-return separated piece (empty pieces skipped); the first
// keeps `label` and its token count, each further piece counts 1 and is labelled
// "<label> > <name>", the name being the key-table name of the piece or the piece itself.
// An empty string gives no items.
std::vector<PageItem> pageItemsFromString(std::string_view resolved, std::u16string_view label,
                                          bool mode2D);

}  // namespace omni::commands

#include "commands/selector_model.h"

#include "commands/key_table.h"
#include "commands/menu_command.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::commands {

namespace {

constexpr std::u16string_view kPathSeparator = u" > ";

[[noreturn]] void badPath(std::uint32_t messageId,
                          std::initializer_list<std::u16string_view> args) {
    throw foundation::UserException(foundation::UserException::BadInput,
                                    res::format(messageId, args));
}

// Finds the node array element that holds `target` and returns its parent through `parent`.
bool findParent(std::span<const CatalogNode> level, const CatalogNode* holder,
                const CatalogNode* target, const CatalogNode*& parent) {
    for (const CatalogNode& node : level) {
        if (&node == target) {
            parent = holder;
            return true;
        }
        if (findParent(childrenOf(&node), &node, target, parent))
            return true;
    }
    return false;
}

std::u16string_view englishCaption(std::uint32_t labelId) {
    return res::loadString(labelId, res::Language::English);
}

// The parts of a path joined by " > ".
std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    constexpr std::string_view separator = " > ";
    for (;;) {
        auto at = path.find(separator);
        parts.push_back(path.substr(0, at));
        if (at == std::string_view::npos)
            break;
        path.remove_prefix(at + separator.size());
    }
    return parts;
}

}  // namespace

std::u16string_view catalogCaption(std::uint32_t labelId) {
    return res::loadString(labelId);
}

const CatalogNode* parentOf(const CatalogNode* group, bool mode2D) {
    const CatalogNode* parent = nullptr;
    if (group)
        findParent(topLevelGroups(mode2D), nullptr, group, parent);
    return parent;
}

std::u16string groupPathText(const CatalogNode* group, bool mode2D) {
    std::u16string path;
    for (const CatalogNode* node = group; node; node = parentOf(node, mode2D)) {
        std::u16string step(catalogCaption(node->labelId));
        step += kPathSeparator;
        path.insert(0, step);
    }
    return path;
}

std::u16string entryLabel(const CatalogNode* group, const CatalogEntry& entry, bool mode2D) {
    return groupPathText(group, mode2D) + std::u16string(catalogCaption(entry.labelId));
}

EntryPath findEntryByPath(std::string_view utf8Path, bool mode2D) {
    if (utf8Path.empty())
        badPath(res::ids::PathEmpty, {});
    std::vector<std::string_view> parts = splitPath(utf8Path);
    std::span<const CatalogNode> level = topLevelGroups(mode2D);
    const CatalogNode* group = nullptr;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::u16string wanted = res::fromUtf8(parts[i]);
        const CatalogNode* found = nullptr;
        for (const CatalogNode& node : level) {
            if (englishCaption(node.labelId) == wanted) {
                found = &node;
                break;
            }
        }
        if (!found) {
            if (group)
                badPath(res::ids::NoGroupOrEntry, {wanted, englishCaption(group->labelId)});
            badPath(res::ids::NoTopLevelGroup, {wanted});
        }
        group = found;
        level = childrenOf(group);
    }
    const std::u16string wanted = res::fromUtf8(parts.back());
    if (group) {
        for (const CatalogEntry& entry : entriesOf(group))
            if (englishCaption(entry.labelId) == wanted)
                return {group, &entry, entryLabel(group, entry, mode2D)};
    }
    // The last caption names a group: the path stops before its entry.
    for (const CatalogNode& node : level)
        if (englishCaption(node.labelId) == wanted)
            badPath(res::ids::PathEndsAtGroup, {wanted});
    if (group)
        badPath(res::ids::NoGroupOrEntry, {wanted, englishCaption(group->labelId)});
    badPath(res::ids::NoTopLevelGroup, {wanted});
}

std::vector<PageItem> pageItemsFromString(std::string_view resolved, std::u16string_view label,
                                          bool mode2D) {
    std::vector<PageItem> items;
    if (resolved.empty())
        return items;
    if (mode2D) {
        PageItem item = makePageItem(resolved, label, 0);
        item.count = countTokens(item.bytes);
        items.push_back(std::move(item));
        return items;
    }
    // 1D: one item per carriage-return separated piece.
    while (!resolved.empty()) {
        auto end = resolved.find(kCarriageReturn);
        std::string_view piece = resolved.substr(0, end);
        resolved.remove_prefix(end == std::string_view::npos ? resolved.size() : end + 1);
        if (piece.empty())
            continue;
        if (items.empty()) {
            PageItem item = makePageItem(piece, label, 0);
            item.count = countTokens(item.bytes);
            items.push_back(std::move(item));
            continue;
        }
        std::u16string pieceLabel(label);
        pieceLabel += kPathSeparator;
        const KeyRow* key = findKeyByCommand(piece, false);
        pieceLabel += key ? res::fromUtf8(key->name) : res::fromUtf8(piece);
        items.push_back(makePageItem(piece, pieceLabel, 1));
    }
    return items;
}

}  // namespace omni::commands

#include "commands/selector_model.h"

#include "resources/strings.h"
#include "ui/exception.h"

namespace omni {

std::u16string_view catalogCaption(std::uint32_t labelId) {
    return res::loadString(labelId);
}

const CatalogNode* parentOf(const CatalogNode*, bool) {
    return nullptr;
}

std::u16string groupPathText(const CatalogNode*, bool) {
    return {};
}

std::u16string entryLabel(const CatalogNode*, const CatalogEntry&, bool) {
    return {};
}

EntryPath findEntryByPath(std::string_view, bool) {
    throw UserException(UserException::BadInput, u"not implemented yet");
}

std::vector<PageItem> pageItemsFromString(std::string_view, std::u16string_view, bool) {
    return {};
}

}  // namespace omni

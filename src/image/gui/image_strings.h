// Texts of the string table for the picture view and the imaging dialogs.
#pragma once

#include <QString>

#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::image {

inline QString imageText(std::uint32_t id) {
    const std::u16string_view s = res::loadString(id);
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace omni::image

// Writes a page drawing as an enhanced metafile (".emf"): the header record, one rectangle per
// filled box, ellipses for dots and UTF-16 text records, ending with the end-of-file record.
// Page units become reference-device pixels; coordinates are recorded in sixteenths of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "menucode/menu_page.h"
#include "menucode/page_drawing.h"

namespace omni::menucode {

std::vector<std::uint8_t> toEmf(const Drawing& drawing, const DeviceGeometry& reference,
                                const TextMeasure& measure);

// Writes the file whole or not at all; throws SystemException with the OS error on failure.
void writeEmf(const Drawing& drawing, const DeviceGeometry& reference, const TextMeasure& measure,
              const std::string& path);

}  // namespace omni::menucode

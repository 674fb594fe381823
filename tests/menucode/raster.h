// Test helper: rasterizes the filled rectangles of a page drawing without Qt, so that layouts can
// be decoded by ZXing independently of the painters.
#pragma once

#include <cmath>

#include "menucode/page_drawing.h"
#include "zxing_decode.h"

namespace omni::test {

inline GreyImage rasterize(const menucode::Drawing& drawing, double scale, int margin = 0) {
    GreyImage image;
    image.width = static_cast<int>(std::ceil(drawing.width * scale)) + 2 * margin;
    image.height = static_cast<int>(std::ceil(drawing.height * scale)) + 2 * margin;
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 255);
    for (const auto& item : drawing.items) {
        const auto* r = std::get_if<menucode::FillRect>(&item);
        if (!r)
            continue;
        const int x0 = margin + static_cast<int>(std::lround(r->box.left * scale));
        const int x1 = margin + static_cast<int>(std::lround(r->box.right * scale));
        const int y0 = margin + static_cast<int>(std::lround(r->box.top * scale));
        const int y1 = margin + static_cast<int>(std::lround(r->box.bottom * scale));
        for (int y = std::max(y0, 0); y < std::min(y1, image.height); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x1, image.width); ++x) {
                image.pixels[static_cast<std::size_t>(y) * image.width + x] = r->dark ? 0 : 255;
            }
        }
    }
    return image;
}

// Text runs of a drawing, in order.
inline std::vector<std::u16string> texts(const menucode::Drawing& drawing) {
    std::vector<std::u16string> out;
    for (const auto& item : drawing.items) {
        if (const auto* t = std::get_if<menucode::TextRun>(&item))
            out.push_back(t->text);
    }
    return out;
}

}  // namespace omni::test

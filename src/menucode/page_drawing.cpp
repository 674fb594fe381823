#include "menucode/page_drawing.h"

namespace omni::menucode {

namespace {

// East Asian wide characters take a whole cell in a fixed-pitch face.
bool isWide(char16_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}

}  // namespace

double TextMeasure::width(std::u16string_view text, const Font& font) const {
    double cells = 0;
    for (char16_t c : text)
        cells += isWide(c) ? 2 : 1;
    return cells * font.height / 2;
}

std::vector<std::u16string> wrapText(std::u16string_view text, const Font& font, double maxWidth,
                                     const TextMeasure& measure) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(u'\n', start), text.size());
        std::u16string_view paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == u'\r')
            paragraph.remove_suffix(1);
        if (paragraph.empty())
            lines.emplace_back();
        // Break the paragraph into lines greedily.
        while (!paragraph.empty()) {
            std::size_t fit = paragraph.size();
            if (measure.width(paragraph, font) > maxWidth) {
                // The longest prefix that fits, preferring a break after a space.
                std::size_t lo = 1, hi = paragraph.size();
                while (lo < hi) {
                    const std::size_t mid = (lo + hi + 1) / 2;
                    if (measure.width(paragraph.substr(0, mid), font) <= maxWidth) {
                        lo = mid;
                    } else {
                        hi = mid - 1;
                    }
                }
                fit = lo;
                const std::size_t space = paragraph.substr(0, fit + 1).find_last_of(u' ');
                if (space != std::u16string_view::npos && space > 0)
                    fit = space + 1;
            }
            std::u16string_view line = paragraph.substr(0, fit);
            while (!line.empty() && line.back() == u' ')
                line.remove_suffix(1);
            lines.emplace_back(line);
            paragraph.remove_prefix(fit);
            while (!paragraph.empty() && paragraph.front() == u' ')
                paragraph.remove_prefix(1);
        }
        if (end == text.size())
            break;
        start = end + 1;
    }
    return lines;
}

}  // namespace omni::menucode

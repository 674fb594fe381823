// A device-independent description of one drawn page: filled rectangles, filled dots and single
// lines of text, in page units (one unit is one pixel of the layout; backends scale it). The
// menu-code layouts produce it; the PNG, SVG, PDF, metafile and on-screen painters render it.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace omni::menucode {

struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

// A font by its line height (ascent plus descent) in page units. An empty family means the
// system's default face: a fixed-pitch one when fixedPitch is set.
struct Font {
    std::u16string family;
    double height = 16;
    bool fixedPitch = true;
    bool operator==(const Font&) const = default;
};

enum class Align { Left, Center, Right };

struct FillRect {
    Box box;
    bool dark = true;  // black, else white
};

struct Dot {
    double centerX = 0, centerY = 0, diameter = 0;  // black
};

// One line of black text: its top at box.top, placed horizontally in the box by `align`.
struct TextRun {
    Box box;
    std::u16string text;
    Font font;
    Align align = Align::Left;
};

using Item = std::variant<FillRect, Dot, TextRun>;

struct Drawing {
    double width = 0, height = 0;  // extent of the page, white background
    std::vector<Item> items;

    void rect(const Box& box, bool dark) { items.emplace_back(FillRect{box, dark}); }
    void dot(double cx, double cy, double diameter) { items.emplace_back(Dot{cx, cy, diameter}); }
    void text(const Box& box, std::u16string_view text, const Font& font, Align align) {
        items.emplace_back(TextRun{box, std::u16string(text), font, align});
    }
};

// Widths of text, for layouts that centre, wrap and size columns. The default measures a
// fixed-pitch face (every character half the line height wide, East Asian wide characters a
// whole line height); the Qt painters supply one that asks the real fonts.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual double width(std::u16string_view text, const Font& font) const;
};

// Splits text into lines no wider than maxWidth, breaking after spaces where possible and inside
// a word only when the word alone is too wide. Explicit line breaks are kept.
std::vector<std::u16string> wrapText(std::u16string_view text, const Font& font, double maxWidth,
                                     const TextMeasure& measure);

}  // namespace omni::menucode

// The script templates of the simple data edit wizards: GS1 conversion, GS1 pick-up, Japanese
// book code, multiple-label read, and scripts typed directly. Each takes the choices of its page
// as plain values (operator texts as typed) and gives the script pair, or says which text it
// could not use.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "dataedit/script_text.h"

namespace omni::dataedit {

// What a template made of the choices: the scripts, or the first refused text.
struct TemplateResult {
    ScriptPair scripts;
    TextProblem problem = TextProblem::None;
    std::string refusedText;                   // the operator text that was refused, as typed
    std::size_t textLimit = kMaxOperatorText;  // the longest text the refused one's box takes
    // A choice the page does not accept: a label whose minimum exceeds its maximum (or no
    // label), a pick-up AI left unchosen.
    bool choiceInvalid = false;
    int invalidItem = -1;  // the label or pick-up field (from 0) with a refused text or choice

    bool ok() const { return problem == TextProblem::None && !choiceInvalid; }
};

// "\Df" and the format value as two lower-case hexadecimal digits: 1 when DD of 00 is dropped,
// plus 2 when the decimal point is output.
std::string FormatFlags(bool suppressDd, bool decimalPoint);

struct GS1ConversionChoices {
    bool insertBeginEnd = false;
    std::string begin, end;
    bool outputAi = false;
    bool aiInBrackets = false;  // only with outputAi
    bool insertBetween = false;
    std::string between;
    bool insertAfterFlexible = false;
    std::string afterFlexible;
    bool suppressDd = false;
    bool decimalPoint = false;
};
TemplateResult BuildGS1Conversion(const GS1ConversionChoices& choices);

struct GS1PickupField {
    std::string ai;     // AI digits as the AI list gives them ("01", "310", "23"); empty: none
    std::string after;  // operator text output after the AI's data
};
struct GS1PickupChoices {
    std::string lead;                    // operator text output first
    std::vector<GS1PickupField> fields;  // 1 to 4, in output order
    bool suppressDd = false;
    bool decimalPoint = false;
};
inline constexpr std::size_t kMaxPickupFields = 4;
TemplateResult BuildGS1Pickup(const GS1PickupChoices& choices);

struct BookCodeChoices {
    // Before the ISBN, between ISBN and kind code, between kind code and price code, after it.
    std::array<std::string, 4> strings;
    bool fixPriceTo5Digits = false;
};
TemplateResult BuildBookCode(const BookCodeChoices& choices);

inline constexpr int kMinLabelDigits = 1;
inline constexpr int kMaxLabelDigits = 99;
inline constexpr std::size_t kMaxLabels = 4;

struct LabelChoice {
    std::size_t codeType = 0;         // row of the code-type table
    std::string begin, end;           // operator texts
    int minDigits = kMinLabelDigits;  // 1 to 99, begin and end strings included
    int maxDigits = kMaxLabelDigits;
};
struct MultiLabelChoices {
    std::vector<LabelChoice> labels;  // the enabled labels, 1 to 4
    bool dropBeginEnd = false;        // "Don't transmit begin string and end string."
    // Character-table escapes: begin, the separators after labels 1 to 3, end.
    std::string begin;
    std::array<std::string, 3> separators;
    std::string end;
};
TemplateResult BuildMultiLabel(const MultiLabelChoices& choices);

// Scripts typed by hand, taken as typed (at most 500 characters each, 7-bit only).
TemplateResult BuildDirectInput(const std::string& cut, const std::string& paste);

}  // namespace omni::dataedit

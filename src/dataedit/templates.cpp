#include "dataedit/templates.h"

#include <algorithm>
#include <cstdio>

#include "dataedit/char_tables.h"

namespace omni::dataedit {
namespace {

constexpr char kDq = '"';

// Escapes the operator texts of one page in turn; the first refusal is remembered.
class TextEscaper {
public:
    explicit TextEscaper(TemplateResult& result) : result_(result) {}

    // The escaped text (empty after a refusal); `count` receives the logical length.
    std::string operator()(const std::string& typed, int* count = nullptr) {
        std::string text = typed;
        int n = -1;
        TextProblem problem = TextProblem::TooLong;
        if (typed.size() <= kMaxOperatorText) {
            problem = CheckScriptText(typed);
            if (problem == TextProblem::None)
                n = EscapeScriptText(text);
        }
        if (n < 0) {
            if (result_.problem == TextProblem::None) {
                result_.problem = problem;
                result_.refusedText = typed;
            }
            text.clear();
            n = 0;
        }
        if (count)
            *count = n;
        return text;
    }

private:
    TemplateResult& result_;
};

std::string quoted(const std::string& text) {
    return kDq + text + kDq;
}

// One label's pattern: the selector, the begin string, the counts, the end string.
std::string labelPattern(const LabelChoice& label, const std::string& begin, int beginCount,
                         const std::string& end, int endCount, bool& countsOk) {
    const int less = beginCount + endCount;
    const int minimum = std::max(label.minDigits - less, 0);
    const int maximum = std::max(label.maxDigits - less, 0);
    countsOk = label.minDigits >= kMinLabelDigits && label.maxDigits <= kMaxLabelDigits &&
               label.minDigits <= kMaxLabelDigits && label.maxDigits >= kMinLabelDigits &&
               minimum <= maximum;
    std::string pattern;
    const CodeTypeRow& type = CodeTypes()[std::min(label.codeType, kCodeTypeCount - 1)];
    if (type.selector != 0) {
        pattern += "\\S";
        pattern += type.selector;
    }
    pattern += begin + "(.{" + std::to_string(minimum) + "," + std::to_string(maximum) + "})";
    pattern += end + "$";
    return pattern;
}

}  // namespace

std::string FormatFlags(bool suppressDd, bool decimalPoint) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", (suppressDd ? 1 : 0) | (decimalPoint ? 2 : 0));
    return std::string("\\Df") + digits;
}

TemplateResult BuildGS1Conversion(const GS1ConversionChoices& choices) {
    TemplateResult result;
    TextEscaper escape(result);
    std::string& cut = result.scripts.cut;
    cut = "\\s80" + quoted(FormatFlags(choices.suppressDd, choices.decimalPoint));
    cut += "(?:<\\Ax>";
    cut += kDq;
    cut += "\\Ax";
    if (choices.outputAi)
        cut += choices.aiInBrackets ? "\\(\\I\\)" : "\\I";
    cut += "\\Dx";
    cut += kDq;
    if (choices.insertAfterFlexible)
        cut += "(?:<\\s80>" + quoted(escape(choices.afterFlexible)) + ")?";
    if (choices.insertBetween)
        cut += "(?:$|" + quoted(escape(choices.between)) + ")";
    cut += ")+$";

    std::string& paste = result.scripts.paste;
    if (choices.insertBeginEnd) {
        std::string begin = escape(choices.begin);
        std::string end = escape(choices.end);
        paste = begin + "[0]" + end;
    } else {
        paste = "[0]";
    }
    return result;
}

TemplateResult BuildGS1Pickup(const GS1PickupChoices& choices) {
    TemplateResult result;
    TextEscaper escape(result);
    result.scripts.cut = "\\s80\\Ax+$";
    std::string& paste = result.scripts.paste;
    paste = FormatFlags(choices.suppressDd, choices.decimalPoint) + escape(choices.lead);
    const std::size_t count = std::min(choices.fields.size(), kMaxPickupFields);
    if (count == 0)
        result.choiceInvalid = true;
    for (std::size_t i = 0; i < count; ++i) {
        const GS1PickupField& field = choices.fields[i];
        if (field.ai.empty() && !result.choiceInvalid) {
            result.choiceInvalid = true;
            result.invalidItem = static_cast<int>(i);
        }
        paste += "\\A" + field.ai + "[0]\\Dx" + escape(field.after);
    }
    return result;
}

TemplateResult BuildBookCode(const BookCodeChoices& choices) {
    TemplateResult result;
    TextEscaper escape(result);
    std::string& cut = result.scripts.cut;
    cut = "\\SB978([0-9]{9})[0-9]$/\\SB192([0-9]{4})";
    cut += choices.fixPriceTo5Digits ? "([0-9]{5})" : "0*([0-9]+)";
    cut += "[0-9]$";
    std::array<std::string, 4> s;
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = escape(choices.strings[i]);
    result.scripts.paste = s[0] + "[0,1]" + s[1] + "[1,1]" + s[2] + "[1,2]" + s[3];
    return result;
}

TemplateResult BuildMultiLabel(const MultiLabelChoices& choices) {
    TemplateResult result;
    TextEscaper escape(result);
    const std::size_t count = std::min(choices.labels.size(), kMaxLabels);
    if (count == 0) {
        result.choiceInvalid = true;
        return result;
    }
    std::string& cut = result.scripts.cut;
    for (std::size_t i = 0; i < count; ++i) {
        const LabelChoice& label = choices.labels[i];
        const TextProblem before = result.problem;
        int beginCount = 0, endCount = 0;
        std::string begin = escape(label.begin, &beginCount);
        std::string end = escape(label.end, &endCount);
        bool countsOk = true;
        if (i > 0)
            cut += '/';
        cut += labelPattern(label, begin, beginCount, end, endCount, countsOk);
        if (result.invalidItem < 0 && (!countsOk || before != result.problem))
            result.invalidItem = static_cast<int>(i);
        if (!countsOk)
            result.choiceInvalid = true;
    }

    // The output page's characters are table escapes; they still pass through the escaping.
    auto character = [&](const std::string& escapeText) { return escape(escapeText); };
    std::string& paste = result.scripts.paste;
    paste = character(choices.begin);
    for (std::size_t i = 0; i < kMaxLabels; ++i) {
        if (i > 0 && i < count)
            paste += character(choices.separators[i - 1]);
        if (i < count) {
            paste += '[' + std::to_string(i);
            paste += choices.dropBeginEnd ? ",1]" : "]";
        }
    }
    paste += character(choices.end);
    return result;
}

TemplateResult BuildDirectInput(const std::string& cut, const std::string& paste) {
    TemplateResult result;
    result.textLimit = kMaxDirectScript;
    for (const std::string* script : {&cut, &paste}) {
        TextProblem problem = TextProblem::None;
        if (script->size() > kMaxDirectScript)
            problem = TextProblem::TooLong;
        else if (std::any_of(script->begin(), script->end(),
                             [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            problem = TextProblem::NonAscii;
        if (problem != TextProblem::None && result.problem == TextProblem::None) {
            result.problem = problem;
            result.refusedText = *script;
        }
    }
    if (result.ok())
        result.scripts = {cut, paste};
    return result;
}

}  // namespace omni::dataedit

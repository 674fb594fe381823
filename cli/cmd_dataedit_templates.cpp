// dataedit gs1-convert, gs1-pickup, book-code and multi-label: the simple wizards' choices as
// options.
#include <functional>
#include <map>

#include "dataedit/char_tables.h"
#include "dataedit/gs1_dictionary.h"
#include "dataedit_cli.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::cli::dataedit_cli {
namespace {

namespace ids = res::ids;
using res::formatUtf8;
using namespace omni::dataedit;

// The options of one sub-command: flags, options with a text, and the common --program/--port.
struct Spec {
    std::map<std::string, bool*> flags;
    std::map<std::string, std::function<bool(const std::string&)>> values;
    int program = kFirstProgram;
    bool takesProgram = true;
};

// Reads every option of `args` by `spec`; returns the exit status on a bad one, -1 when all
// were taken.
int readOptions(Options& options, Spec& spec) {
    std::string option;
    int status = 0;
    while (options.nextOption(option, status)) {
        if (auto flag = spec.flags.find(option); flag != spec.flags.end()) {
            *flag->second = true;
        } else if (auto taker = spec.values.find(option); taker != spec.values.end()) {
            auto value = options.value(option);
            if (!value || !taker->second(*value))
                return ExitBadInput;
        } else if (option == "--program" && spec.takesProgram) {
            auto value = options.value(option);
            auto number = value ? parseProgram(*value) : std::nullopt;
            if (!number)
                return ExitBadInput;
            spec.program = *number;
        } else {
            return options.unknown(option);
        }
    }
    return status ? status : -1;
}

// A text option: keeps the text and, when given, turns `on` on.
std::function<bool(const std::string&)> text(std::string& into, bool* on = nullptr) {
    return [&into, on](const std::string& value) {
        into = value;
        if (on)
            *on = true;
        return true;
    };
}

}  // namespace

int runConvert(const Args& args) {
    Options options(args, "gs1-convert");
    GS1ConversionChoices c;
    Spec spec;
    spec.flags = {{"--ai", &c.outputAi},
                  {"--ai-brackets", &c.aiInBrackets},
                  {"--suppress-dd", &c.suppressDd},
                  {"--decimal-point", &c.decimalPoint}};
    spec.values = {{"--begin", text(c.begin, &c.insertBeginEnd)},
                   {"--end", text(c.end, &c.insertBeginEnd)},
                   {"--between", text(c.between, &c.insertBetween)},
                   {"--after-flexible", text(c.afterFlexible, &c.insertAfterFlexible)}};
    if (int code = readOptions(options, spec); code >= 0)
        return code;
    // Brackets come with the AI they enclose.
    c.outputAi = c.outputAi || c.aiInBrackets;
    return storeScripts(BuildGS1Conversion(c), spec.program, options.port());
}

int runPickup(const Args& args) {
    Options options(args, "gs1-pickup");
    GS1PickupChoices c;
    bool badAi = false;
    Spec spec;
    spec.flags = {{"--suppress-dd", &c.suppressDd}, {"--decimal-point", &c.decimalPoint}};
    spec.values = {{"--lead", text(c.lead)},
                   {"--ai", [&](const std::string& value) {
                        const std::size_t equals = value.find('=');
                        const std::string ai = value.substr(0, equals);
                        const int row = GS1TitleRowOf(ai);
                        if (row < 0) {
                            refuse(formatUtf8(ids::DataEditUnknownAi, {ai}));
                            badAi = true;
                            return false;
                        }
                        std::string after;
                        if (equals != std::string::npos)
                            after = value.substr(equals + 1);
                        c.fields.push_back({GS1TitleList()[row].digits, after});
                        return true;
                    }}};
    if (int code = readOptions(options, spec); code >= 0)
        return code;
    if (badAi || c.fields.empty() || c.fields.size() > kMaxPickupFields)
        return refuse(formatUtf8(ids::DataEditPickupCount, {}));
    return storeScripts(BuildGS1Pickup(c), spec.program, options.port());
}

int runBookCode(const Args& args) {
    Options options(args, "book-code");
    BookCodeChoices c;
    Spec spec;
    spec.flags = {{"--fix-price-5", &c.fixPriceTo5Digits}};
    spec.values = {{"--s1", text(c.strings[0])},
                   {"--s2", text(c.strings[1])},
                   {"--s3", text(c.strings[2])},
                   {"--s4", text(c.strings[3])}};
    if (int code = readOptions(options, spec); code >= 0)
        return code;
    return storeScripts(BuildBookCode(c), spec.program, options.port());
}

namespace {

// TYPE[:BEGIN[:END[:MIN[:MAX]]]], a colon inside a text written "\:" (kept as the escape).
bool parseLabel(const std::string& value, LabelChoice& label) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            fields.back() += value.substr(i, 2);
            ++i;
        } else if (value[i] == ':') {
            fields.emplace_back();
        } else {
            fields.back() += value[i];
        }
    }
    if (fields.size() > 5) {
        refuse(formatUtf8(ids::DataEditBadLabel, {value}));
        return false;
    }
    const int type = CodeTypeOfName(fields[0]);
    if (type < 0) {
        refuse(formatUtf8(ids::DataEditUnknownCodeType, {fields[0]}));
        return false;
    }
    label.codeType = static_cast<std::size_t>(type);
    if (fields.size() > 1)
        label.begin = fields[1];
    if (fields.size() > 2)
        label.end = fields[2];
    for (std::size_t f = 3; f < fields.size(); ++f) {
        if (fields[f].empty())
            continue;
        auto number = parseNumber(fields[f]);
        if (!number)
            return false;
        (f == 3 ? label.minDigits : label.maxDigits) = *number;
    }
    return true;
}

int checkLabels(const MultiLabelChoices& c, std::size_t separators) {
    if (c.labels.empty())
        return refuse(formatUtf8(ids::DataEditNoLabel, {}));
    if (c.labels.size() > kMaxLabels)
        return refuse(formatUtf8(ids::DataEditTooManyLabels, {}));
    if (separators >= c.labels.size() && separators > 0) {
        return refuse(
            formatUtf8(ids::DataEditTooManySeparators,
                       {std::to_string(c.labels.size()), std::to_string(c.labels.size() - 1)}));
    }
    for (std::size_t i = 0; i < c.labels.size(); ++i) {
        const LabelChoice& label = c.labels[i];
        for (int digits : {label.minDigits, label.maxDigits}) {
            if (digits < kMinLabelDigits || digits > kMaxLabelDigits)
                return refuse(formatUtf8(ids::DataEditDigitRange, {std::to_string(i + 1)}));
        }
    }
    return -1;
}

}  // namespace

int runMultiLabel(const Args& args) {
    Options options(args, "multi-label");
    MultiLabelChoices c;
    std::size_t separators = 0;
    auto character = [](std::string& into) {
        return [&into](const std::string& value) {
            auto row = parseCharRow(value);
            if (row)
                into = std::string(CharRowAt(*row).escape);
            return row.has_value();
        };
    };
    Spec spec;
    spec.takesProgram = false;  // stores into the program chosen last, 1 in a fresh run
    spec.flags = {{"--no-begin-end", &c.dropBeginEnd}};
    std::string separator;
    spec.values = {{"--label",
                    [&](const std::string& value) {
                        LabelChoice label;
                        if (!parseLabel(value, label))
                            return false;
                        c.labels.push_back(label);
                        return true;
                    }},
                   {"--separator",
                    [&](const std::string& value) {
                        if (!character(separator)(value))
                            return false;
                        if (separators < c.separators.size())
                            c.separators[separators] = separator;
                        ++separators;
                        return true;
                    }},
                   {"--begin", character(c.begin)},
                   {"--end", character(c.end)}};
    if (int code = readOptions(options, spec); code >= 0)
        return code;
    if (int code = checkLabels(c, separators); code >= 0)
        return code;
    TemplateResult result = BuildMultiLabel(c);
    if (result.choiceInvalid && result.problem == TextProblem::None) {
        return refuse(
            formatUtf8(ids::DataEditCountsInvalid, {std::to_string(result.invalidItem + 1)}));
    }
    return storeScripts(result, kFirstProgram, options.port());
}

}  // namespace omni::cli::dataedit_cli

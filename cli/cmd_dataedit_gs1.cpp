// dataedit gs1 --sample TEXT --form FORM [--option NAME]... [--row AI:SETTING,...]...
// [--delay MS]: the GS1 easy setting from the command line. Prints the rows parsed from the
// sample, the output image and the command that stores the scripts in program 4.
#include <iostream>
#include <map>

#include "dataedit/char_tables.h"
#include "dataedit/gs1.h"
#include "dataedit_cli.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::cli::dataedit_cli {
namespace {

namespace ids = res::ids;
using res::formatUtf8;
using namespace omni::dataedit;

std::optional<GS1Form> parseForm(const std::string& name) {
    static const std::map<std::string, GS1Form> forms = {{"brackets", GS1Form::Brackets},
                                                         {"separated", GS1Form::Separated},
                                                         {"fnc1", GS1Form::Fnc1},
                                                         {"user", GS1Form::User}};
    auto found = forms.find(name);
    if (found == forms.end())
        return std::nullopt;
    return found->second;
}

// One or two character names: a single name, or two names around a comma.
bool parseCharPair(const std::string& text, std::size_t& first, std::size_t& second) {
    second = 0;
    if (CharRowOfName(text) > 0) {
        first = static_cast<std::size_t>(CharRowOfName(text));
        return true;
    }
    for (std::size_t comma = text.find(','); comma != std::string::npos;
         comma = text.find(',', comma + 1)) {
        const int a = CharRowOfName(text.substr(0, comma));
        const int b = CharRowOfName(text.substr(comma + 1));
        if (a > 0 && b > 0) {
            first = static_cast<std::size_t>(a);
            second = static_cast<std::size_t>(b);
            return true;
        }
    }
    auto row = parseCharRow(text);  // prints why
    if (!row)
        return false;
    first = *row;
    return true;
}

// NAME, no-NAME or NAME=CHAR[,CHAR]; false after printing why.
bool applyOption(const std::string& text, GS1Options& o) {
    const std::size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    const std::map<std::string, bool*> flags = {
        {"output-ai", &o.outputAi},         {"ai-brackets", &o.aiInBrackets},
        {"other-ais", &o.outputOtherAis},   {"suppress-dd", &o.suppressDd},
        {"decimal-point", &o.decimalPoint}, {"aim-id", &o.aimId},
        {"code128", &o.code128OnError}};
    struct CharOption {
        bool* on;
        std::size_t* first;
        std::size_t* second;
    };
    const std::map<std::string, CharOption> characters = {
        {"between", {&o.between, &o.s1, &o.s2}},
        {"after-variable", {&o.afterVariable, &o.f1, &o.f2}},
        {"multi-separator", {&o.multiSeparator, &o.m1, &o.m2}}};
    if (equals == std::string::npos) {
        const bool off = name.rfind("no-", 0) == 0;
        const std::string flag = off ? name.substr(3) : name;
        if (auto f = flags.find(flag); f != flags.end()) {
            *f->second = !off;
            return true;
        }
        if (auto c = characters.find(flag); c != characters.end() && off) {
            *c->second.on = false;
            return true;
        }
    } else if (auto c = characters.find(name); c != characters.end()) {
        *c->second.on = true;
        return parseCharPair(text.substr(equals + 1), *c->second.first, *c->second.second);
    }
    refuse(formatUtf8(ids::Gs1UnknownOption, {text}));
    return false;
}

// AI:SETTING,... where SETTING is output=0|1, header1=CHAR, header2=CHAR, terminator1=CHAR or
// terminator2=CHAR. A character may itself be a comma: a setting starts only at a known name.
bool applyRow(const std::string& text, std::vector<GS1Row>& rows) {
    const std::size_t colon = text.find(':');
    const std::string ai = text.substr(0, colon);
    GS1Row* row = nullptr;
    for (GS1Row& r : rows) {
        if (r.ai == ai)
            row = &r;
    }
    if (!row) {
        refuse(formatUtf8(ids::Gs1RowNoAi, {ai}));
        return false;
    }
    if (colon == std::string::npos)
        return true;
    const std::map<std::string, std::string*> slots = {{"header1", &row->header1},
                                                       {"header2", &row->header2},
                                                       {"terminator1", &row->terminator1},
                                                       {"terminator2", &row->terminator2}};
    const std::string settings = text.substr(colon + 1);
    auto startsSetting = [&](std::size_t at) {
        for (const char* name : {"output=", "header1=", "header2=", "terminator1=", "terminator2="})
            if (settings.compare(at, std::string_view(name).size(), name) == 0)
                return true;
        return false;
    };
    std::size_t at = 0;
    while (at < settings.size()) {
        std::size_t end = at;
        do {
            end = settings.find(',', end + 1);
        } while (end != std::string::npos && !startsSetting(end + 1));
        const std::string setting = settings.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? settings.size() : end + 1;
        const std::size_t equals = setting.find('=');
        const std::string key = setting.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : setting.substr(equals + 1);
        if (key == "output" && (value == "0" || value == "1")) {
            row->output = value == "1";
        } else if (auto slot = slots.find(key); slot != slots.end() && !value.empty()) {
            auto character = parseCharRow(value);
            if (!character)
                return false;
            *slot->second = std::string(CharRowAt(*character).escape);
        } else {
            refuse(formatUtf8(ids::Gs1RowBadSetting, {setting}));
            return false;
        }
    }
    return true;
}

// The one line about where the parse stopped (empty when it read the whole sample).
std::string stopMessage(const GS1Parse& parse) {
    struct Stop {
        GS1ParseStop stop;
        std::uint32_t message;  // with the position as %1 where it names one
    };
    static constexpr Stop kStops[] = {
        {GS1ParseStop::RowLimit, ids::Gs1StopRowLimit},
        {GS1ParseStop::UnknownAi, ids::Gs1StopUnknownAi},
        {GS1ParseStop::BadCharacter, ids::Gs1StopBadCharacter},
        {GS1ParseStop::MissingData, ids::Gs1StopMissingData},
        {GS1ParseStop::TooLong, ids::Gs1StopTooLong},
    };
    for (const Stop& row : kStops) {
        if (row.stop == parse.stop)
            return formatUtf8(row.message, {std::to_string(parse.position + 1)});
    }
    return {};  // the whole sample was read
}

void printRows(const std::vector<GS1Row>& rows) {
    for (const GS1Row& row : rows) {
        std::cout << row.ai;
        for (std::size_t p = 0; p < row.partCount; ++p)
            std::cout << "\t" << row.parts[p];
        std::cout << "\t" << formatUtf8(row.variable ? ids::Gs1TypeVariable : ids::Gs1TypeFixed, {})
                  << "\n";
    }
}

// The output-form list: each ready form with its image, then the user setting.
void printForms(const std::vector<GS1Row>& rows) {
    const std::pair<std::uint32_t, GS1Form> forms[] = {{ids::Gs1FormBrackets, GS1Form::Brackets},
                                                       {ids::Gs1FormSeparated, GS1Form::Separated},
                                                       {ids::Gs1FormFnc1, GS1Form::Fnc1}};
    for (const auto& [caption, form] : forms) {
        std::cout << formatUtf8(caption, {}) << "\t" << GS1Preview(ReadyFormOptions(form), rows)
                  << "\n";
    }
    std::cout << formatUtf8(ids::Gs1FormUser, {}) << "\t" << formatUtf8(ids::Gs1FormUserImage, {})
              << "\n";
}

struct Gs1Arguments {
    std::optional<std::string> sample;
    std::optional<GS1Form> form;
    std::vector<std::string> options;
    std::vector<std::string> rows;
    std::optional<std::string> delay;
};

int readArguments(Options& options, Gs1Arguments& a) {
    std::string option;
    int status = 0;
    while (options.nextOption(option, status)) {
        if (option != "--sample" && option != "--form" && option != "--option" &&
            option != "--row" && option != "--delay")
            return options.unknown(option);
        auto value = options.value(option);
        if (!value)
            return ExitBadInput;
        if (option == "--sample") {
            a.sample = unescapeArgument(*value);
        } else if (option == "--form") {
            a.form = parseForm(*value);
            if (!a.form)
                return refuse(formatUtf8(ids::Gs1UnknownForm, {*value}));
        } else if (option == "--option") {
            a.options.push_back(*value);
        } else if (option == "--row") {
            a.rows.push_back(*value);
        } else {
            a.delay = *value;
        }
    }
    if (status)
        return status;
    if (!a.sample)
        return refuse(formatUtf8(ids::Gs1MissingSample, {}));
    if (!a.form && (!a.options.empty() || !a.rows.empty() || a.delay || !options.port().empty()))
        return refuse(formatUtf8(ids::Gs1MissingForm, {}));
    if (!a.rows.empty() && *a.form != GS1Form::User)
        return refuse(formatUtf8(ids::Gs1RowNeedsUser, {}));
    return -1;
}

// Options, delay and row settings over the form's defaults; -1 when all were taken.
int settle(const Gs1Arguments& a, GS1Options& o, std::vector<GS1Row>& rows) {
    for (const std::string& option : a.options) {
        if (!applyOption(option, o))
            return ExitBadInput;
    }
    if (a.delay) {
        const std::string& text = *a.delay;
        const bool digits = !text.empty() && text.size() <= 4 &&
                            text.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoi(text) > kMaxGS1DelayMs)
            return refuse(formatUtf8(ids::Gs1BadDelay, {text}));
        o.delay = true;
        o.delayMs = ParseDelayText(text);
    }
    for (const std::string& row : a.rows) {
        if (!applyRow(row, rows))
            return ExitBadInput;
    }
    return -1;
}

}  // namespace

int runGS1(const Args& args) {
    Options options(args, "gs1");
    Gs1Arguments a;
    if (int code = readArguments(options, a); code >= 0)
        return code;
    GS1Parse parse = ParseGS1Sample(*a.sample);
    if (parse.rows.empty()) {
        std::string why = formatUtf8(ids::Gs1NoAi, {});
        if (const std::string stop = stopMessage(parse); !stop.empty())
            why += " " + stop;
        return refuse(why);
    }
    if (!a.form) {
        // No form chosen yet: the rows and the list of output forms with their images.
        if (const std::string stop = stopMessage(parse); !stop.empty())
            std::cerr << "omnisetup-cli: " << stop << "\n";
        printRows(parse.rows);
        printForms(parse.rows);
        return 0;
    }
    GS1Options o = ReadyFormOptions(*a.form);
    if (int code = settle(a, o, parse.rows); code >= 0)
        return code;
    if (const std::string stop = stopMessage(parse); !stop.empty())
        std::cerr << "omnisetup-cli: " << stop << "\n";

    printRows(parse.rows);
    std::cout << formatUtf8(ids::Gs1PreviewLine, {GS1Preview(o, parse.rows)}) << "\n";
    const ScriptPair scripts = BuildGS1Scripts(o, parse.rows);
    if (scripts.cut.size() > kMaxScriptLength || scripts.paste.size() > kMaxScriptLength) {
        return refuse(formatUtf8(ids::DataEditScriptTooLong, {std::to_string(kMaxScriptLength)}));
    }
    return printOrSend(GS1StoreCommand(scripts, false), options.port(), false);
}

}  // namespace omni::cli::dataedit_cli

// omnisetup-cli dataedit ...: makes data edit scripts from plain choices and prints the command
// that stores them in one of the reader's four program slots (or sends it with --port PATH);
// reads the stored programs back; composes the free line OCR setting and the GS1 easy setting.
#include <iostream>
#include <string_view>

#include "dataedit/char_tables.h"
#include "dataedit/exchange_link.h"
#include "dataedit_cli.h"
#include "exit_status.h"
#include "port_cli.h"
#include "reader/command_exchange.h"
#include "resources/string_ids.h"

namespace omni::cli::dataedit_cli {

namespace ids = res::ids;
using res::formatUtf8;

std::optional<std::string> Options::value(const std::string& name) {
    if (i_ >= args_.size()) {
        refuse(formatUtf8(ids::DataEditMissingValue, {name}));
        return std::nullopt;
    }
    return args_[i_++];
}

int Options::unknown(const std::string& option) const {
    return refuse(formatUtf8(ids::DataEditUnknownOption, {option, sub_}));
}

bool Options::nextOption(std::string& option, int& status) {
    while (!done()) {
        option = next();
        if (option != "--port")
            return true;
        auto path = value(option);
        if (!path) {
            status = ExitBadInput;
            return false;
        }
        port_ = *path;
    }
    return false;
}

int refuse(const std::string& message) {
    return fail(message, ExitBadInput);
}

std::optional<int> parseNumber(const std::string& text) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size()) {
        refuse(formatUtf8(ids::DataEditNotANumber, {text}));
        return std::nullopt;
    }
    return value;
}

std::optional<int> parseProgram(const std::string& text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '4') {
        refuse(formatUtf8(ids::DataEditBadProgram, {text}));
        return std::nullopt;
    }
    return text[0] - '0';
}

std::string textProblemMessage(dataedit::TextProblem problem, const std::string& text,
                               std::size_t limit) {
    using dataedit::TextProblem;
    switch (problem) {
        case TextProblem::LoneBackslash:
            return formatUtf8(ids::DataEditLoneBackslash, {text});
        case TextProblem::BadHexEscape:
            return formatUtf8(ids::DataEditBadHexEscape, {text});
        case TextProblem::NonAscii:
            return formatUtf8(ids::DataEditNonAscii, {text});
        case TextProblem::TooLong:
            return formatUtf8(ids::DataEditTextTooLong, {text, std::to_string(limit)});
        case TextProblem::None:
            break;
    }
    return {};
}

namespace {

// Closing the port drops output the reader has not taken yet, so the reader gets a moment to take
// the commands (and perhaps answer) before the port closes.
void letReaderTake(serial::SerialPortForPosix& port) {
    constexpr unsigned kTakeMs = 200;
    try {
        port.waitForData(kTakeMs);
    } catch (const foundation::KesException& e) {
        if (e.state() != KES_STATE_COMMUNICATION_TIMEOUT)
            throw;
    }
}

}  // namespace

int printOrSend(const std::string& command, const std::string& port, bool save) {
    if (command.size() > dataedit::kMaxCommandLength) {
        return refuse(formatUtf8(
            ids::DataEditCommandTooLong,
            {std::to_string(command.size()), std::to_string(dataedit::kMaxCommandLength)}));
    }
    if (port.empty()) {
        std::cout << command << "\n";
        return 0;
    }
    serial::SerialPortForPosix serial;
    if (int code = openReader(serial, port))
        return code;
    try {
        reader::CommandExchange exchange(serial);
        exchange.sendCommand(command);
        if (save)
            exchange.sendCommand("Z2");
        letReaderTake(serial);
        serial.close();
    } catch (const foundation::Exception& e) {
        return failLink(e, port);
    }
    std::cout << formatUtf8(ids::DataEditSent, {port}) << "\n";
    return 0;
}

int storeScripts(const dataedit::TemplateResult& result, int program, const std::string& port,
                 bool save) {
    if (result.problem != dataedit::TextProblem::None)
        return refuse(textProblemMessage(result.problem, result.refusedText, result.textLimit));
    if (dataedit::CheckStore(result.scripts, program) == dataedit::StoreProblem::ScriptTooLong) {
        return refuse(
            formatUtf8(ids::DataEditScriptTooLong, {std::to_string(dataedit::kMaxScriptLength)}));
    }
    return printOrSend(
        dataedit::ComposeStoreCommand(result.scripts.cut, result.scripts.paste, program), port,
        save);
}

std::optional<std::size_t> parseCharRow(const std::string& text) {
    int row = dataedit::CharRowOfName(text);
    if (row < 0 && !text.empty()) {
        const std::size_t byEscape = dataedit::CharRowOfEscape(text);
        if (byEscape != 0)
            row = static_cast<int>(byEscape);
    }
    if (row < 0) {
        refuse(formatUtf8(ids::DataEditUnknownCharacter, {text}));
        return std::nullopt;
    }
    return static_cast<std::size_t>(row);
}

}  // namespace omni::cli::dataedit_cli

namespace omni::cli {
namespace {

using namespace dataedit_cli;
namespace ids = res::ids;
using res::formatUtf8;

int runEscape(const Args& args) {
    Options options(args, "escape");
    std::optional<std::string> text;
    while (!options.done()) {
        const std::string& arg = options.next();
        if (arg.rfind("--", 0) == 0 || text)
            return options.unknown(arg);
        text = arg;
    }
    if (!text)
        return refuse(formatUtf8(ids::DataEditMissingText, {}));
    std::string escaped = *text;
    const dataedit::TextProblem problem = dataedit::CheckScriptText(*text);
    const int count = dataedit::EscapeScriptText(escaped);
    if (count < 0)
        return refuse(textProblemMessage(problem, *text));
    std::cout << escaped << "\n"
              << formatUtf8(ids::DataEditCountLine, {std::to_string(count)}) << "\n";
    return 0;
}

int runDirect(const Args& args) {
    Options options(args, "direct");
    std::optional<std::string> cut, paste;
    int program = dataedit::kFirstProgram;
    std::string arg;
    int status = 0;
    while (options.nextOption(arg, status)) {
        if (arg == "--cut" || arg == "--paste") {
            auto value = options.value(arg);
            if (!value)
                return ExitBadInput;
            (arg == "--cut" ? cut : paste) = *value;
        } else if (arg == "--program") {
            auto value = options.value(arg);
            auto number = value ? parseProgram(*value) : std::nullopt;
            if (!number)
                return ExitBadInput;
            program = *number;
        } else {
            return options.unknown(arg);
        }
    }
    if (status)
        return status;
    if (!cut || !paste)
        return refuse(formatUtf8(ids::DataEditDirectMissing, {}));
    return storeScripts(dataedit::BuildDirectInput(*cut, *paste), program, options.port());
}

int runRead(const Args& args) {
    Options options(args, "read");
    std::string arg;
    int status = 0;
    if (options.nextOption(arg, status))
        return options.unknown(arg);
    if (status)
        return status;
    const std::string& device = options.port();
    if (device.empty())
        return fail(res::loadStringUtf8(ids::MissingPort), ExitBadInput);
    serial::SerialPortForPosix port;
    if (int code = openReader(port, device))
        return code;
    dataedit::StoredPrograms stored;
    try {
        reader::CommandExchange exchange(port);
        stored = dataedit::ReadStoredPrograms(exchange, port);
        port.close();
    } catch (const foundation::Exception& e) {
        return failLink(e, device);
    }
    const std::string cut = formatUtf8(ids::DataEditCutScript, {});
    const std::string paste = formatUtf8(ids::DataEditPasteScript, {});
    for (std::size_t i = 0; i < stored.programs.size(); ++i) {
        std::cout << formatUtf8(ids::DataEditProgramN, {std::to_string(i + 1)}) << "\n"
                  << "  " << cut << ": " << stored.programs[i].cut << "\n"
                  << "  " << paste << ": " << stored.programs[i].paste << "\n";
    }
    if (!stored.complete)
        return fail(formatUtf8(ids::DataEditReadIncomplete, {device}), ExitNoAnswer);
    return 0;
}

}  // namespace

int runDataEdit(const Args& args) {
    struct SubCommand {
        std::string_view name;
        Runner run;
    };
    static constexpr SubCommand kSubCommands[] = {
        {"escape", &runEscape},
        {"direct", &runDirect},
        {"read", &runRead},
        {"ocr", &runOcr},
        {"gs1", &runGS1},
        {"gs1-convert", &runConvert},
        {"gs1-pickup", &runPickup},
        {"book-code", &runBookCode},
        {"multi-label", &runMultiLabel},
    };
    std::string names;
    for (const SubCommand& command : kSubCommands)
        names += (names.empty() ? "" : ", ") + std::string(command.name);
    if (args.empty())
        return refuse(formatUtf8(ids::DataEditNoCommand, {names}));
    const std::string& sub = args[0];
    for (const SubCommand& command : kSubCommands) {
        if (command.name == sub)
            return command.run(Args(args.begin() + 1, args.end()));
    }
    return refuse(formatUtf8(ids::DataEditUnknownCommand, {sub, names}));
}

}  // namespace omni::cli

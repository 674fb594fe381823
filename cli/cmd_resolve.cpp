// omnisetup-cli resolve [--1d] PATH [--value N | --initialize | --inhibit]: the page items that
// picking the entry at PATH hands over, one per line as command bytes TAB label.
#include <charconv>
#include <iostream>
#include <optional>

#include "cli_dialogs.h"
#include "command.h"
#include "commands/resolve.h"
#include "commands/selector_model.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace {

constexpr const char* kUsage =
    "usage: omnisetup-cli resolve [--1d] PATH [--value N | --initialize | --inhibit]";

// Every refusal here is about the arguments given.
int failWith(const std::u16string& message) {
    return omni::cli::fail(omni::res::toUtf8(message), 2);
}

}  // namespace

int omni::cli::runResolve(const Args& args) {
    using omni::commands::NumberChoice;
    bool mode2D = true;
    std::optional<std::string> path;
    std::optional<NumberChoice> number;
    int numberOptions = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--1d") {
            mode2D = false;
        } else if (arg == "--initialize" || arg == "--inhibit") {
            ++numberOptions;
            number = NumberChoice{arg == "--initialize" ? NumberChoice::Kind::Initialize
                                                        : NumberChoice::Kind::Inhibit};
        } else if (arg == "--value") {
            if (++i >= args.size())
                return omni::cli::fail(kUsage, 2);
            const std::string& text = args[i];
            int value = 0;
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc{} || end != text.data() + text.size())
                return failWith(omni::res::format(omni::res::ids::NotAWholeNumber,
                                                  {omni::res::fromUtf8(text)}));
            ++numberOptions;
            number = NumberChoice{NumberChoice::Kind::Value, value};
        } else if (!path && !(arg.size() > 1 && arg.starts_with("--"))) {
            path = arg;
        } else {
            return omni::cli::fail(kUsage, 2);
        }
    }
    if (!path)
        return omni::cli::fail(kUsage, 2);
    if (numberOptions > 1)
        return failWith(omni::res::format(omni::res::ids::OneValueOption, {}));

    const omni::commands::EntryPath found = omni::commands::findEntryByPath(*path, mode2D);
    const omni::commands::CatalogEntry& entry = *found.entry;
    const std::u16string caption(omni::commands::catalogCaption(entry.labelId));
    const bool takesNumber = entry.kind == omni::commands::EntryKind::DecimalArgument ||
                             entry.kind == omni::commands::EntryKind::ByteArgument;
    if (number && !takesNumber)
        return failWith(omni::res::format(omni::res::ids::TakesNoNumber, {caption}));

    omni::cli::CliDialogs dialogs(number, caption);
    const omni::commands::ResolveResult result =
        omni::commands::resolveEntry(entry, mode2D, dialogs);
    if (result.kind == omni::commands::ResolveResult::Kind::Waveform)
        return failWith(omni::res::format(omni::res::ids::NeedsWaveformViewer, {caption}));
    if (result.kind == omni::commands::ResolveResult::Kind::Nothing && !dialogs.message().empty())
        return failWith(dialogs.message());
    for (const omni::commands::PageItem& item :
         omni::commands::pageItemsFromString(result.text, found.label, mode2D))
        std::cout << item.bytes << "\t" << omni::res::toUtf8(item.label) << "\n";
    return 0;
}

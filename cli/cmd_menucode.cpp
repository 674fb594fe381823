// omnisetup-cli menucode [--1d] [--entry PATH [--value N]]... [--command TEXT]...
//                        [--module-size N] [--show-command] -o FILE
// Builds a menu-code page from catalog entries and typed commands, in the order given, and writes
// it as FILE's extension says: .png, .svg, .pdf (the printed page) or .emf (the metafile).
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "resources/string_ids.h"
#include "cli_dialogs.h"
#include "command.h"
#include "commands/resolve.h"
#include "commands/selector_model.h"
#include "foundation/exception.h"
#include "menucode/emf_writer.h"
#include "menucode/menu_page.h"
#include "menucode/page_render.h"
#include "resources/strings.h"

namespace {

constexpr const char* kUsage =
    "usage: omnisetup-cli menucode [--1d] [--entry PATH [--value N]]... [--command TEXT]... "
    "[--module-size N] [--show-command] -o FILE";

// Width of the sheet window the 1D layouts assume, and the PNG pixels per layout unit.
constexpr double kSheetClientWidth = 640;

struct Source {
    bool isEntry;
    std::string text;
    std::optional<int> value;
};

// Qt's own notices (a runtime directory it had to make up, a session bus it could not reach, a
// font it substituted) say nothing about the page and are not the tool's to print: a script
// reads only the tool's own messages on standard error. Critical and fatal reports still go out.
QtMessageHandler previousHandler = nullptr;

void quietRuntimeDirNotice(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

int failWith(std::u16string_view message) {
    return omni::cli::fail(omni::res::toUtf8(message));
}

std::optional<int> parseInt(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string extensionOf(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// Resolves one catalog entry as the selector does; returns a message on failure.
std::optional<std::u16string> addEntry(omni::MenuQRCodeImageWithHistory& page, const Source& source,
                                       bool mode2D) {
    const omni::EntryPath found = omni::findEntryByPath(source.text, mode2D);
    const omni::CatalogEntry& entry = *found.entry;
    const std::u16string caption(omni::catalogCaption(entry.labelId));
    std::optional<omni::NumberChoice> number;
    if (source.value)
        number = omni::NumberChoice{omni::NumberChoice::Kind::Value, *source.value};
    omni::cli::CliDialogs dialogs(number, caption);
    const omni::ResolveResult result = omni::resolveEntry(entry, mode2D, dialogs);
    if (result.kind == omni::ResolveResult::Kind::Waveform)
        return omni::cli::CliDialogs::format(21014, {caption});
    if (result.kind == omni::ResolveResult::Kind::Nothing) {
        if (!dialogs.message().empty())
            return dialogs.message();
        return std::nullopt;
    }
    for (const omni::PageItem& item : omni::pageItemsFromString(result.text, found.label, mode2D)) {
        const auto status = page.addEntry(item);
        if (status != omni::HistoryStatus::Ok)
            return omni::historyMessage(status);
    }
    return std::nullopt;
}

std::optional<std::u16string> addCommand(omni::MenuQRCodeImageWithHistory& page,
                                         const std::string& text, bool mode2D) {
    if (mode2D) {
        const auto status = page.addTypedCommand(text);
        if (status != omni::HistoryStatus::Ok)
            return omni::historyMessage(status);
        return std::nullopt;
    }
    const auto items = omni::pageItemsFromString(
        text, omni::res::loadString(omni::MenuQRCodeImageWithHistory::kTypedCommandLabel), false);
    if (items.empty())
        return omni::historyMessage(omni::HistoryStatus::NoTokens);
    for (const omni::PageItem& item : items) {
        const auto status = page.addEntry(item);
        if (status != omni::HistoryStatus::Ok)
            return omni::historyMessage(status);
    }
    return std::nullopt;
}

void writePage(const omni::MenuQRCodeImageWithHistory& page, bool mode2D, int moduleSize,
               bool showCommand, const std::string& path, const std::string& ext) {
    using namespace omni;
    const page::QtTextMeasure measure;
    const PrintSetup print;
    if (ext == ".pdf") {
        QrViewOptions options;
        options.moduleSize = moduleSize;
        options.showCommandString = showCommand;
        const auto pages = mode2D ? printQrPages(page, options, true, print, measure)
                                  : printCode39Pages(page, 36, print, measure);
        // The layout is in printer pixels: ppm × 25.4 per inch.
        page::writePdf(pages, path, print.device.ppmX() * 25.4);
        return;
    }
    if (ext == ".emf") {
        const DeviceGeometry reference = DeviceGeometry::a4Printer600();
        page::Drawing drawing;
        if (mode2D) {
            QrViewOptions options;
            options.moduleSize = moduleSize;
            options.showCommandString = showCommand;
            drawing = drawQrMetafile(page, options, reference, measure);
        } else {
            SheetExtent extent;
            drawCode39Screen(page, {}, kSheetClientWidth, measure, &extent);
            drawing = drawCode39Metafile(page, {}, extent, measure);
        }
        page::writeEmf(drawing, reference, measure, path);
        return;
    }
    page::Drawing drawing;
    double scale = 1;
    if (mode2D) {
        QrViewOptions options;
        options.moduleSize = std::max(moduleSize, 4);  // a PNG gets at least 4 pixels per module
        options.showCommandString = showCommand;
        drawing = drawQrScreen(page, options, 0, measure);
    } else {
        drawing = drawCode39Screen(page, {}, kSheetClientWidth, measure);
        scale = std::max(moduleSize, 4);
    }
    if (ext == ".png") {
        page::writePng(drawing, path, scale);
    } else {
        page::writeSvg(drawing, path, scale);
    }
}

int runMenucode(const omni::cli::Args& args) {
    bool mode2D = true, showCommand = false;
    int moduleSize = 0;
    std::string output;
    std::vector<Source> sources;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasNext = i + 1 < args.size();
        if (arg == "--1d") {
            mode2D = false;
        } else if (arg == "--show-command") {
            showCommand = true;
        } else if ((arg == "--entry" || arg == "--command") && hasNext) {
            sources.push_back({arg == "--entry", args[++i], std::nullopt});
            if (arg == "--command")
                sources.back().text = omni::cli::unescapeArgument(args[i]);
        } else if (arg == "--value" && hasNext && !sources.empty() && sources.back().isEntry) {
            const auto value = parseInt(args[++i]);
            if (!value)
                return failWith(
                    omni::cli::CliDialogs::format(21017, {omni::res::fromUtf8(args[i])}));
            sources.back().value = value;
        } else if (arg == "--module-size" && hasNext) {
            const auto value = parseInt(args[++i]);
            if (!value || *value < 1 || *value > 64)
                return omni::cli::fail(
                    omni::res::formatUtf8(omni::res::ids::ModuleSizeInvalid, {"1", "64", args[i]}),
                    2);
            moduleSize = *value;
        } else if ((arg == "-o" || arg == "--output") && hasNext) {
            output = args[++i];
        } else {
            return omni::cli::fail(kUsage, 2);
        }
    }
    if (output.empty()) {
        omni::cli::fail(omni::res::loadStringUtf8(omni::res::ids::MenuCodeNeedsOutput));
        return omni::cli::fail(kUsage, 2);
    }
    const std::string ext = extensionOf(output);
    if (ext != ".png" && ext != ".svg" && ext != ".pdf" && ext != ".emf")
        return failWith(omni::res::loadString(22007));
    if (moduleSize == 0)
        moduleSize = ext == ".emf" || ext == ".pdf" ? 3 : 4;

    // Fonts and painting need a GUI application, but never a display: the offscreen platform
    // draws the same page whether or not a (reachable) display is set.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    previousHandler = qInstallMessageHandler(quietRuntimeDirNotice);
    static int argc = 1;
    static char name[] = "omnisetup-cli";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    omni::MenuQRCodeImageWithHistory page;
    for (const Source& source : sources) {
        const auto error =
            source.isEntry ? addEntry(page, source, mode2D) : addCommand(page, source.text, mode2D);
        if (error)
            return failWith(*error);
    }
    writePage(page, mode2D, moduleSize, showCommand, output, ext);
    return 0;
}

const omni::cli::Registration reg{
    "menucode",
    "menucode [--1d] [--entry PATH [--value N]]... [--command TEXT]... [--module-size N] "
    "[--show-command] -o FILE",
    "draw a menu-code page (QR, or Code 39 with --1d) as .png, .svg, .pdf or .emf", &runMenucode};

}  // namespace

// omnisetup-cli menucode [--1d] [--entry PATH [--value N]]... [--command TEXT]...
//                        [--module-size N] [--show-command] [--print] -o FILE
// Builds a menu-code page from catalog entries and typed commands, in the order given, and writes
// its picture as FILE's extension says: .png, .svg, .pdf or .emf, each of the same physical size
// (module size N: modules of N/8 mm). With --print the PDF holds the pages as printed on A4.
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <optional>

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
    "[--module-size N] [--show-command] [--print] -o FILE";

// Width of the sheet window the 1D layouts assume.
constexpr double kSheetClientWidth = 640;

struct Source {
    bool isEntry;
    std::string text;
    std::optional<int> value;
};

// Qt reports on standard error when the environment names no usable runtime directory (a plain
// terminal, a CI job, a container) and it falls back to one of its own. That is expected for a
// headless tool and says nothing about the page, so only those notices are dropped.
QtMessageHandler previousHandler = nullptr;

void quietRuntimeDirNotice(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: ")) &&
        (message.contains(QLatin1String("XDG_RUNTIME_DIR")) ||
         message.contains(QLatin1String("runtime directory"))))
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

// The page as every format shows it: the QR symbol at the module size of the metafile rule on a
// 600 dpi reference, or the Code 39 sheet at the proportions of the screen.
struct Picture {
    omni::page::Drawing drawing;
    omni::DeviceGeometry device;
};

Picture pictureOf(const omni::MenuQRCodeImageWithHistory& page, bool mode2D, int moduleSize,
                  bool showCommand, const omni::page::TextMeasure& measure) {
    using namespace omni;
    if (mode2D) {
        QrViewOptions options;
        options.moduleSize = moduleSize;
        options.showCommandString = showCommand;
        const DeviceGeometry reference = DeviceGeometry::a4Printer600();
        return {drawQrMetafile(page, options, reference, measure), reference};
    }
    SheetExtent extent;
    drawCode39Screen(page, {}, kSheetClientWidth, measure, &extent);
    return {drawCode39Metafile(page, {}, extent, measure), DeviceGeometry::code39Sheet()};
}

void writePage(const omni::MenuQRCodeImageWithHistory& page, bool mode2D, int moduleSize,
               bool showCommand, bool printed, const std::string& path, const std::string& ext) {
    using namespace omni;
    const page::QtTextMeasure measure;
    if (printed) {
        // The pages as printed on A4 paper.
        const PrintSetup print;
        QrViewOptions options;
        options.moduleSize = moduleSize;
        options.showCommandString = showCommand;
        const auto pages = mode2D ? printQrPages(page, options, true, print, measure)
                                  : printCode39Pages(page, 36, print, measure);
        page::writePdf(pages, path, print.device.dotsPerInch());
        return;
    }
    const Picture picture = pictureOf(page, mode2D, moduleSize, showCommand, measure);
    const double dpi = picture.device.dotsPerInch();
    if (ext == ".emf") {
        page::writeEmf(picture.drawing, picture.device, measure, path);
    } else if (ext == ".pdf") {
        page::writePdf({picture.drawing}, path, dpi);
    } else if (ext == ".png") {
        page::writePng(picture.drawing, path, dpi);
    } else {
        page::writeSvg(picture.drawing, path, dpi);
    }
}

int runMenucode(const omni::cli::Args& args) {
    bool mode2D = true, showCommand = false, printed = false;
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
        } else if (arg == "--print") {
            printed = true;
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
                return omni::cli::fail(kUsage, 2);
            moduleSize = *value;
        } else if ((arg == "-o" || arg == "--output") && hasNext) {
            output = args[++i];
        } else {
            return omni::cli::fail(kUsage, 2);
        }
    }
    if (output.empty())
        return omni::cli::fail(kUsage, 2);
    const std::string ext = extensionOf(output);
    if (ext != ".png" && ext != ".svg" && ext != ".pdf" && ext != ".emf")
        return failWith(omni::res::loadString(22007));
    if (printed && ext != ".pdf")
        return omni::cli::fail(kUsage, 2);
    if (moduleSize == 0)
        moduleSize = 3;

    // Fonts and painting need a GUI application; without a display use the offscreen platform.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
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
    writePage(page, mode2D, moduleSize, showCommand, printed, output, ext);
    return 0;
}

const omni::cli::Registration reg{
    "menucode",
    "menucode [--1d] [--entry PATH [--value N]]... [--command TEXT]... [--module-size N] "
    "[--show-command] [--print] -o FILE",
    "draw a menu-code page (QR, or Code 39 with --1d) as .png, .svg, .pdf or .emf", &runMenucode};

}  // namespace

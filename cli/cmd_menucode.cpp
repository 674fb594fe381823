// omnisetup-cli menucode [--1d] [--page FILE]... [--entry PATH [--value N]]... [--command TEXT]...
//                        [--module-size N] [--show-command] [--print] [-o FILE] [--save-page FILE]
// Builds a menu-code page from page files, catalog entries and typed commands, in the order given,
// and writes its picture as FILE's extension says: .png, .svg, .pdf or .emf, each of the same
// physical size (module size N: modules of N/8 mm), and/or the page as a page file. With --print
// the PDF holds the pages as printed on A4.
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <cmath>
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
#include "menucode/page_file.h"
#include "menucode/page_render.h"
#include "menucode/print_check.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace {

constexpr const char* kUsage =
    "usage: omnisetup-cli menucode [--1d] [--page FILE]... [--entry PATH [--value N]]... "
    "[--command TEXT]... [--module-size N] [--show-command] [--print] [-o FILE] "
    "[--save-page FILE]";

// Width of the sheet window the 1D layouts assume.
constexpr double kSheetClientWidth = 640;

struct Source {
    bool isEntry;
    std::string text;
    std::optional<int> value;
    std::optional<omni::menucode::PageFile> page;  // set for --page
};

// Qt's own notices (a missing runtime directory on a plain terminal, a font fallback, an image
// it could not allocate) are library noise for a headless tool: every failure that matters is
// reported in our own words, so only fatal messages go through.
QtMessageHandler previousHandler = nullptr;

void quietQtNotices(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

// Pixels of a picture drawn `scale` times its page size.
long long pixelsOf(const omni::menucode::Drawing& drawing, double scale) {
    return static_cast<long long>(std::ceil(drawing.width * scale)) *
           static_cast<long long>(std::ceil(drawing.height * scale));
}

// Refuses a PNG beyond the picture limit, naming the largest module size that fits.
void checkPngSize(const omni::menucode::Drawing& drawing, double scale, int suggestedModuleSize) {
    if (pixelsOf(drawing, scale) <= omni::menucode::kMaxPicturePixels)
        return;
    auto text = [](long long n) { return omni::res::fromUtf8(std::to_string(n)); };
    throw omni::foundation::UserException(
        omni::foundation::UserException::Refused,
        omni::res::format(omni::res::ids::PictureTooLargeModule,
                          {text(static_cast<long long>(std::ceil(drawing.width * scale))),
                           text(static_cast<long long>(std::ceil(drawing.height * scale))),
                           text(omni::menucode::kMaxPicturePixels / 1000000),
                           text(std::max(suggestedModuleSize, 1))}));
}

// Every refusal here is about the arguments or the commands given.
int failWith(std::u16string_view message) {
    return omni::cli::fail(omni::res::toUtf8(message), 2);
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
std::optional<std::u16string> addEntry(omni::menucode::MenuCodeHistory& page, const Source& source,
                                       bool mode2D) {
    const omni::commands::EntryPath found = omni::commands::findEntryByPath(source.text, mode2D);
    const omni::commands::CatalogEntry& entry = *found.entry;
    const std::u16string caption(omni::commands::catalogCaption(entry.labelId));
    std::optional<omni::commands::NumberChoice> number;
    if (source.value)
        number =
            omni::commands::NumberChoice{omni::commands::NumberChoice::Kind::Value, *source.value};
    omni::cli::CliDialogs dialogs(number, caption);
    const omni::commands::ResolveResult result =
        omni::commands::resolveEntry(entry, mode2D, dialogs);
    if (result.kind == omni::commands::ResolveResult::Kind::Waveform)
        return omni::res::format(omni::res::ids::NeedsWaveformViewer, {caption});
    if (result.kind == omni::commands::ResolveResult::Kind::Nothing) {
        if (!dialogs.message().empty())
            return dialogs.message();
        return std::nullopt;
    }
    for (const omni::commands::PageItem& item :
         omni::commands::pageItemsFromString(result.text, found.label, mode2D)) {
        const auto status = page.addEntry(item);
        if (status != omni::menucode::HistoryStatus::Ok)
            return omni::menucode::historyMessage(status);
    }
    return std::nullopt;
}

std::optional<std::u16string> addCommand(omni::menucode::MenuCodeHistory& page,
                                         const std::string& text, bool mode2D) {
    if (mode2D) {
        const auto status = page.addTypedCommand(text);
        if (status != omni::menucode::HistoryStatus::Ok)
            return omni::menucode::historyMessage(status);
        return std::nullopt;
    }
    const auto items = omni::commands::pageItemsFromString(
        text, omni::res::loadString(omni::res::ids::TypedCommandLabel), false);
    if (items.empty())
        return omni::menucode::historyMessage(omni::menucode::HistoryStatus::NoTokens);
    for (const omni::commands::PageItem& item : items) {
        const auto status = page.addEntry(item);
        if (status != omni::menucode::HistoryStatus::Ok)
            return omni::menucode::historyMessage(status);
    }
    return std::nullopt;
}

// The page as every format shows it: the QR symbol at the module size of the metafile rule on a
// 600 dpi reference, or the Code 39 sheet at the proportions of the screen.
struct Picture {
    omni::menucode::Drawing drawing;
    omni::menucode::DeviceGeometry device;
};

Picture pictureOf(const omni::menucode::MenuCodeHistory& page, bool mode2D, int moduleSize,
                  bool showCommand, const omni::menucode::TextMeasure& measure) {
    using namespace omni;
    if (mode2D) {
        menucode::QrViewOptions options;
        options.moduleSize = moduleSize;
        options.showCommandString = showCommand;
        const menucode::DeviceGeometry reference = menucode::DeviceGeometry::a4Printer600();
        return {menucode::drawQrMetafile(page, options, reference, measure), reference};
    }
    menucode::SheetExtent extent;
    menucode::drawCode39Screen(page, {}, kSheetClientWidth, measure, &extent);
    return {menucode::drawCode39Metafile(page, {}, extent, measure),
            menucode::DeviceGeometry::code39Sheet()};
}

void writePage(const omni::menucode::MenuCodeHistory& page, bool mode2D, int moduleSize,
               bool showCommand, bool printed, const std::string& path, const std::string& ext) {
    using namespace omni;
    const menucode::QtTextMeasure measure;
    if (printed) {
        // The pages as printed on A4 paper.
        const menucode::PrintSetup print;
        menucode::QrViewOptions options;
        options.moduleSize = moduleSize;
        options.showCommandString = showCommand;
        const auto pages = mode2D ? menucode::printQrPages(page, options, true, print, measure)
                                  : menucode::printCode39Pages(page, 36, print, measure);
        menucode::writePdf(pages, path, print.device.dotsPerInch());
        return;
    }
    const Picture picture = pictureOf(page, mode2D, moduleSize, showCommand, measure);
    const double dpi = picture.device.dotsPerInch();
    if (ext == ".emf") {
        menucode::writeEmf(picture.drawing, picture.device, measure, path);
    } else if (ext == ".pdf") {
        menucode::writePdf({picture.drawing}, path, dpi);
    } else if (ext == ".png") {
        const double scale = menucode::rasterPixelsPerUnit(dpi);
        if (pixelsOf(picture.drawing, scale) > menucode::kMaxPicturePixels) {
            // The largest module size whose picture fits (a QR page's modules scale with it).
            int fits = moduleSize;
            while (mode2D && fits > 1 &&
                   pixelsOf(pictureOf(page, mode2D, --fits, showCommand, measure).drawing, scale) >
                       menucode::kMaxPicturePixels) {
            }
            if (!mode2D) {
                // A sheet's bars keep their print proportions: only fewer codes make it smaller.
                auto text = [](long long n) { return omni::res::fromUtf8(std::to_string(n)); };
                throw omni::foundation::UserException(
                    omni::foundation::UserException::Refused,
                    omni::res::format(
                        omni::res::ids::PictureTooLargeSheet,
                        {text(static_cast<long long>(std::ceil(picture.drawing.width * scale))),
                         text(static_cast<long long>(std::ceil(picture.drawing.height * scale))),
                         text(menucode::kMaxPicturePixels / 1000000)}));
            }
            checkPngSize(picture.drawing, scale, fits);
        }
        menucode::writePng(picture.drawing, path, dpi);
    } else {
        menucode::writeSvg(picture.drawing, path, dpi);
    }
}

// ---- Print-readability check of the written file ----

// Warns on standard error when the codes of the file just written may not scan: for a PDF at the
// printer the page is laid out for, for a metafile at its reference device, for PNG and SVG at
// the files' 96 pixels per inch. A QR page gets the module size that would fix it.
void warnIfUnreadable(const omni::menucode::MenuCodeHistory& page, bool mode2D, int moduleSize,
                      bool showCommand, const std::string& ext) {
    using namespace omni;
    const menucode::QtTextMeasure measure;
    const menucode::PrintSetup print;
    const menucode::DeviceGeometry reference = menucode::DeviceGeometry::a4Printer600();
    constexpr double kFileDotsPerMm = 3780 / 1000.0;
    auto geometryAt = [&](int m) {
        menucode::QrViewOptions options;
        options.moduleSize = m;
        options.showCommandString = showCommand;
        if (ext == ".pdf") {
            return mode2D ? menucode::printGeometry(
                                menucode::printQrPages(page, options, false, print, measure), true,
                                print)
                          : menucode::printGeometry(
                                menucode::printCode39Pages(page, 36, print, measure), false, print);
        }
        if (ext == ".emf") {
            const double dotsPerMm = static_cast<double>(reference.horzRes) / reference.horzSizeMm;
            if (mode2D)
                return menucode::geometryOf(
                    {menucode::drawQrMetafile(page, options, reference, measure)}, true, 1,
                    dotsPerMm);
            menucode::SheetExtent extent;
            menucode::drawCode39Screen(page, {}, kSheetClientWidth, measure, &extent);
            return menucode::geometryOf({menucode::drawCode39Metafile(page, {}, extent, measure)},
                                        false, 1, dotsPerMm);
        }
        if (mode2D) {
            options.moduleSize = std::max(m, 4);
            return menucode::geometryOf({menucode::drawQrScreen(page, options, 0, measure)}, true,
                                        1, kFileDotsPerMm);
        }
        return menucode::geometryOf(
            {menucode::drawCode39Screen(page, {}, kSheetClientWidth, measure)}, false,
            std::max(m, 4), kFileDotsPerMm);
    };
    auto check = menucode::checkPrint(geometryAt(moduleSize));
    if (check.ok())
        return;
    if (mode2D)
        menucode::suggestModuleSize(check, moduleSize, 64, geometryAt);
    std::cerr << "omnisetup-cli: " << res::toUtf8(menucode::describe(check, mode2D)) << "\n";
}

// ---- Page files (--page, --save-page) ----

// Reads a page file; each damaged line is reported on standard error and the rest kept.
omni::menucode::PageFile loadPageFile(const std::string& path) {
    auto contents = omni::menucode::readPageFile(path);
    for (const auto& problem : contents.problems)
        std::cerr << "omnisetup-cli: " << path << ": "
                  << omni::res::toUtf8(omni::menucode::describe(problem)) << "\n";
    return std::move(contents.page);
}

// The mode a page file asks for must be the page's: --1d when given, else the first file's.
std::optional<std::u16string> checkPageModes(const std::vector<Source>& sources, bool forced1D,
                                             bool& mode2D) {
    namespace ids = omni::res::ids;
    bool decided = forced1D;
    for (const Source& source : sources) {
        if (!source.page)
            continue;
        if (!decided)
            mode2D = source.page->mode2D, decided = true;
        if (source.page->mode2D != mode2D)
            return omni::res::format(ids::PageFileModeMismatch,
                                     {source.page->mode2D ? u"2D" : u"1D", mode2D ? u"2D" : u"1D"});
    }
    return std::nullopt;
}

std::optional<std::u16string> addPageItems(omni::menucode::MenuCodeHistory& page,
                                           const omni::menucode::PageFile& file) {
    for (const omni::commands::PageItem& item : file.items) {
        const auto status = page.addEntry(item);
        if (status != omni::menucode::HistoryStatus::Ok)
            return omni::menucode::historyMessage(status);
    }
    return std::nullopt;
}

}  // namespace

int omni::cli::runMenucode(const Args& args) {
    bool mode2D = true, showCommand = false, printed = false;
    int moduleSize = 0;
    std::string output, savePage;
    std::vector<Source> sources;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasNext = i + 1 < args.size();
        if (arg == "--1d") {
            mode2D = false;
        } else if (arg == "--show-command") {
            showCommand = true;
        } else if (arg == "--page" && hasNext) {
            sources.push_back({false, args[++i], std::nullopt, loadPageFile(args[i])});
        } else if (arg == "--save-page" && hasNext) {
            savePage = args[++i];
        } else if (arg == "--print") {
            printed = true;
        } else if ((arg == "--entry" || arg == "--command") && hasNext) {
            sources.push_back({arg == "--entry", args[++i], std::nullopt, std::nullopt});
            if (arg == "--command")
                sources.back().text = omni::cli::unescapeArgument(args[i]);
        } else if (arg == "--value" && hasNext && !sources.empty() && sources.back().isEntry) {
            const auto value = parseInt(args[++i]);
            if (!value)
                return failWith(omni::res::format(omni::res::ids::NotAWholeNumber,
                                                  {omni::res::fromUtf8(args[i])}));
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
    if (output.empty() && savePage.empty()) {
        omni::cli::fail(omni::res::loadStringUtf8(omni::res::ids::MenuCodeNeedsOutput));
        return omni::cli::fail(kUsage, 2);
    }
    if (const auto error = checkPageModes(sources, !mode2D, mode2D))
        return omni::cli::fail(omni::res::toUtf8(*error), 2);
    const std::string ext = extensionOf(output);
    if (!output.empty() && ext != ".png" && ext != ".svg" && ext != ".pdf" && ext != ".emf")
        return failWith(omni::res::loadString(omni::res::ids::UnknownFileType));
    if (printed && ext != ".pdf")
        return omni::cli::fail(kUsage, 2);
    if (moduleSize == 0)
        moduleSize = 3;

    // Fonts and painting need a GUI application, but never a display: the offscreen platform
    // draws the same page whether or not a (reachable) display is set.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    previousHandler = qInstallMessageHandler(quietQtNotices);
    static int argc = 1;
    static char name[] = "omnisetup-cli";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    omni::menucode::MenuCodeHistory page;
    for (const Source& source : sources) {
        const auto error = source.page      ? addPageItems(page, *source.page)
                           : source.isEntry ? addEntry(page, source, mode2D)
                                            : addCommand(page, source.text, mode2D);
        if (error)
            return failWith(*error);
    }
    if (!savePage.empty())
        omni::menucode::writePageFile({mode2D, page.entries()}, savePage);
    if (!output.empty()) {
        writePage(page, mode2D, moduleSize, showCommand, printed, output, ext);
        warnIfUnreadable(page, mode2D, moduleSize, showCommand, ext);
    }
    return 0;
}

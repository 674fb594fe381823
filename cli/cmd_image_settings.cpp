// omnisetup-cli image-settings --port PATH [--set NAME=VALUE ...]: prints the imaging engine's
// output settings, one "name: value" a line; with --set, changes the named fields through the
// library's setters and writes them. A refused value writes nothing.
#include <iostream>

#include "capture_cli.h"

namespace omni::cli {
namespace {

using Setter = void (*)(KesHandle, std::int32_t);

// A field --set can change: its name, its setter, and the values it accepts in words.
struct Field {
    const char* name;
    Setter set;
    enum class Kind { Number, Format, Transfer } kind = Kind::Number;
};

constexpr Field kFields[] = {
    {"trim-left", KesSetTrimLeft},
    {"trim-top", KesSetTrimTop},
    {"trim-right", KesSetTrimRight},
    {"trim-bottom", KesSetTrimBottom},
    {"subsampling-x", KesSetSubSamplingX},
    {"subsampling-y", KesSetSubSamplingY},
    {"bits", KesSetBitsPerPixel},
    {"jpeg-quality", KesSetJpegQuality},
    {"format", KesSetImageFormat, Field::Kind::Format},
    {"transfer", KesSetWholeTransfer, Field::Kind::Transfer},
    {"flip1", KesSetFlip1},
    {"flip2", KesSetFlip2},
    {"reverse", KesSetReverse},
};
static_assert(std::size(kFields) == 13);

std::string acceptedValues(const Field& field, KesHandle settings) {
    const std::string name = field.name;
    if (name == "trim-left" || name == "trim-right")
        return "0-" + std::to_string(KesGetMaximumWidth(settings) - 1);
    if (name == "trim-top" || name == "trim-bottom")
        return "0-" + std::to_string(KesGetMaximumHeight(settings) - 1);
    if (name.rfind("subsampling", 0) == 0)
        return "1, 2, 4";
    if (name == "bits")
        return "1, 4, 8, 10";
    if (name == "jpeg-quality")
        return "5-100";
    if (name == "reverse")
        return "0, 1, 2";
    if (field.kind == Field::Kind::Format)
        return "bmp, jpeg";
    if (field.kind == Field::Kind::Transfer)
        return "block, whole";
    return "0-255";
}

// The number a value names for its field; false when it names none.
bool valueOf(const Field& field, const std::string& text, std::int32_t& value) {
    if (field.kind == Field::Kind::Format && (text == "bmp" || text == "jpeg")) {
        value = text == "bmp" ? KES_IMAGE_FORMAT_BMP : KES_IMAGE_FORMAT_JPEG;
        return true;
    }
    if (field.kind == Field::Kind::Transfer && (text == "block" || text == "whole")) {
        value = text == "whole" ? 1 : 0;
        return true;
    }
    if (field.kind != Field::Kind::Number || text.empty() || text.size() > 6)
        return false;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    value = static_cast<std::int32_t>(number);
    return *end == 0;
}

void printSettings(KesHandle s) {
    const std::int32_t format = KesGetImageFormat(s);
    std::cout << "trim: " << KesGetTrimLeft(s) << "," << KesGetTrimTop(s) << ","
              << KesGetTrimRight(s) << "," << KesGetTrimBottom(s) << "\n"
              << "subsampling: " << KesGetSubSamplingX(s) << "," << KesGetSubSamplingY(s) << "\n"
              << "bits: " << KesGetBitsPerPixel(s) << "\n"
              << "jpeg-quality: " << KesGetJpegQuality(s) << "\n"
              << "format: "
              << (format == KES_IMAGE_FORMAT_BMP    ? "bmp"
                  : format == KES_IMAGE_FORMAT_JPEG ? "jpeg"
                                                    : "other")
              << "\n"
              << "transfer: " << (KesGetWholeTransfer(s) ? "whole" : "block") << "\n"
              << "flip: " << KesGetFlip1(s) << "," << KesGetFlip2(s) << "\n"
              << "reverse: " << KesGetReverse(s) << "\n";
}

// Applies one "name=value"; 0, or the exit status after saying why it was refused.
int applyAssignment(const std::string& assignment, KesHandle settings) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos)
        return fail(res::formatUtf8(res::ids::SettingsBadAssignment, {assignment}), ExitBadInput);
    const std::string name = assignment.substr(0, equals);
    const std::string text = assignment.substr(equals + 1);
    const Field* field = nullptr;
    std::string names;
    for (const Field& f : kFields) {
        names += names.empty() ? f.name : std::string(", ") + f.name;
        if (name == f.name)
            field = &f;
    }
    if (!field)
        return fail(res::formatUtf8(res::ids::SettingsUnknownField, {name, names}), ExitBadInput);
    std::int32_t value = 0;
    KesSetLastStatus(KES_STATE_SUCCESS);
    if (valueOf(*field, text, value))
        field->set(settings, value);
    if (!valueOf(*field, text, value) || KesGetLastStatus() != KES_STATE_SUCCESS) {
        KesSetLastStatus(KES_STATE_SUCCESS);
        return fail(res::formatUtf8(res::ids::SettingsRejected,
                                    {field->name, text, acceptedValues(*field, settings)}),
                    ExitBadInput);
    }
    return 0;
}

}  // namespace

int runImageSettings(const Args& args) {
    std::string device;
    std::vector<std::string> assignments;
    bool setting = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            device = args[++i];
            setting = false;
        } else if (args[i] == "--set") {
            setting = true;
        } else if (setting && args[i].rfind("--", 0) != 0) {
            assignments.push_back(args[i]);
        } else {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), ExitBadInput);
        }
    }
    if (device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), ExitBadInput);
    if (setting && assignments.empty())
        return fail(res::formatUtf8(res::ids::SettingsBadAssignment, {""}), ExitBadInput);

    ImagingReader imaging;
    if (int code = imaging.connect(device))
        return code;
    try {
        const KesHandle settings = imaging.module.readOutputSettings();
        struct Closer {
            KesHandle h;
            ~Closer() { KesCloseHandle(h); }
        } closer{settings};
        for (const std::string& assignment : assignments) {
            if (int code = applyAssignment(assignment, settings))
                return code;
        }
        if (!assignments.empty())
            imaging.module.writeOutputSettings(settings);
        printSettings(settings);
    } catch (const foundation::Exception& e) {
        return failCapture(e, device, res::ids::SettingsFailed);
    }
    return 0;
}

}  // namespace omni::cli

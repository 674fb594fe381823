// omnisetup-cli shoot --port PATH [--trigger down|up|twice] [--wait SECONDS] -o FILE: takes one
// picture with the reader's imaging engine and writes it as a bitmap (.bmp) or a JPEG (.jpg,
// .jpeg; a JPEG from the engine is written as it came).
#include <iostream>

#include "capture_cli.h"
#include "image/picture_files.h"

namespace omni::cli {
namespace {

struct ShootOptions {
    std::string device;
    std::string output;
    reader::TriggerKind kind = reader::TriggerKind::Default;
    int seconds = 30;
};

// 0, or the exit status after printing what is wrong with the arguments.
int parseShoot(const Args& args, ShootOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--port" && hasValue) {
            options.device = args[++i];
        } else if ((a == "-o" || a == "--output") && hasValue) {
            options.output = args[++i];
        } else if (a == "--trigger" && hasValue) {
            const std::string& kind = args[++i];
            if (kind == "down")
                options.kind = reader::TriggerKind::Down;
            else if (kind == "up")
                options.kind = reader::TriggerKind::Up;
            else if (kind == "twice")
                options.kind = reader::TriggerKind::Twice;
            else
                return fail(res::formatUtf8(res::ids::CaptureBadTrigger, {kind}), ExitBadInput);
        } else if (a == "--wait" && hasValue) {
            const std::string& text = args[++i];
            char* end = nullptr;
            const long seconds = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != 0 || seconds < 1 || seconds > 999)
                return fail(res::formatUtf8(res::ids::CaptureBadWait, {text}), ExitBadInput);
            options.seconds = static_cast<int>(seconds);
        } else {
            return fail(res::formatUtf8(res::ids::UnknownOption, {a}), ExitBadInput);
        }
    }
    if (options.device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), ExitBadInput);
    image::PictureKind kind;
    if (options.output.empty() || !image::pictureKindOf(options.output, kind))
        return fail(res::loadStringUtf8(res::ids::CaptureMissingOutput), ExitBadInput);
    return 0;
}

}  // namespace

int runShoot(const Args& args) {
    ShootOptions options;
    if (int code = parseShoot(args, options))
        return code;
    ImagingReader imaging;
    if (int code = imaging.connect(options.device))
        return code;
    catchInterrupt();
    std::unique_ptr<image::ShotedImage> picture;
    bool cancelled = false;
    try {
        ProgressBar bar;
        reader::CaptureWorker worker(imaging.module);
        worker.startShot(options.kind, options.seconds, &bar);
        cancelled = runWorker(worker);
        picture = worker.finish();
        bar.done();
        if (cancelled || !picture) {
            if (cancelled)
                return fail(res::loadStringUtf8(res::ids::CaptureCancelled), ExitCancelled);
            return fail(res::loadStringUtf8(res::ids::CaptureNoImage), ExitReaderFailed);
        }
        image::savePicture(*picture, options.output);
    } catch (const foundation::Exception& e) {
        return failCapture(e, options.device);
    }
    std::cout << res::formatUtf8(res::ids::CaptureSaved,
                                 {options.output, std::to_string(picture->width()),
                                  std::to_string(picture->height()),
                                  std::to_string(picture->moduleBitsPerPixel())})
              << "\n";
    return 0;
}

}  // namespace omni::cli

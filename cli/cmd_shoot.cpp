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
    PortOptions walk(args);
    while (walk.next()) {
        if (const std::string* file = walk.valueOf(walk.is("-o") ? "-o" : "--output")) {
            options.output = *file;
        } else if (const std::string* kind = walk.valueOf("--trigger")) {
            if (*kind == "down")
                options.kind = reader::TriggerKind::Down;
            else if (*kind == "up")
                options.kind = reader::TriggerKind::Up;
            else if (*kind == "twice")
                options.kind = reader::TriggerKind::Twice;
            else
                return fail(res::formatUtf8(res::ids::CaptureBadTrigger, {*kind}), ExitBadInput);
        } else if (const std::string* text = walk.valueOf("--wait")) {
            const std::optional<long> seconds = wholeNumber(*text, 1, 999);
            if (!seconds)
                return fail(res::formatUtf8(res::ids::CaptureBadWait, {*text}), ExitBadInput);
            options.seconds = static_cast<int>(*seconds);
        } else {
            return walk.unknown();
        }
    }
    if (int code = walk.takePort(options.device))
        return code;
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

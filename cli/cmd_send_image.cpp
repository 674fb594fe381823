// omnisetup-cli send-image --port PATH FILE: sends a picture (.bmp, .jpg) to the imaging engine
// for the decoding test and prints what the reader reports for it.
#include <iostream>

#include "capture_cli.h"
#include "image/picture_files.h"

namespace omni::cli {
namespace {

constexpr unsigned kReportWaitMs = 3000;  // for the first byte of the report
constexpr unsigned kQuietMs = 300;        // the report has ended

// Reads what the reader sends until the line has been quiet; empty when nothing came.
std::string readReport(serial::SerialPortForPosix& port) {
    std::string report;
    unsigned wait = kReportWaitMs;
    for (;;) {
        std::size_t queued = 0;
        try {
            queued = port.waitForData(wait);
        } catch (const foundation::KesException& e) {
            if (e.state() == KES_STATE_COMMUNICATION_TIMEOUT)
                break;
            throw;
        }
        std::string bytes(queued, '\0');
        bytes.resize(port.read(bytes.data(), queued));
        report += bytes;
        wait = kQuietMs;
    }
    return report;
}

// The report's lines, without control bytes.
void printReport(const std::string& report) {
    std::string line;
    for (char c : report) {
        if (c == '\r' || c == '\n') {
            if (!line.empty())
                std::cout << line << "\n";
            line.clear();
        } else if (static_cast<unsigned char>(c) >= 32) {
            line += c;
        }
    }
    if (!line.empty())
        std::cout << line << "\n";
}

}  // namespace

int runSendImage(const Args& args) {
    std::string device, file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size())
            device = args[++i];
        else if (file.empty() && args[i].rfind("--", 0) != 0)
            file = args[i];
        else
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), ExitBadInput);
    }
    if (device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), ExitBadInput);
    if (file.empty())
        return fail(res::loadStringUtf8(res::ids::SendImageMissingFile), ExitBadInput);
    std::unique_ptr<image::KesImage> picture;
    try {
        picture = image::loadPicture(file);
    } catch (const foundation::UserException& e) {
        return fail(res::toUtf8(e.text()), ExitBadInput);
    } catch (const foundation::Exception& e) {
        return fail(e.what(), ExitBadInput);
    }

    ImagingReader imaging;
    if (int code = imaging.connect(device))
        return code;
    catchInterrupt();
    try {
        ProgressBar bar;
        reader::CaptureWorker worker(imaging.module);
        worker.startDecodingTest(*picture, &bar);
        const bool cancelled = runWorker(worker);
        worker.finish();
        bar.done();
        if (cancelled)
            return fail(res::loadStringUtf8(res::ids::CaptureCancelled), ExitCancelled);
        const std::string report = readReport(imaging.port);
        if (report.empty())
            return fail(res::loadStringUtf8(res::ids::SendImageNoReply), ExitNoAnswer);
        printReport(report);
    } catch (const foundation::Exception& e) {
        return failCapture(e, device, res::ids::SendImageFailed);
    }
    return 0;
}

}  // namespace omni::cli

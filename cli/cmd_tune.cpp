// omnisetup-cli tune --port PATH [--bank 1-5] [--moving] [--apply] [--save FILE]: auto tuning
// without the dialog. Reads the reader's banks, tunes to the code in front of the reader, prints
// the resulting bank, and puts the reader back as it was found. --apply applies the tuned bank
// with its commands recorded; --save (which implies --apply) writes those commands to FILE as
// the dialog's "Save" does. Ctrl+C ends after the running step, still restoring the reader.
#include <cstdio>
#include <iostream>

#include "foundation/atomic_file.h"
#include "tool_cli.h"
#include "tools/auto_tuning.h"

namespace omni::cli {
namespace {

struct TuneOptions {
    std::string device;
    int bank = 1;
    bool moving = false;
    bool apply = false;
    std::string save;
};

int parseTune(const Args& args, TuneOptions& options) {
    PortOptions walk(args);
    while (walk.next()) {
        if (const std::string* text = walk.valueOf("--bank")) {
            if (text->size() != 1 || (*text)[0] < '1' || (*text)[0] > '5')
                return fail(res::formatUtf8(res::ids::ToolsBadBank, {*text}), ExitBadInput);
            options.bank = (*text)[0] - '0';
        } else if (walk.is("--moving")) {
            options.moving = true;
        } else if (walk.is("--apply")) {
            options.apply = true;
        } else if (const std::string* file = walk.valueOf("--save")) {
            options.save = *file;
            options.apply = true;
        } else {
            return walk.unknown();
        }
    }
    return walk.takePort(options.device);
}

std::string flagText(bool on) {
    return res::loadStringUtf8(on ? res::ids::TuningEnable : res::ids::TuningDisable);
}

void printBank(int number, const tools::TuningBank& bank) {
    char analog[32], digital[32];
    std::snprintf(analog, sizeof analog, "%.3f", bank.analogAmp);
    std::snprintf(digital, sizeof digital, "%.3f", bank.digitalAmp);
    std::cout << res::formatUtf8(res::ids::ToolsBankLine,
                                 {std::to_string(number), std::string(tools::codeTypeName(bank)),
                                  flagText(bank.negative), flagText(bank.mirror),
                                  std::to_string(bank.exposureUs), std::to_string(bank.lightUs),
                                  analog, digital})
              << "\n";
}

// The steps between opening and closing; 0 or the exit status after printing why not.
int tuneSteps(tools::AutoTuning& tuning, const TuneOptions& options) {
    tuning.open();
    if (gInterrupted)
        return ExitCancelled;
    tuning.select(options.bank - 1);
    auto result =
        tuning.tune(options.moving ? tools::TuningMode::Moving : tools::TuningMode::Stationary);
    if (!result)
        return fail(res::loadStringUtf8(res::ids::ToolsNotTuned), ExitReaderFailed);
    std::cout << res::formatUtf8(res::ids::ToolsTunedAttempt,
                                 {std::to_string(result->attempt + 1), result->data})
              << "\n";
    printBank(options.bank, tuning.banks()[static_cast<std::size_t>(options.bank - 1)]);
    if (gInterrupted)
        return ExitCancelled;
    if (options.apply) {
        tuning.applySelected();
        std::cout << res::loadStringUtf8(res::ids::ToolsApplied) << "\n";
    }
    if (!options.save.empty()) {
        try {
            foundation::writeFileAtomically(options.save, tuning.recordedText());
        } catch (const foundation::Exception& e) {
            return fail(
                res::formatUtf8(res::ids::ToolsCannotWrite, {options.save, res::toUtf8(e.text())}),
                ExitReaderFailed);
        }
        std::cout << res::formatUtf8(res::ids::ToolsSaved, {options.save}) << "\n";
    }
    return gInterrupted ? ExitCancelled : ExitDone;
}

// Tunes, then closes the tuning, which puts the reader back as it was found.
int tuneAndRestore(tools::ToolLink& link, const TuneOptions& options) {
    tools::AutoTuning tuning(link);
    int status = ExitDone;
    try {
        status = tuneSteps(tuning, options);
    } catch (const foundation::Exception& e) {
        status = failLink(e, options.device);
    }
    try {
        tuning.close();
    } catch (const foundation::Exception& e) {
        if (status == ExitDone)
            status = failLink(e, options.device);
    }
    return status;
}

}  // namespace

int runTune(const Args& args) {
    TuneOptions options;
    if (int code = parseTune(args, options))
        return code;
    return withToolLink(options.device,
                        [&](serial::SerialPortForPosix& port, tools::ToolLink& link) {
                            port.stop();
                            return tuneAndRestore(link, options);
                        });
}

}  // namespace omni::cli

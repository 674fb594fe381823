// omnisetup-cli apply --page FILE --port PATH [--port PATH]... [--all] [--verify]: sends a page
// file's commands to one or many readers at once, one worker thread per port, and prints one
// result line per reader as it finishes and a summary at the end.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <thread>

#include "menucode/page_file.h"
#include "port_cli.h"
#include "reader/command_exchange.h"
#include "reader/provision.h"
#include "resources/string_ids.h"

namespace omni::cli {
namespace {

struct ApplyOptions {
    std::string page;
    std::vector<std::string> ports;
    bool all = false;
    bool verify = false;
};

int parseOptions(const Args& args, ApplyOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--page" && i + 1 < args.size()) {
            options.page = args[++i];
        } else if (args[i] == "--port" && i + 1 < args.size()) {
            options.ports.push_back(args[++i]);
        } else if (args[i] == "--all") {
            options.all = true;
        } else if (args[i] == "--verify") {
            options.verify = true;
        } else {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), ExitBadInput);
        }
    }
    if (options.page.empty())
        return fail(res::formatUtf8(res::ids::ProvisionNoPageFile, {}), ExitBadInput);
    return 0;
}

// The ports to provision: those named, then (with --all) every reader the discovery finds that
// was not named already.
int collectPorts(ApplyOptions& options) {
    if (options.all) {
        for (const serial::PortDescriptor& found : serial::enumeratePorts()) {
            if (found.kind != serial::PortKind::Serial &&
                std::find(options.ports.begin(), options.ports.end(), found.device) ==
                    options.ports.end())
                options.ports.push_back(found.device);
        }
        if (options.ports.empty())
            return fail(res::formatUtf8(res::ids::ProvisionNoReaders, {}), ExitBadInput);
    }
    if (options.ports.empty())
        return fail(res::formatUtf8(res::ids::ProvisionNoPort, {}), ExitBadInput);
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        if (std::find(options.ports.begin(), options.ports.begin() + static_cast<long>(i),
                      options.ports[i]) != options.ports.begin() + static_cast<long>(i))
            return fail(res::formatUtf8(res::ids::ProvisionSamePort, {options.ports[i]}),
                        ExitBadInput);
    }
    return 0;
}

// The page's commands. Provisioning sends nothing from a damaged file: every skipped line is
// named and the run refused, so no reader ends up with half a configuration.
int loadCommands(const std::string& path, std::vector<std::string>& commands) {
    menucode::PageFileContents contents = menucode::readPageFile(path);
    for (const menucode::PageFileProblem& problem : contents.problems)
        std::cerr << "omnisetup-cli: " << path << ": " << res::toUtf8(menucode::describe(problem))
                  << "\n";
    if (!contents.problems.empty())
        return ExitBadInput;
    for (const commands::PageItem& item : contents.page.items) {
        if (item.bytes.size() > reader::kMaxCommandLength)
            return fail(res::formatUtf8(res::ids::CommandTooLong,
                                        {std::to_string(reader::kMaxCommandLength)}),
                        ExitBadInput);
        commands.push_back(item.bytes);
    }
    if (commands.empty())
        return fail(res::formatUtf8(res::ids::ProvisionEmptyPage, {path}), ExitBadInput);
    return 0;
}

// "PORT family=... firmware=... sent=N/T acknowledged=A time=S.SSs ok" or "... failed: why".
std::string resultLine(const reader::ProvisionResult& result) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f",
                  static_cast<double>(result.elapsed.count()) / 1000.0);
    auto orDash = [](const std::string& text) { return text.empty() ? std::string("-") : text; };
    std::string line = result.label + " family=" + orDash(result.identity.family) +
                       " firmware=" + orDash(result.identity.firmware) +
                       " sent=" + std::to_string(result.sent) + "/" + std::to_string(result.total) +
                       " acknowledged=" +
                       (result.verified ? std::to_string(result.acknowledged)
                                        : res::formatUtf8(res::ids::ProvisionNotChecked, {})) +
                       " time=" + seconds + "s ";
    return line + (result.ok() ? std::string("ok") : "failed: " + result.failure);
}

int statusOf(const reader::ProvisionResult& result) {
    if (result.ok())
        return ExitDone;
    if (result.cancelled)
        return ExitCancelled;
    const int status = exitStatusOf(result.failureKind);
    return status == ExitDone ? ExitReaderFailed : status;
}

}  // namespace

int runApply(const Args& args) {
    ApplyOptions options;
    if (int code = parseOptions(args, options))
        return code;
    std::vector<std::string> commands;
    if (int code = loadCommands(options.page, commands))
        return code;
    if (int code = collectPorts(options))
        return code;

    reader::installModuleLock();
    std::vector<reader::ProvisionResult> results(options.ports.size());
    std::mutex printing;
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        workers.emplace_back([&, i] {
            reader::ProvisionRequest request{devicePort(options.ports[i]), options.ports[i],
                                             std::string(foundation::kProgramSettingsKey), commands,
                                             options.verify};
            serial::SerialPortForPosix port;
            reader::ProvisionCancel cancel;
            results[i] = reader::provisionReader(port, request, {}, cancel);
            std::lock_guard lock(printing);
            std::cout << resultLine(results[i]) << std::endl;
        });
    }
    for (std::thread& worker : workers)
        worker.join();

    std::size_t failed = 0;
    int status = ExitDone;
    for (const reader::ProvisionResult& result : results) {
        if (result.ok())
            continue;
        if (failed++ == 0)
            status = statusOf(result);
    }
    std::cout << res::formatUtf8(res::ids::ProvisionSummary,
                                 {std::to_string(results.size() - failed),
                                  std::to_string(results.size()), std::to_string(failed)})
              << "\n";
    return status;
}

}  // namespace omni::cli

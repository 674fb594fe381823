#include "serial/gui/simulated_readers.h"

#include <cerrno>
#include <system_error>

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "sim/capture_responder.h"
#include "sim/dataedit_responder.h"
#include "sim/firmware_responder.h"
#include "sim/simulated_reader.h"
#include "ui/gui/text.h"

namespace omni::serial {
namespace {

constexpr std::string_view kDevice2D = "sim:2D";
constexpr std::string_view kDevice1D = "sim:1D";

std::size_t slot(SimulatedFamily family) {
    return static_cast<std::size_t>(family);
}

// Both readers take firmware and restart afterwards: quiet for a moment, then answering again.
// Each block is taken at about the pace of a real line, so that the progress can be followed.
void addFirmwareDownload(sim::SimulatedReader& reader) {
    sim::FirmwareFaults pace;
    pace.answerDelay = std::chrono::milliseconds(40);
    sim::FirmwareRestart restart;
    restart.kind = sim::RestartKind::Quiet;
    restart.pause = std::chrono::milliseconds(500);
    reader.addResponder(std::make_unique<sim::FirmwareResponder>(reader, pace, restart));
}

// The data edit programs, the OCR settings, and what the reader "reads" for the wizards: a code
// after every stored program (the test page shows it) and a GS1 code after the GS1 start program.
std::unique_ptr<sim::Responder> dataEditResponder() {
    auto responder = std::make_unique<sim::DataEditResponder>();
    responder->setTestSample("4912345678904");
    responder->setGS1Sample(std::string("0104912345678904") + "10ABC123" + '\x1D' + "3103000150");
    return responder;
}

}  // namespace

SimulatedReaders::SimulatedReaders() = default;
SimulatedReaders::~SimulatedReaders() = default;

PortDescriptor SimulatedReaders::descriptor(SimulatedFamily family) {
    if (family == SimulatedFamily::TwoD)
        return {PortKind::Reader2D, std::string(kDevice2D)};
    return {PortKind::Reader1D, std::string(kDevice1D)};
}

std::optional<SimulatedFamily> SimulatedReaders::familyOf(const PortDescriptor& port) {
    if (port.device == kDevice2D)
        return SimulatedFamily::TwoD;
    if (port.device == kDevice1D)
        return SimulatedFamily::OneD;
    return std::nullopt;
}

QString SimulatedReaders::label(SimulatedFamily family) {
    return ui::uiText(family == SimulatedFamily::TwoD ? res::ids::Simulated2D
                                                      : res::ids::Simulated1D);
}

std::string SimulatedReaders::devicePath(SimulatedFamily family) {
    if (!present(family) || !reader(family))
        plug(family);
    std::lock_guard lock(mutex_);
    return readers_[slot(family)]->devicePath();
}

bool SimulatedReaders::present(SimulatedFamily family) const {
    std::lock_guard lock(mutex_);
    const auto& reader = readers_[slot(family)];
    return !unplugged_[slot(family)] && !(reader && reader->hungUp());
}

std::vector<PortDescriptor> SimulatedReaders::presentPorts() const {
    std::vector<PortDescriptor> ports;
    for (SimulatedFamily family : {SimulatedFamily::TwoD, SimulatedFamily::OneD}) {
        if (present(family))
            ports.push_back(descriptor(family));
    }
    return ports;
}

void SimulatedReaders::unplug(SimulatedFamily family) {
    std::lock_guard lock(mutex_);
    unplugged_[slot(family)] = true;
    if (auto& reader = readers_[slot(family)])
        reader->hangUp();
}

void SimulatedReaders::plug(SimulatedFamily family) {
    std::unique_ptr<sim::SimulatedReader> fresh;
    try {
        fresh = std::make_unique<sim::SimulatedReader>();
    } catch (const std::system_error& e) {
        throw foundation::SystemException(
            e.code().value() ? e.code().value() : EIO,
            ui::toU16(ui::uiText(res::ids::SimulatorFailed).arg(QString::fromLocal8Bit(e.what()))));
    }
    if (family == SimulatedFamily::TwoD) {
        fresh->setVersionReply(sim::replies::family(kVersion2D));
        sim::addImagingResponders(*fresh);  // the 2D reader's engine can take pictures
    } else {
        fresh->setVersionReply(sim::replies::versionLine("ENG:", kVersion1D));
    }
    addFirmwareDownload(*fresh);
    fresh->addResponder(dataEditResponder());
    fresh->start();
    std::unique_ptr<sim::SimulatedReader> old;
    {
        std::lock_guard lock(mutex_);
        old = std::exchange(readers_[slot(family)], std::move(fresh));
        unplugged_[slot(family)] = false;
    }
    // `old` stops here, outside the lock.
}

sim::SimulatedReader* SimulatedReaders::reader(SimulatedFamily family) const {
    std::lock_guard lock(mutex_);
    return readers_[slot(family)].get();
}

}  // namespace omni::serial

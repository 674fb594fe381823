#include "sim/firmware_responder.h"

#include <fstream>

#include "sim/control_bytes.h"
#include "sim/locked.h"

namespace omni::sim {
namespace {

constexpr std::size_t kAppPacket = 8198;
constexpr std::size_t kAppData = 8192;
constexpr std::size_t kXmodemPacket = 132;
constexpr std::size_t kXmodemData = 128;
constexpr std::size_t kWriteUnit = 65536;

std::uint16_t le16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

}  // namespace

FirmwareResponder::FirmwareResponder(SimulatedReader& reader, FirmwareFaults faults,
                                     FirmwareRestart restart, bool bootLoader)
    : reader_(reader),
      faults_(std::move(faults)),
      restart_(std::move(restart)),
      bootLoader_(bootLoader) {
    if (bootLoader_) {
        mode_ = Mode::Application;
        reader_.setRawReceiver(this);
    }
}

FirmwareResponder::~FirmwareResponder() {
    reader_.setRawReceiver(nullptr);
    if (replug_.joinable())
        replug_.join();
}

bool FirmwareResponder::answersVersion(SimulatedReader& reader) {
    if (bootLoader_)
        return false;
    if (std::chrono::steady_clock::now() < quietUntil_)
        return false;
    return !(restarted_ && restart_.only9600 && reader.lineSpeed() != 9600);
}

bool FirmwareResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command == "Z1")
        return !answersVersion(reader);  // swallowed while quiet; otherwise the standard answer
    if (command == "WD[X.ZZW") {
        mode_ = Mode::Application;
        pending_.clear();
        reader.setRawReceiver(this);
        return true;
    }
    if (command == "XLT\x0F") {
        reader.send(std::string_view(&kAck, 1));
        return true;
    }
    if (command == "XO") {
        mode_ = Mode::Xmodem;
        pending_.clear();
        nextXmodem_ = 1;
        reader.setRawReceiver(this);
        if (faults_.cancelAtStart) {
            reader.send(std::string_view(&kCan, 1));
            end(Ending::Cancelled, reader);
            return true;
        }
        reader.send(std::string_view(&kNak, 1));
        return true;
    }
    if (command == "RV") {
        restartEngine(reader);
        return true;
    }
    return false;
}

std::size_t FirmwareResponder::receive(std::string_view bytes, SimulatedReader& reader) {
    if (mode_ == Mode::Application)
        return receiveApplication(bytes, reader);
    if (mode_ == Mode::Xmodem)
        return receiveXmodem(bytes, reader);
    return 0;
}

std::size_t FirmwareResponder::receiveApplication(std::string_view bytes, SimulatedReader& reader) {
    std::size_t i = 0;
    while (i < bytes.size() && mode_ == Mode::Application) {
        // The boot loader sees the program's version request before the first packet.
        if (bootLoader_ && pending_.empty() && (skippingFrame_ || bytes[i] == kEsc)) {
            skippingFrame_ = bytes[i] != kCr;
            ++i;
            continue;
        }
        std::size_t take = std::min(kAppPacket - pending_.size(), bytes.size() - i);
        pending_.append(bytes.substr(i, take));
        i += take;
        if (pending_.size() == kAppPacket) {
            if (le16(pending_, 2) == 0)
                takeControlPacket(reader);
            else
                takeApplicationPacket(reader);
            pending_.clear();
        }
    }
    return i;
}

void FirmwareResponder::takeApplicationPacket(SimulatedReader& reader) {
    Packet packet;
    packet.number = le16(pending_, 0);
    packet.declared = le16(pending_, 2);
    packet.lineSpeed = reader.lineSpeed();
    std::uint16_t sum = 0;
    for (std::size_t i = 4; i < 4 + kAppData; ++i)
        sum = static_cast<std::uint16_t>(sum + static_cast<unsigned char>(pending_[i]));
    packet.valid = packet.declared == kAppData && sum == le16(pending_, kAppPacket - 2);
    bool refuse = !packet.valid;
    {
        std::lock_guard lock(mutex_);
        packets_.push_back(packet);
        auto it = faults_.refuseBlock.find(packet.number);
        if (!refuse && it != faults_.refuseBlock.end() && it->second > 0) {
            --it->second;
            refuse = true;
        }
        if (refuse)
            ++refused_;
    }
    if (refuse) {
        reader.send("NE");
        return;
    }
    if (acceptBlock(packet.number, std::string_view(pending_).substr(4, kAppData), reader))
        reader.send("NX");
}

bool FirmwareResponder::acceptBlock(std::uint16_t, std::string_view data, SimulatedReader& reader) {
    if (faults_.answerDelay.count() > 0)
        std::this_thread::sleep_for(faults_.answerDelay);
    std::size_t accepted;
    {
        std::lock_guard lock(mutex_);
        firmware_.append(data);
        accepted = firmware_.size() / data.size();
    }
    if (faults_.hangUpAfterBlocks != 0 && accepted >= faults_.hangUpAfterBlocks) {
        end(Ending::HungUp, reader);
        reader.hangUp();
        return false;
    }
    return true;
}

void FirmwareResponder::takeControlPacket(SimulatedReader& reader) {
    if (pending_[0] == 'E' && pending_[1] == 'B') {
        end(Ending::Aborted, reader);
        return;
    }
    if (pending_[0] != 'E' || pending_[1] != 'D')
        return;  // not a packet of this protocol: ignored as the engine would
    if (faults_.noEndAnswer) {
        end(Ending::Unanswered, reader);
        return;
    }
    reader.send("ED");
    runWritePhase(reader);
}

void FirmwareResponder::runWritePhase(SimulatedReader& reader) {
    std::size_t size;
    {
        std::lock_guard lock(mutex_);
        size = firmware_.size();
    }
    std::size_t units = (size + kWriteUnit - 1) / kWriteUnit;
    reader.send("EG");
    for (std::size_t unit = 0; unit < units; ++unit) {
        if (faults_.writeError) {
            end(Ending::WriteError, reader);
            reader.send("WE");
            return;
        }
        reader.send("EGBE");
    }
    // The ending is recorded before the answer that announces it, so that whoever has heard the
    // answer finds it recorded.
    end(Ending::Finished, reader);
    reader.send("FE");
    restartEngine(reader);
}

std::size_t FirmwareResponder::receiveXmodem(std::string_view bytes, SimulatedReader& reader) {
    std::size_t i = 0;
    while (i < bytes.size() && mode_ == Mode::Xmodem) {
        if (pending_.empty() && bytes[i] != kSoh) {
            char byte = bytes[i++];
            if (byte == kEot) {
                end(Ending::Finished, reader);
                reader.send(std::string_view(&kAck, 1));
                reader.send("Download OK\r");
            } else if (byte == kCan) {
                end(Ending::Cancelled, reader);
            }
            continue;  // line noise between packets is dropped
        }
        std::size_t take = std::min(kXmodemPacket - pending_.size(), bytes.size() - i);
        pending_.append(bytes.substr(i, take));
        i += take;
        if (pending_.size() == kXmodemPacket) {
            takeXmodemPacket(reader);
            pending_.clear();
        }
    }
    return i;
}

void FirmwareResponder::takeXmodemPacket(SimulatedReader& reader) {
    Packet packet;
    packet.number = static_cast<unsigned char>(pending_[1]);
    packet.complement = static_cast<unsigned char>(pending_[2]);
    packet.lineSpeed = reader.lineSpeed();
    std::uint8_t sum = 0;
    for (std::size_t i = 3; i < 3 + kXmodemData; ++i)
        sum = static_cast<std::uint8_t>(sum + static_cast<unsigned char>(pending_[i]));
    packet.valid = packet.number == nextXmodem_ && packet.complement == 255 - packet.number &&
                   sum == static_cast<unsigned char>(pending_[kXmodemPacket - 1]);
    bool refuse = !packet.valid;
    {
        std::lock_guard lock(mutex_);
        packets_.push_back(packet);
        if (!refuse && packet.number == 1 && faults_.nakStorm > 0) {
            --faults_.nakStorm;
            refuse = true;
        }
        if (refuse)
            ++refused_;
    }
    if (refuse) {
        reader.send(std::string_view(&kNak, 1));
        return;
    }
    if (!acceptBlock(packet.number, std::string_view(pending_).substr(3, kXmodemData), reader))
        return;
    ++nextXmodem_;
    reader.send(std::string_view(&kAck, 1));
}

void FirmwareResponder::end(Ending ending, SimulatedReader& reader) {
    mode_ = Mode::Commands;
    pending_.clear();
    reader.setRawReceiver(nullptr);
    {
        std::lock_guard lock(mutex_);
        ending_ = ending;
    }
    ended_.notify_all();
}

// The engine runs its new firmware. The application protocol restarts after "FE", XMODEM on
// "RV" once the transfer has finished.
void FirmwareResponder::restartEngine(SimulatedReader& reader) {
    if (ending() != Ending::Finished || restarted_)
        return;
    restarted_ = true;
    bootLoader_ = false;
    if (!restart_.versionAfter.empty())
        reader.setVersionReply(replies::family(restart_.versionAfter));
    if (restart_.kind == RestartKind::Quiet) {
        quietUntil_ = std::chrono::steady_clock::now() + restart_.pause;
    } else if (restart_.kind == RestartKind::Replug) {
        replug_ = std::thread([this, &reader] {
            // The engine restarts a moment after its last report, once the program has read it
            // (the pty hands written bytes on with a little delay, and a hang-up drops them).
            auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            do {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            } while (reader.unreadByProgram() > 0 && std::chrono::steady_clock::now() < limit);
            reader.hangUp();
            std::this_thread::sleep_for(restart_.pause);
            std::string path = reader.reopen();
            if (restart_.onReplugged)
                restart_.onReplugged(path);
        });
    }
}

std::string FirmwareResponder::firmware() const {
    return getLocked(mutex_, firmware_);
}

bool FirmwareResponder::saveFirmware(const std::string& path) const {
    std::string data = firmware();
    std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(data.data(), static_cast<std::streamsize>(data.size())) || !out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::vector<FirmwareResponder::Packet> FirmwareResponder::packets() const {
    return getLocked(mutex_, packets_);
}

FirmwareResponder::Ending FirmwareResponder::ending() const {
    return getLocked(mutex_, ending_);
}

std::size_t FirmwareResponder::attemptsRefused() const {
    return getLocked(mutex_, refused_);
}

bool FirmwareResponder::waitForEnding(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, timeout, [&] { return ending_ != Ending::None; });
}

}  // namespace omni::sim

#include "sim/responders.h"

namespace omni::sim {

bool VersionResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command != "Z1")
        return false;
    std::string reply = reader.versionReply();
    if (!reply.empty())
        reader.reply(reply);
    return true;
}

bool AckModeResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command == "WC") {
        reader.setAckMode(true);
        return true;
    }
    return command == "WD";
}

bool ConfigurationResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command != "[X.Z[F3G[X.Z")
        return false;
    reader.reply(reader.configurationText() + "\rInterface: RS-232C\rBuzzer: ON\r");
    return true;
}

}  // namespace omni::sim

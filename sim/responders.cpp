#include "sim/responders.h"

namespace omni::sim {

bool StandardResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command == "Z1") {
        const std::string reply = reader.versionReply();
        if (!reply.empty())
            reader.reply(reply);
        return true;
    }
    if (command == "WC") {
        reader.setAckMode(true);
        return true;
    }
    if (command == "WD")
        return true;
    if (command == "[X.Z[F3G[X.Z") {
        reader.reply(reader.configurationText() + "\rInterface: RS-232C\rBuzzer: ON\r");
        return true;
    }
    return false;
}

}  // namespace omni::sim

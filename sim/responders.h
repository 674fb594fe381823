// The standard behaviours of the simulated reader: the commands every simulated reader answers,
// whatever else is added.
#pragma once

#include "sim/simulated_reader.h"

namespace omni::sim {

// "Z1": the version reply of the chosen family (nothing when the reply is empty).
// "WC" switches ACK mode on, "WD" off; the reader acknowledges each command while on.
// "[X.Z[F3G[X.Z": the configuration text, followed by a few lines of settings.
class StandardResponder : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;
};

}  // namespace omni::sim

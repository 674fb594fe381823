// The standard behaviours of the simulated reader. Each answers one kind of command.
#pragma once

#include "sim/simulated_reader.h"

namespace omni::sim {

// "Z1": the version reply of the chosen family (nothing when the reply is empty).
class VersionResponder : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;
};

// "WC" switches ACK mode on, "WD" off; the reader acknowledges each command while on.
class AckModeResponder : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;
};

// "[X.Z[F3G[X.Z": the configuration text, followed by a few lines of settings.
class ConfigurationResponder : public Responder {
public:
    bool handle(std::string_view command, SimulatedReader& reader) override;
};

}  // namespace omni::sim

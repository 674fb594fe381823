// The stored programs read over the program's command exchange with a connected reader. The
// caller stops the port's receive thread first and restarts it afterwards.
#pragma once

#include "dataedit/stored_programs.h"

namespace omni::reader {
class CommandExchange;
}  // namespace omni::reader

namespace omni::stream {
template <typename T>
class Communicator;
}  // namespace omni::stream

namespace omni::dataedit {

// Waits up to `firstByteMs` for each reply to begin and the port's byte time-out for the rest.
// Throws the exchange's exceptions when the reader has gone.
StoredPrograms ReadStoredPrograms(reader::CommandExchange& exchange,
                                  stream::Communicator<char>& port, unsigned firstByteMs = 3000);

}  // namespace omni::dataedit

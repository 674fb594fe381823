#include "dataedit/exchange_link.h"

#include "foundation/control_chars.h"
#include "foundation/exception.h"
#include "reader/command_exchange.h"

namespace omni::dataedit {
namespace {

class ExchangeLink : public ProgramLink {
public:
    ExchangeLink(reader::CommandExchange& exchange, stream::Communicator<char>& port,
                 unsigned firstByteMs)
        : exchange_(exchange), port_(port), firstByteMs_(firstByteMs) {}

    void send(std::string_view command) override { exchange_.sendCommand(command); }

    std::string readReply(std::size_t max, bool& complete) override {
        std::string line;
        complete = false;
        try {
            port_.waitForData(firstByteMs_);
            while (line.size() < max) {
                char byte = 0;
                port_.get(&byte);
                if (byte == foundation::kCr) {
                    complete = true;
                    return line;
                }
                line += byte;
            }
            complete = true;  // a full buffer ends the reply
        } catch (const foundation::KesException& e) {
            if (e.state() != KES_STATE_COMMUNICATION_TIMEOUT)
                throw;
        }
        return line;
    }

private:
    reader::CommandExchange& exchange_;
    stream::Communicator<char>& port_;
    unsigned firstByteMs_;
};

}  // namespace

StoredPrograms ReadStoredPrograms(reader::CommandExchange& exchange,
                                  stream::Communicator<char>& port, unsigned firstByteMs) {
    ExchangeLink link(exchange, port, firstByteMs);
    return ReadStoredPrograms(&link);
}

}  // namespace omni::dataedit

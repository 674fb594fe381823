#include "dataedit/stored_programs.h"

namespace omni::dataedit {

StoredPrograms ReadStoredPrograms(ProgramLink* link) {
    StoredPrograms result;
    if (!link)
        return result;
    for (int program = kFirstProgram; program <= kLastProgram; ++program) {
        ScriptPair& pair = result.programs[static_cast<std::size_t>(program - 1)];
        link->send(ReadProgramCommand(program));
        bool complete = false;
        pair.cut = link->readReply(kMaxReplyLength, complete);
        if (!complete)
            return result;
        pair.paste = link->readReply(kMaxReplyLength, complete);
        if (!complete)
            return result;
    }
    result.complete = true;
    return result;
}

}  // namespace omni::dataedit

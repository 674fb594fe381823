// Arbitrary bytes as a GS1 sample: at most 10 rows, each a dictionary AI with data that its
// format allows, and every form's preview and scripts built from them without fault, the ready
// forms' brackets balanced.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "dataedit/gs1.h"
#include "dataedit/gs1_dictionary.h"

namespace {

bool balanced(std::string_view script) {
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] == '\\')
            ++i;
        else if (script[i] == '"')
            quoted = !quoted;
        else if (!quoted && script[i] == '(')
            ++depth;
        else if (!quoted && script[i] == ')' && --depth < 0)
            return false;
    }
    return depth == 0 && !quoted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace omni::dataedit;
    const std::string_view sample(reinterpret_cast<const char*>(data), size);
    GS1Parse parse = ParseGS1Sample(sample);
    if (parse.rows.size() > kMaxGS1Rows || parse.position > sample.size())
        std::abort();
    for (GS1Row& row : parse.rows) {
        if (!FindGS1Ai(row.ai) || row.partCount == 0 || row.partCount > kMaxGS1Parts)
            std::abort();
        for (std::size_t p = 0; p < row.partCount; ++p) {
            if (row.parts[p].empty())
                std::abort();
        }
        row.header1 = "\\kB2";
        row.header2 = "\\x1D";
    }
    for (GS1Form form : {GS1Form::Brackets, GS1Form::Separated, GS1Form::Fnc1, GS1Form::User}) {
        GS1Options options = ReadyFormOptions(form);
        options.decimalPoint = true;
        options.delay = true;
        options.delayMs = ParseDelayText(sample.substr(0, 4));
        GS1Preview(options, parse.rows);
        ScriptPair scripts = BuildGS1Scripts(options, parse.rows);
        if (form != GS1Form::User && !balanced(scripts.cut))
            std::abort();
    }
    return 0;
}

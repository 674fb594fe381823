// Arbitrary bytes as operator text and as free line OCR positions. An accepted text must survive
// the store command's quoting as one literal; a refused one must be left as it was. A line
// pattern always ends in "$", and is "$" alone exactly when two spaces or symbols touch.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/menu_command.h"
#include "dataedit/ocr.h"
#include "dataedit/script_text.h"

namespace {

void checkEscaping(std::string_view input) {
    std::string text(input);
    const int count = omni::dataedit::EscapeScriptText(text);
    const bool refused =
        omni::dataedit::CheckScriptText(input) != omni::dataedit::TextProblem::None;
    if (refused != (count < 0))
        std::abort();
    if (count < 0) {
        if (text != input)
            std::abort();
        return;
    }
    if (static_cast<std::size_t>(count) > input.size() || text.size() > 3 * input.size())
        std::abort();
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            std::abort();
    }
    // "[ED0" then the cut script as one quoted literal, unless the operator typed a backslash
    // before a quote: that pair is copied as typed and ends the literal where the reader would.
    if (input.find("\\'") != std::string_view::npos)
        return;
    const std::string command = omni::dataedit::ComposeStoreCommand(text, "", 1);
    if (omni::commands::tokenLength(std::string_view(command).substr(4)) != text.size() + 2)
        std::abort();
}

void checkOcrLine(std::string_view input) {
    if (input.empty())
        return;
    const std::size_t count = static_cast<unsigned char>(input[0]) % 41;
    std::vector<std::size_t> positions;
    for (std::size_t i = 1; i < input.size() && positions.size() < 40; ++i)
        positions.push_back(static_cast<unsigned char>(input[i]) %
                            omni::dataedit::kOcrCharTypeCount);
    const std::string pattern = omni::dataedit::BuildOcrLine(positions, count);
    if (pattern.empty() || pattern.back() != '$')
        std::abort();
    const std::size_t used = std::min(count, positions.size());
    const bool valid = omni::dataedit::IsOcrLineValid(positions, used);
    if (used > 0 && valid == (pattern == "$"))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkEscaping(input.substr(0, 64));
    checkOcrLine(input);
    return 0;
}

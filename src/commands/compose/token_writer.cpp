#include "commands/compose/token_writer.h"

#include "commands/menu_command.h"

namespace omni::commands::compose {

TokenWriter::TokenWriter(std::string_view baseCommand, bool mode2D)
    : text_(baseCommand), mode2D_(mode2D) {}

void TokenWriter::token(std::string_view token) {
    text_ += token;
    if (!mode2D_) {
        text_ += kCarriageReturn;
    }
}

void TokenWriter::digits(unsigned value, unsigned count) {
    text_ += digitTokens(value, count, mode2D_);
}

void TokenWriter::toggle(Toggle choice, std::string_view enable, std::string_view disable) {
    if (choice == Toggle::Enable) {
        token(enable);
    } else if (choice == Toggle::Disable) {
        token(disable);
    }
}

bool TokenWriter::goodRead(Toggle choice, std::string_view enable, std::string_view disable) {
    toggle(choice, enable, disable);
    return choice != Toggle::Disable;
}

}  // namespace omni::commands::compose

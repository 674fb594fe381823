// omnisetup-cli tokens TEXT: the number of menu-command tokens in TEXT ("\r" is a carriage return).
#include <iostream>

#include "command.h"
#include "commands/menu_command.h"

int omni::cli::runTokens(const Args& args) {
    if (args.size() != 1)
        return omni::cli::fail("usage: omnisetup-cli tokens TEXT", 2);
    std::cout << omni::commands::countTokens(omni::cli::unescapeArgument(args[0])) << "\n";
    return 0;
}

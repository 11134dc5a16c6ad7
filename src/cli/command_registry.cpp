#include "cli/command_registry.h"

#include <algorithm>

namespace kestra::cli {

std::vector<Command>& command_registry() {
    static std::vector<Command> commands;
    return commands;
}

const Command* find_command(std::string_view name) {
    for (const Command& c : command_registry())
        if (c.name == name) return &c;
    return nullptr;
}

CommandRegistration::CommandRegistration(Command command) {
    auto& commands = command_registry();
    auto at = std::find_if(commands.begin(), commands.end(), [&](const Command& c) {
        return c.group > command.group || (c.group == command.group && c.name > command.name);
    });
    commands.insert(at, std::move(command));
}

}  // namespace kestra::cli

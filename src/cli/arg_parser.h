#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestra::cli {

// Takes a command's arguments apart: "--name value", "--name=value", bare "--flag" and positionals.
// Options are taken in any order; whatever is left unclaimed after the command has asked for everything it knows
// is reported by finish(), so a misspelt option is a usage error rather than silently ignored.
class ArgParser {
public:
    explicit ArgParser(std::span<const std::string> args);

    // The last value of an option, or nullopt. A valued option at the end with nothing after it is an error.
    std::optional<std::string> value(std::string_view name);
    // Every value of a repeatable option, in order.
    std::vector<std::string> values(std::string_view name);
    bool flag(std::string_view name);
    // "on"/"off" option; nullopt when absent. A value other than on or off is an error.
    std::optional<bool> on_off(std::string_view name);

    // The remaining positionals; false (with error()) when unknown options remain or an option lacked its value.
    bool finish(std::vector<std::string>& positionals);
    const std::string& error() const { return error_; }
    void fail(std::string message) {
        if (error_.empty()) error_ = std::move(message);
    }

private:
    struct Item {
        std::string text;
        bool used = false;
    };
    std::vector<Item> items_;
    std::string error_;
    std::size_t options_end_;  // index of "--" or items_.size()
};

// Parses a whole decimal number; false for anything else or a value out of range.
bool parse_number(std::string_view text, long long& value, long long min, long long max);

}  // namespace kestra::cli

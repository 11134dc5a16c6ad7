#include "cli/arg_parser.h"

#include <charconv>

namespace kestra::cli {

namespace {
bool is_option(const std::string& s) { return s.size() > 2 && s[0] == '-' && s[1] == '-'; }
}  // namespace

ArgParser::ArgParser(std::span<const std::string> args) {
    for (const auto& a : args) items_.push_back({a, false});
    options_end_ = items_.size();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].text == "--") {
            options_end_ = i;
            items_[i].used = true;
            break;
        }
    }
}

std::vector<std::string> ArgParser::values(std::string_view name) {
    std::vector<std::string> out;
    std::string key = "--" + std::string(name);
    for (std::size_t i = 0; i < options_end_; ++i) {
        Item& item = items_[i];
        if (item.used) continue;
        if (item.text == key) {
            item.used = true;
            if (i + 1 >= options_end_ || items_[i + 1].used) {
                fail("option " + key + " needs a value");
                continue;
            }
            items_[i + 1].used = true;
            out.push_back(items_[i + 1].text);
            ++i;
        } else if (item.text.size() > key.size() && item.text.compare(0, key.size(), key) == 0 &&
                   item.text[key.size()] == '=') {
            item.used = true;
            out.push_back(item.text.substr(key.size() + 1));
        }
    }
    return out;
}

std::optional<std::string> ArgParser::value(std::string_view name) {
    auto all = values(name);
    if (all.empty()) return std::nullopt;
    return all.back();
}

bool ArgParser::flag(std::string_view name) {
    std::string key = "--" + std::string(name);
    bool seen = false;
    for (std::size_t i = 0; i < options_end_; ++i) {
        if (!items_[i].used && items_[i].text == key) {
            items_[i].used = true;
            seen = true;
        }
    }
    return seen;
}

std::optional<bool> ArgParser::on_off(std::string_view name) {
    auto v = value(name);
    if (!v) return std::nullopt;
    if (*v == "on") return true;
    if (*v == "off") return false;
    fail("option --" + std::string(name) + " takes on or off, not '" + *v + "'");
    return std::nullopt;
}

bool ArgParser::finish(std::vector<std::string>& positionals) {
    positionals.clear();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        if (item.used) continue;
        if (i < options_end_ && is_option(item.text)) {
            fail("unknown option " + item.text);
            continue;
        }
        positionals.push_back(item.text);
    }
    return error_.empty();
}

bool parse_number(std::string_view text, long long& value, long long min, long long max) {
    if (text.empty()) return false;
    long long v = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || ptr != text.data() + text.size() || v < min || v > max) return false;
    value = v;
    return true;
}

}  // namespace kestra::cli

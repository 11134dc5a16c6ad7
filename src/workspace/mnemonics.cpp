#include "workspace/mnemonics.h"

#include <algorithm>
#include <cctype>

#include "workspace/command_table.h"

namespace kestra::workspace {

char mnemonic_of(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;  // a shown ampersand
            continue;
        }
        const auto c = static_cast<unsigned char>(caption[i + 1]);
        if (std::isspace(c) != 0) return 0;
        return static_cast<char>(std::toupper(c));
    }
    return 0;
}

std::vector<MnemonicClash> mnemonic_clashes(const std::vector<std::string>& captions) {
    std::vector<MnemonicClash> seen;
    for (const std::string& caption : captions) {
        const char key = mnemonic_of(caption);
        if (key == 0) continue;
        auto it = std::find_if(seen.begin(), seen.end(), [key](const MnemonicClash& c) { return c.key == key; });
        if (it == seen.end())
            seen.push_back({key, {caption}});
        else
            it->captions.push_back(caption);
    }
    std::erase_if(seen, [](const MnemonicClash& c) { return c.captions.size() < 2; });
    return seen;
}

namespace {

std::string caption_of(const MenuItem& item) {
    if (!item.text.empty()) return std::string(item.text);
    const CommandInfo* command = find_command(item.id);
    return command != nullptr ? std::string(menu_label(*command)) : std::string();
}

void collect(const std::vector<MenuItem>& items, std::vector<MnemonicClash>& out) {
    std::vector<std::string> captions;
    for (const MenuItem& item : items) {
        if (item.separator()) continue;
        captions.push_back(caption_of(item));
        if (item.submenu()) collect(item.items, out);
    }
    for (MnemonicClash& clash : mnemonic_clashes(captions)) out.push_back(std::move(clash));
}

}  // namespace

std::vector<MnemonicClash> menu_mnemonic_clashes(const std::vector<MenuItem>& items) {
    std::vector<MnemonicClash> out;
    collect(items, out);
    return out;
}

}  // namespace kestra::workspace

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "workspace/menu_model.h"

namespace kestra::workspace {

// The key that a caption's mnemonic answers: the character after the first single '&' ("&&" shows one ampersand
// and marks nothing), upper-cased; 0 when the caption has none. A caption with two marks ("Mark as &Timestam&p")
// answers its first, as the toolkit does.
char mnemonic_of(std::string_view caption);

// Two or more captions of one menu or one window that answer the same key: the key never reaches the later ones.
struct MnemonicClash {
    char key = 0;
    std::vector<std::string> captions;
};

// The clashes among captions shown together, in the order their keys first appear.
std::vector<MnemonicClash> mnemonic_clashes(const std::vector<std::string>& captions);

// The clashes in a menu model: among the items of each menu and, separately, of each submenu, down every level.
// An item without a text of its own shows its command's menu text.
std::vector<MnemonicClash> menu_mnemonic_clashes(const std::vector<MenuItem>& items);

}  // namespace kestra::workspace

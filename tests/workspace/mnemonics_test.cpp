// Mnemonics: which key a caption answers, and that no two captions of one menu answer the same key in any menu the
// program shows.
#include "workspace/mnemonics.h"

#include <gtest/gtest.h>

#include <string>

#include "workspace/menu_model.h"

namespace ws = kestra::workspace;

namespace {

std::string describe(const std::vector<ws::MnemonicClash>& clashes) {
    std::string out;
    for (const auto& c : clashes) {
        out += std::string("'") + c.key + "':";
        for (const auto& caption : c.captions) out += " \"" + caption + "\"";
        out += "\n";
    }
    return out;
}

}  // namespace

TEST(Mnemonics, KeyIsTheCharacterAfterTheFirstSingleAmpersand) {
    EXPECT_EQ(ws::mnemonic_of("&File"), 'F');
    EXPECT_EQ(ws::mnemonic_of("E&xit"), 'X');
    EXPECT_EQ(ws::mnemonic_of("Cu&t Configuration file\tCtrl+X"), 'T');
    // A doubled ampersand is shown, not a mark.
    EXPECT_EQ(ws::mnemonic_of("Save && &Close"), 'C');
    EXPECT_EQ(ws::mnemonic_of("Fish && Chips"), 0);
    // Two marks in one caption: the first one answers.
    EXPECT_EQ(ws::mnemonic_of("Mark as &Timestam&p"), 'T');
    // No mark, a trailing ampersand, or one before a space.
    EXPECT_EQ(ws::mnemonic_of("Print Setup..."), 0);
    EXPECT_EQ(ws::mnemonic_of("Odd&"), 0);
    EXPECT_EQ(ws::mnemonic_of("A & B"), 0);
    EXPECT_EQ(ws::mnemonic_of(""), 0);
}

TEST(Mnemonics, ClashesGroupTheCaptionsOfOneKeyIgnoringCase) {
    const auto clashes = ws::mnemonic_clashes({"&New", "&Delete", "&Edit", "&next", "E&xit", "&Open", "Nothing"});
    ASSERT_EQ(clashes.size(), 1u) << describe(clashes);
    EXPECT_EQ(clashes[0].key, 'N');
    EXPECT_EQ(clashes[0].captions, (std::vector<std::string>{"&New", "&next"}));
    // A caption repeating a mark within itself claims one key, not two.
    EXPECT_TRUE(ws::mnemonic_clashes({"Mark as &Timestam&p", "&Primary Key"}).empty());
    EXPECT_EQ(ws::mnemonic_clashes({"Mark as &Timestam&p", "&Type"}).size(), 1u);
    EXPECT_TRUE(ws::mnemonic_clashes({}).empty());
}

TEST(Mnemonics, MenuClashesAreFoundPerMenuAtEveryLevel) {
    const std::vector<ws::MenuItem> bar = {
        ws::MenuItem{0, "&File", {ws::MenuItem{1, "&Open", {}}, ws::MenuItem{}, ws::MenuItem{2, "&Options", {}}}},
        ws::MenuItem{
            0, "F&ormat", {ws::MenuItem{3, "&Open", {}}, ws::MenuItem{0, "&Sub", {ws::MenuItem{4, "&A", {}}}}}},
    };
    // "&Open" in two menus is fine; "&Open" and "&Options" in one are not; "&File" and "F&ormat" on the bar neither.
    const auto clashes = ws::menu_mnemonic_clashes(bar);
    ASSERT_EQ(clashes.size(), 1u) << describe(clashes);
    EXPECT_EQ(clashes[0].key, 'O');
}

TEST(Mnemonics, EveryMenuOfTheProgramHasUniqueMnemonics) {
    EXPECT_TRUE(ws::menu_mnemonic_clashes(ws::menu_bar_without_window()).empty())
        << describe(ws::menu_mnemonic_clashes(ws::menu_bar_without_window()));
    EXPECT_TRUE(ws::menu_mnemonic_clashes(ws::menu_bar_with_window()).empty())
        << describe(ws::menu_mnemonic_clashes(ws::menu_bar_with_window()));
    // Every popup of the resource, including ones a later window adds (an unknown name is empty).
    for (const char* name : {"_SimplePopup_", "_TablePopup_", "_FieldPopup_"}) {
        const auto clashes = ws::menu_mnemonic_clashes(ws::popup_menu(name));
        EXPECT_TRUE(clashes.empty()) << name << "\n" << describe(clashes);
    }
}

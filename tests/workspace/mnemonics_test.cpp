// Mnemonics: which key a caption answers, and that no two captions of one menu answer the same key in any menu the
// program shows.
#include "workspace/mnemonics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "model/config_file.h"
#include "workspace/field_popup_model.h"
#include "workspace/join_edit_model.h"
#include "workspace/menu_model.h"

namespace ws = kestra::workspace;
namespace model = kestra::model;

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

// The popups built from data (the field popup, Edit Join's) as the menu model the check reads; the texts stay
// owned by `items`.
bool is_line(const ws::FieldMenuItem& item) {
    return item.separator();
}
bool is_line(const ws::JoinMenuItem& item) {
    return item.kind == ws::JoinMenuItem::Kind::separator;
}

template <class Item>
std::vector<ws::MenuItem> as_menu(const std::vector<Item>& items) {
    std::vector<ws::MenuItem> out;
    for (const Item& item : items) {
        if (is_line(item))
            out.push_back(ws::MenuItem{});
        else  // a command without an id of its own still shows its text
            out.push_back(ws::MenuItem{item.id == 0 ? -1 : item.id, item.text, as_menu(item.items)});
    }
    return out;
}

std::unique_ptr<model::CConfigField> field(const std::string& name, std::int32_t kind, std::int32_t date_kind) {
    auto f = std::make_unique<model::CConfigField>();
    f->name.assign(name);
    f->field_kind = kind;
    f->date_kind = date_kind;
    f->data_type_code = 9;
    return f;
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

TEST(Mnemonics, TheFieldPopupRepeatsOnlyTheKeyOfItsTwoTimeFormats) {
    model::CConfigTable table;
    table.fields.push_back(field("CUST-ID", model::FieldKind::host, model::DateKind::standard));
    table.fields.push_back(field("OPENED", model::FieldKind::host, model::DateKind::date));
    table.fields.push_back(field("PART", model::FieldKind::user_defined, model::DateKind::standard));
    table.fields.push_back(field("TOTAL", model::FieldKind::calculated, model::DateKind::standard));
    const auto& f = table.fields;
    const std::vector<ws::FieldSelection> selections = {
        {f[0].get()}, {f[1].get()}, {f[2].get()}, {f[3].get()}, {f[0].get(), f[2].get()}, {f[0].get(), f[1].get()}};
    for (const ws::FieldSelection& selection : selections) {
        const std::vector<ws::FieldMenuItem> popup = ws::field_popup_menu(selection);
        const auto clashes = ws::menu_mnemonic_clashes(as_menu(popup));
        const bool formats = std::any_of(popup.begin(), popup.end(), [](const ws::FieldMenuItem& item) {
            return item.text == "Mark as &Timestam&p";
        });
        // "Mark as &Time" and "Mark as &Timestam&p" are the captions the menu has always had: T goes from one to
        // the other, as the toolkit does for a repeated key. Nothing else may repeat.
        if (!formats) {
            EXPECT_TRUE(clashes.empty()) << selection.size() << " fields\n" << describe(clashes);
            continue;
        }
        ASSERT_EQ(clashes.size(), 1u) << selection.size() << " fields\n" << describe(clashes);
        EXPECT_EQ(clashes[0].key, 'T');
        EXPECT_EQ(clashes[0].captions, (std::vector<std::string>{"Mark as &Time", "Mark as &Timestam&p"}));
    }
}

TEST(Mnemonics, TheThreeEditJoinPopupsHaveNoRepeatedKeys) {
    model::CConfigFile file;
    for (const char* name : {"CUST", "ORD"}) {
        auto t = std::make_unique<model::CConfigTable>();
        t->name.assign(name);
        t->table_number = static_cast<std::int32_t>(file.tables.size() + 1);
        for (const char* f : {"ID", "NAME"}) {
            auto fld = field(std::string(name) + "-" + f, model::FieldKind::host, model::DateKind::standard);
            fld->tblfieldnum = static_cast<std::int32_t>(t->fields.size() + 1);
            t->fields.push_back(std::move(fld));
        }
        auto set = std::make_unique<model::CTableSet>();
        set->set_name.assign(std::string("BY-") + name);
        set->keys.push_back({1, 0, 1});
        t->sets.push_back(std::move(set));
        file.tables.push_back(std::move(t));
    }
    file.tables.push_back(std::make_unique<model::CConfigTable>());
    file.tables.back()->name.assign("SPARE");
    file.tables.back()->table_number = 3;
    model::CConfigTable join;
    join.join_table = true;
    for (const char* name : {"CUST", "ORD"}) {
        auto m = std::make_unique<model::CJoinMember>();
        m->sub_table.assign(name);
        m->set.assign(std::string("BY-") + name);
        if (!join.members.empty()) {  // ORD-ID joined to nothing yet
            auto key = std::make_unique<model::CJoinField>();
            key->field.assign("ORD-ID");
            key->kind = model::JoinFieldKind::none;
            m->join_fields.push_back(std::move(key));
        }
        join.members.push_back(std::move(m));
    }
    ws::CJoinEditModel edit(file, join, [](model::CConfigTable&) { return true; });
    edit.open();
    ASSERT_EQ(edit.member_count(), 2u);
    ASSERT_GE(edit.join_field_count(1), 1u);
    const std::vector<std::pair<const char*, std::vector<ws::JoinMenuItem>>> popups = {
        {"root", edit.root_menu()},
        {"first member", edit.member_menu(0)},
        {"second member", edit.member_menu(1)},
        {"join field", edit.join_field_menu(1, 0)}};
    for (const auto& [name, popup] : popups) {
        EXPECT_FALSE(popup.empty()) << name;
        const auto clashes = ws::menu_mnemonic_clashes(as_menu(popup));
        EXPECT_TRUE(clashes.empty()) << name << "\n" << describe(clashes);
    }
}

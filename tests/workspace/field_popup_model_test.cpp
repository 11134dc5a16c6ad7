#include "workspace/field_popup_model.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kestra::workspace {
namespace {

using model::CConfigField;
using model::CConfigTable;
using model::DateKind;
using model::FieldKind;

CConfigField& add(CConfigTable& table, const std::string& name, std::int32_t kind, std::int32_t number = 1) {
    auto f = std::make_unique<CConfigField>();
    f->name.assign(name);
    f->field_kind = kind;
    f->tblfieldnum = number;
    f->mark_loaded();
    table.fields.push_back(std::move(f));
    return *table.fields.back();
}

std::vector<int> ids(const std::vector<FieldMenuItem>& menu) {
    std::vector<int> out;
    for (const auto& item : menu) out.push_back(item.submenu() ? -1 : item.id);
    return out;
}

const FieldMenuItem* find(const std::vector<FieldMenuItem>& menu, int id) {
    for (const auto& item : menu) {
        if (item.id == id && !item.submenu()) return &item;
        if (const FieldMenuItem* inner = find(item.items, id)) return inner;
    }
    return nullptr;
}

TEST(FieldPopup, OneFieldOffersRenameHideOrDeleteUpdateAndFormats) {
    CConfigTable table;
    CConfigField& host = add(table, "CUST-FLAGS", FieldKind::host);
    host.visible = false;
    host.date_kind = DateKind::time;
    host.date_format = 4;
    auto menu = field_popup_menu({&host});
    // rename, separator, hide | update allowed | standard, currency, three submenus
    EXPECT_EQ(ids(menu), (std::vector<int>{4782, 0, 4779, 0, 4783, 0, 4791, 4780, -1, -1, -1}));
    EXPECT_EQ(menu[2].text, "Hide");
    EXPECT_TRUE(menu[2].checked);
    EXPECT_EQ(menu[8].text, "Mark as &Date");
    EXPECT_EQ(menu[8].items.size(), 32u);
    EXPECT_EQ(menu[8].items.front().id, 2000);
    EXPECT_EQ(menu[9].items.size(), 7u);
    EXPECT_EQ(menu[10].text, "Mark as &Timestam&p");
    EXPECT_EQ(menu[10].items.back().id, 4004);
    EXPECT_TRUE(find(menu, 3004)->checked);
    EXPECT_FALSE(find(menu, 2004)->checked);  // the same index under another kind
    EXPECT_FALSE(find(menu, 4791)->checked);

    CConfigField& calc = add(table, "TOTAL", FieldKind::calculated, 2);
    menu = field_popup_menu({&calc});
    // A calculated field has no update flag; "Delete" is not checkable.
    EXPECT_EQ(ids(menu), (std::vector<int>{4782, 0, 4779, 0, 4791, 4780, -1, -1, -1}));
    EXPECT_EQ(menu[2].text, "Delete");
    EXPECT_FALSE(menu[2].checkable);
    EXPECT_TRUE(find(menu, 4791)->checked);
}

TEST(FieldPopup, SeveralFieldsOfferOnlyWhatTheyAgreeOn) {
    CConfigTable table;
    CConfigField& a = add(table, "A", FieldKind::host, 1);
    CConfigField& b = add(table, "B", FieldKind::user_defined, 2);
    a.update_allowed = b.update_allowed = true;
    a.date_kind = b.date_kind = DateKind::date;
    a.date_format = 3;
    b.date_format = 3;
    auto menu = field_popup_menu({&a, &b});
    EXPECT_EQ(ids(menu), (std::vector<int>{4783, 0, 4791, 4780, -1, -1, -1}));
    EXPECT_TRUE(menu[0].checked);
    EXPECT_TRUE(find(menu, 2003)->checked);

    // Different formats of one kind: the groups stay, no format is checked.
    b.date_format = 5;
    menu = field_popup_menu({&a, &b});
    EXPECT_FALSE(find(menu, 2003)->checked);
    EXPECT_FALSE(find(menu, 2005)->checked);

    // Disagreeing update flags drop that entry; different kinds drop the formats.
    b.update_allowed = false;
    EXPECT_EQ(ids(field_popup_menu({&a, &b})), (std::vector<int>{4791, 4780, -1, -1, -1}));
    b.update_allowed = true;
    b.date_kind = DateKind::currency;
    EXPECT_EQ(ids(field_popup_menu({&a, &b})), (std::vector<int>{4783}));

    // A calculated one among them drops Update Allowed; with different kinds nothing is left.
    CConfigField& c = add(table, "C", FieldKind::calculated, 3);
    c.update_allowed = true;
    EXPECT_TRUE(field_popup_menu({&a, &b, &c}).empty());
    EXPECT_TRUE(field_popup_menu({}).empty());
}

TEST(FieldPopup, HideButtonFollowsTheSelection) {
    CConfigTable table;
    CConfigField& shown = add(table, "A", FieldKind::host, 1);
    CConfigField& shown2 = add(table, "A2", FieldKind::host, 2);
    CConfigField& hidden = add(table, "B", FieldKind::host, 3);
    hidden.visible = false;
    CConfigField& user = add(table, "C", FieldKind::user_defined, 4);
    CConfigField& calc = add(table, "D", FieldKind::calculated, 5);

    const auto state = [](const FieldSelection& s) {
        const HideButtonState b = hide_button_state(s);
        return b.text + (b.enabled ? "" : " (off)");
    };
    EXPECT_EQ(state({&shown, &shown2}), "&Hide");
    EXPECT_EQ(state({&hidden}), "Un&Hide");
    EXPECT_EQ(state({&user, &calc}), "&Delete");
    EXPECT_EQ(state({&shown, &user}), "&Hide (off)");
    EXPECT_EQ(state({&shown, &hidden}), "&Hide (off)");
    EXPECT_EQ(state({}), "&Hide (off)");
}

TEST(FieldPopup, FormatCommandsMapToKindAndIndexWithinTheirCatalogue) {
    std::int32_t kind = -1, index = -1;
    ASSERT_TRUE(format_for_command(2031, kind, index));
    EXPECT_EQ(kind, DateKind::date);
    EXPECT_EQ(index, 31);
    ASSERT_TRUE(format_for_command(3006, kind, index));
    EXPECT_EQ(kind, DateKind::time);
    EXPECT_EQ(index, 6);
    ASSERT_TRUE(format_for_command(4791, kind, index));
    EXPECT_EQ(kind, DateKind::standard);
    ASSERT_TRUE(format_for_command(4780, kind, index));
    EXPECT_EQ(kind, DateKind::currency);
    EXPECT_EQ(index, 0);
    for (int outside : {2032, 3007, 4005, 1999, 4782})
        EXPECT_FALSE(format_for_command(outside, kind, index)) << outside;
}

TEST(FieldPopup, ActionsMarkWhatTheNextSaveSends) {
    CConfigTable table;
    CConfigField& host = add(table, "A", FieldKind::host, 1);
    CConfigField& loaded_user = add(table, "B", FieldKind::user_defined, 2);
    auto fresh = std::make_unique<CConfigField>();
    fresh->field_kind = FieldKind::user_defined;
    fresh->name.assign("NEW");
    table.fields.push_back(std::move(fresh));
    CConfigField* created = table.fields.back().get();

    set_field_format({&host}, DateKind::timestamp, 2);
    EXPECT_EQ(host.date_kind, DateKind::timestamp);
    EXPECT_EQ(host.date_format, 2);
    EXPECT_TRUE(host.bModified);
    toggle_update_allowed({&host});
    EXPECT_TRUE(host.update_allowed);

    hide_or_delete_fields(table, {&host, &loaded_user, created});
    EXPECT_FALSE(host.visible);
    EXPECT_TRUE(host.bVisibility);
    // The host's own field waits for the delete request; the one made in this dialog is simply gone.
    ASSERT_EQ(table.fields.size(), 1u);
    ASSERT_EQ(table.cut_fields.size(), 1u);
    EXPECT_EQ(table.cut_fields[0]->name.str(), "B");
}

}  // namespace
}  // namespace kestra::workspace

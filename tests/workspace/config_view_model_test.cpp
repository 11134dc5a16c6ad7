// The configuration view's four modes, its buttons, and Delete and Update Allowed on the host.
#include "workspace/config_view_model.h"

#include <gtest/gtest.h>

#include "support/fake_provider.h"
#include "support/fake_session.h"
#include "support/recording_ui_hooks.h"
#include "workspace/admin_doc.h"

namespace ws = kestra::workspace;
namespace model = kestra::model;
using kestra::testing::fake_provider;

namespace {

class ConfigView : public kestra::testing::FakeSessionTest {
protected:
    void SetUp() override {
        FakeSessionTest::SetUp();
        doc = std::make_unique<ws::CAdminDoc>(std::make_unique<kestra::hostlink::CHostSession>(std::move(session)));
        file = doc->root().add_child("*F ON P", 1);
        file->config.file_reference = 7;
        for (int i = 1; i <= 3; ++i) {
            auto t = std::make_unique<model::CConfigTable>();
            t->table_number = i;
            t->name.assign("T" + std::to_string(i));
            t->join_table = i == 3;
            t->update_allowed = i == 2;
            file->config.tables.push_back(std::move(t));
            auto a = std::make_unique<model::CPcApplication>();
            a->app_number = i;
            a->program_name.assign("APP" + std::to_string(i));
            a->is_new = false;
            a->changed = false;
            file->config.applications.push_back(std::move(a));
        }
        view.set_node(file);
    }
    void TearDown() override {
        doc.reset();
        FakeSessionTest::TearDown();
    }
    kestra::testing::RecordingUiHooks hooks;
    std::unique_ptr<ws::CAdminDoc> doc;
    model::CServerNode* file = nullptr;
    ws::CConfigViewModel view;
};

TEST_F(ConfigView, TablesShowTheirKindAndUpdateAllowedInRed) {
    EXPECT_EQ(view.caption(), "Tables:");
    const auto lines = view.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].text, "T2");
    EXPECT_TRUE(lines[1].update_allowed);
    EXPECT_FALSE(lines[0].update_allowed);
    EXPECT_EQ(lines[0].glyph, ws::LineGlyph::table);
    EXPECT_EQ(lines[2].glyph, ws::LineGlyph::join);
}

TEST_F(ConfigView, ButtonsFollowTheModeAndTheSelection) {
    for (auto mode : {ws::ViewMode::tables, ws::ViewMode::applications}) {
        view.set_mode(mode);
        EXPECT_TRUE(view.buttons(0).add);
        EXPECT_FALSE(view.buttons(0).edit);
        EXPECT_FALSE(view.buttons(0).remove);
        EXPECT_TRUE(view.buttons(1).edit);
        EXPECT_FALSE(view.buttons(2).edit);
        EXPECT_TRUE(view.buttons(2).remove);
    }
    for (auto mode : {ws::ViewMode::limits, ws::ViewMode::global}) {
        view.set_mode(mode);
        EXPECT_FALSE(view.buttons(0).add);
        EXPECT_FALSE(view.buttons(3).remove);
        EXPECT_TRUE(view.buttons(0).edit);
    }
    view.set_node(&doc->root());
    EXPECT_TRUE(view.lines().empty());
    EXPECT_FALSE(view.buttons(1).edit || view.buttons(1).add || view.buttons(1).remove);
}

TEST_F(ConfigView, LimitsAndGlobalUseTheViewsShortWording) {
    view.set_mode(ws::ViewMode::limits);
    EXPECT_EQ(view.caption(), "Limits:");
    file->config.limits.row_limit_kind = model::RowLimitKind::silent_eof;
    file->config.limits.row_count = 500;
    const auto limits = view.lines();
    ASSERT_EQ(limits.size(), 4u);
    EXPECT_EQ(limits[0].text, "No Where Req'ed");
    EXPECT_EQ(limits[3].text, "Silent EOF @ 500 Rows");

    view.set_mode(ws::ViewMode::global);
    EXPECT_EQ(view.caption(), "Global:");
    file->config.global_options.security_type = model::SecurityType::guarded;
    file->config.global_options.guardfile.assign("(PAY)G");
    std::vector<std::string> texts;
    for (const auto& l : view.lines()) texts.push_back(l.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "SECURITYTYPE: GUARDED"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Date Base:0/0/0"), texts.end());  // unset, as the report
    EXPECT_EQ(std::find_if(texts.begin(), texts.end(), [](const std::string& t) { return t.rfind("AppName", 0) == 0; }),
              texts.end());
    EXPECT_EQ(texts.back(), "Show Fields");
}

TEST_F(ConfigView, DeletingApplicationsRemovesThemInAscendingOrder) {
    view.set_mode(ws::ViewMode::applications);
    queue(37, "0");
    ASSERT_TRUE(view.delete_entries(*doc, {2, 0, 2}));
    ASSERT_EQ(file->config.applications.size(), 1u);
    EXPECT_EQ(file->config.applications[0]->program_name.str(), "APP2");
    EXPECT_TRUE(file->config.modified);
}

TEST_F(ConfigView, AFailedApplicationDeleteReadsTheListAgain) {
    view.set_mode(ws::ViewMode::applications);
    queue(37, "2000300161 NO0000");
    queue(39, "0" "001" "002" "004APP2" "0");
    EXPECT_TRUE(view.delete_entries(*doc, {0, 2}));
    ASSERT_EQ(file->config.applications.size(), 1u);
    EXPECT_EQ(file->config.applications[0]->program_name.str(), "APP2");
    EXPECT_FALSE(hooks.boxes.empty());
}

TEST_F(ConfigView, UpdateAllowedFlipsOnlyWhatLoaded) {
    // T1 fails to load and keeps its flag; T2 loads and flips.
    queue(23, "2000300161 LOCKED0000");
    queue(23, "0" "0005" "002T2" "00000" "1" "0" "000" "000" "000" "000" "000");
    queue(34, "0");
    queue(24, "0");
    EXPECT_TRUE(view.toggle_update_allowed(*doc, {0, 1}));
    EXPECT_FALSE(file->config.tables[0]->update_allowed);
    EXPECT_FALSE(file->config.tables[1]->update_allowed);
    EXPECT_TRUE(file->config.modified);
    EXPECT_EQ(hooks.boxes.size(), 1u);
}

}  // namespace

// The selection change, Save and the file commands of a connection window, over the in-memory host: what is sent,
// what is asked, and what the tree and the views hold afterwards.
#include "workspace/tree_controller.h"

#include <gtest/gtest.h>

#include "app/admin_app.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"
#include "support/recording_ui_hooks.h"
#include "workspace/admin_doc.h"
#include "workspace/config_view_model.h"

namespace ws = kestra::workspace;
namespace app = kestra::app;
using kestra::model::CServerNode;
using kestra::testing::fake_provider;

namespace {

// A view that keeps the selected node the way the windows do, and checks it is never told about a node after it
// was freed (ASan reports a use of a freed node here).
class RecordingView : public ws::TreeListener {
public:
    explicit RecordingView(ws::CAdminDoc& doc) : doc_(doc) {}
    void forget_branch(const CServerNode& branch) override {
        model.forget_branch(branch);
        ++forgets;
    }
    void tree_changed() override {
        model.set_node(doc_.selected());
        if (model.node() != nullptr) shown = model.node()->name;
    }
    ws::CConfigViewModel model;
    std::string shown;
    int forgets = 0;

private:
    ws::CAdminDoc& doc_;
};

class TreeController : public kestra::testing::FakeSessionTest {
protected:
    void SetUp() override {
        FakeSessionTest::SetUp();
        doc = std::make_unique<ws::CAdminDoc>(std::make_unique<kestra::hostlink::CHostSession>(std::move(session)));
        tree = std::make_unique<ws::CTreeController>(*doc);
        view = std::make_unique<RecordingView>(*doc);
        tree->add_listener(view.get());
        a = doc->root().add_child("*A ON P", 1);
        b = doc->root().add_child("*B ON P", 2);
        a1 = a->add_child("*A1 ON P", 3);
    }
    void TearDown() override {
        tree.reset();
        doc.reset();
        FakeSessionTest::TearDown();
    }
    // The replies of opening a file: its reference, then empty table and application lists, the global options and
    // the limits.
    void queue_open(const std::string& reference = "0007") {
        queue(18, "0" + reference);
        queue(51, "0" "0001" "0010" "003TAB" "1" "0" "0");
        queue(39, "0" "001" "004X.EX" "1");
        queue(30, "0" "000" "000" "000" "00" "00" "00" "0000" "0" "0" "2" "0" "000");
        queue(32, "0" "0000" "0000000000");
    }
    // Opens A with nothing asked and the log emptied.
    void open_a() {
        queue_open();
        ASSERT_TRUE(tree->select(a));
        ASSERT_EQ(doc->selected(), a);
        fake_provider().transmitted.clear();
        hooks.boxes.clear();
    }
    static std::vector<int> codes() {
        std::vector<int> out;
        for (const auto& m : fake_provider().transmitted) out.push_back(std::stoi(m.substr(7, 3)));
        return out;
    }

    kestra::testing::RecordingUiHooks hooks;
    std::unique_ptr<ws::CAdminDoc> doc;
    std::unique_ptr<ws::CTreeController> tree;
    std::unique_ptr<RecordingView> view;
    CServerNode* a = nullptr;
    CServerNode* b = nullptr;
    CServerNode* a1 = nullptr;
};

using Codes = std::vector<int>;

TEST_F(TreeController, AnEmptyListGivesTheRootAloneSelected) {
    queue(13, "00000");
    EXPECT_EQ(tree->load_tree(), 0);
    EXPECT_TRUE(doc->root().children().empty());
    EXPECT_EQ(doc->selected(), &doc->root());
    EXPECT_EQ(view->model.node(), &doc->root());
    EXPECT_TRUE(view->model.lines().empty());
}

TEST_F(TreeController, SelectingAFileOpensItAndReadsItsParts) {
    queue_open();
    ASSERT_TRUE(tree->select(a));
    EXPECT_EQ(codes(), (Codes{18, 51, 39, 30, 32}));
    EXPECT_EQ(a->config.file_reference, 7);
    ASSERT_EQ(a->config.tables.size(), 1u);
    EXPECT_EQ(view->model.node(), a);
    EXPECT_EQ(hooks.waiting(), 0);
    // Leaving it for the root closes it and empties the view.
    fake_provider().transmitted.clear();
    queue(19, "0");
    ASSERT_TRUE(tree->select(&doc->root()));
    EXPECT_EQ(codes(), (Codes{19}));
    EXPECT_TRUE(view->model.lines().empty());
}

TEST_F(TreeController, AutoSaveSavesUnasked) {
    open_a();
    a->config.modified = true;
    app::admin_app().auto_save_config = 1;
    queue(40, "0");
    queue(19, "0");
    ASSERT_TRUE(tree->select(&doc->root()));
    EXPECT_EQ(codes(), (Codes{40, 19}));
    EXPECT_TRUE(hooks.boxes.empty());
    EXPECT_FALSE(a->config.modified);
}

TEST_F(TreeController, CancelAtThePromptKeepsTheFileAndSendsNothing) {
    open_a();
    a->config.modified = true;
    hooks.answers = {app::MessageResult::Cancel};
    EXPECT_FALSE(tree->select(b));
    ASSERT_EQ(hooks.boxes.size(), 1u);
    EXPECT_EQ(hooks.boxes[0], "Save changes to Client Configuration File *A ON P");
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(doc->selected(), a);
    EXPECT_TRUE(a->config.modified);
}

TEST_F(TreeController, AFailedSaveKeepsTheSelectionAndTheModifiedFlag) {
    open_a();
    a->config.modified = true;
    hooks.answers = {app::MessageResult::Yes};
    queue(40, "2000300161 DISK FULL0000");
    EXPECT_FALSE(tree->select(b));
    EXPECT_EQ(codes(), (Codes{40}));
    EXPECT_EQ(doc->selected(), a);
    EXPECT_TRUE(a->config.modified);
    EXPECT_NE(hooks.boxes.back().find("DISK FULL"), std::string::npos);
}

TEST_F(TreeController, WhileClosingAFailedSaveAsksAgainAndNoLetsTheWindowGo) {
    open_a();
    a->config.modified = true;
    hooks.answers = {app::MessageResult::Yes, app::MessageResult::Ok, app::MessageResult::No};
    queue(40, "2000300161 DISK FULL0000");
    queue(19, "0");
    EXPECT_TRUE(tree->leave(true));
    EXPECT_EQ(codes(), (Codes{40, 19}));
    EXPECT_EQ(hooks.boxes.size(), 3u);
    EXPECT_EQ(doc->selected(), nullptr);
}

TEST_F(TreeController, AFileTheHostRefusesToOpenIsRemovedAfterYesWithTheFlagClear) {
    queue(18, "2000300161 FILE NOT FOUND0000");
    queue(15, "0");
    hooks.answers = {app::MessageResult::Ok, app::MessageResult::Yes};
    tree->select(b);
    EXPECT_EQ(codes(), (Codes{18, 15}));
    EXPECT_EQ(fake_provider().transmitted[1].substr(14), "00020");
    EXPECT_EQ(hooks.boxes.back(), "Remove *B ON P from the list?");
    EXPECT_EQ(doc->root().find_by_number(2), nullptr);
    EXPECT_EQ(doc->selected(), nullptr);
    EXPECT_EQ(view->model.node(), nullptr);
    EXPECT_GE(view->forgets, 1);
}

TEST_F(TreeController, ALinkFailureOnOpenRemovesNothing) {
    // No reply comes: the provider times out.
    tree->select(b);
    EXPECT_EQ(codes(), (Codes{18}));
    EXPECT_EQ(doc->root().find_by_number(2), b);
    EXPECT_EQ(doc->selected(), nullptr);
    EXPECT_EQ(view->model.node(), nullptr);
    ASSERT_EQ(hooks.boxes.size(), 1u);  // the error; no removal question
}

TEST_F(TreeController, SaveClearsModifiedOnlyWhenTheSaveWasAccepted) {
    open_a();
    a->config.modified = true;
    queue(40, "2000300161 NO0000");
    EXPECT_FALSE(tree->save_selected());
    EXPECT_TRUE(a->config.modified);
    queue(40, "0");
    EXPECT_TRUE(tree->save_selected());
    EXPECT_FALSE(a->config.modified);
}

TEST_F(TreeController, AddAppendsBelowTheSelectionAndSelectsTheNewFile) {
    EXPECT_FALSE(tree->add_file("*N ON P"));
    EXPECT_EQ(hooks.boxes.back(), "An unsupported operation was attempted.");
    EXPECT_TRUE(fake_provider().transmitted.empty());
    open_a();
    queue(14, "00012");
    queue(19, "0");
    queue_open("0009");
    ASSERT_TRUE(tree->add_file("*N ON P"));
    EXPECT_EQ(a->children().back()->name, "*N ON P");
    EXPECT_EQ(a->children().back()->config.number, 12);
    EXPECT_EQ(doc->selected(), a->children().back().get());
}

TEST_F(TreeController, RenameWithAFailingListKeepsTheOldTree) {
    open_a();
    queue(17, "0");
    queue(19, "0");
    queue(13, "2000300161 BUSY0000");
    queue_open();
    ASSERT_TRUE(tree->rename_file("*Z ON P"));
    EXPECT_EQ(codes(), (Codes{17, 19, 13, 18, 51, 39, 30, 32}));
    EXPECT_EQ(doc->root().children().size(), 2u);
    EXPECT_EQ(a->name, "*Z ON P");
    EXPECT_EQ(doc->selected(), a);  // reopened
}

TEST_F(TreeController, RenameRebuildsTheTreeAndSelectsTheFileByNumber) {
    open_a();
    queue(17, "0");
    queue(19, "0");
    queue(13, "00002" "00010000007*Z ON P" "00050000007*Q ON P");
    queue_open();
    ASSERT_TRUE(tree->rename_file("*Z ON P"));
    ASSERT_EQ(doc->root().children().size(), 2u);
    EXPECT_EQ(doc->selected(), doc->root().children()[0].get());
    EXPECT_EQ(doc->selected()->name, "*Z ON P");
    EXPECT_EQ(view->model.node(), doc->selected());
}

TEST_F(TreeController, DeleteWithCtrlSendsTheFlagClearAndLeavesNothingSelected) {
    queue_open();
    ASSERT_TRUE(tree->select(b));
    fake_provider().transmitted.clear();
    hooks.boxes.clear();
    queue(19, "0");
    queue(15, "0");
    ASSERT_TRUE(tree->delete_file(true));
    EXPECT_EQ(hooks.boxes.at(0), "Delete Client Configuration File *B ON P");
    EXPECT_EQ(codes(), (Codes{19, 15}));
    EXPECT_EQ(fake_provider().transmitted[1].substr(14), "00020");
    EXPECT_EQ(doc->selected(), nullptr);
    EXPECT_EQ(view->model.node(), nullptr);
    EXPECT_EQ(doc->root().children().size(), 1u);
}

TEST_F(TreeController, DeleteAnsweredNoSendsNothingAndAFailedDeleteReopensTheFile) {
    queue_open();
    ASSERT_TRUE(tree->select(b));
    fake_provider().transmitted.clear();
    hooks.answers = {app::MessageResult::No};
    EXPECT_FALSE(tree->delete_file(false));
    EXPECT_TRUE(fake_provider().transmitted.empty());

    app::admin_app().confirm_config_delete = 0;
    queue(19, "0");
    queue(15, "2000300161 IN USE0000");
    queue_open();
    EXPECT_FALSE(tree->delete_file(false));
    EXPECT_EQ(fake_provider().transmitted[1].substr(14), "00021");
    EXPECT_EQ(doc->selected(), b);
    EXPECT_EQ(codes().at(2), 18);
}

TEST_F(TreeController, CutAfterCancelDoesNothingAndPasteAddsTheKeptCopy) {
    queue_open();
    ASSERT_TRUE(tree->select(b));
    b->config.modified = true;
    fake_provider().transmitted.clear();
    hooks.answers = {app::MessageResult::Cancel};
    EXPECT_FALSE(tree->cut_file());
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(doc->selected(), b);

    hooks.answers = {app::MessageResult::No};
    queue(19, "0");
    queue(47, "00044");
    ASSERT_TRUE(tree->cut_file());
    EXPECT_EQ(codes(), (Codes{19, 47}));
    EXPECT_EQ(doc->root().find_by_number(2), nullptr);
    EXPECT_EQ(doc->selected(), nullptr);
    EXPECT_TRUE(doc->clipboard.owner);
    EXPECT_EQ(doc->clipboard.number, 44);
    ASSERT_NE(tree->kept(), nullptr);

    queue_open();
    ASSERT_TRUE(tree->select(a));
    queue(48, "00031");
    ASSERT_TRUE(tree->paste_file("*P ON P"));
    const CServerNode& pasted = *a->children().back();
    EXPECT_EQ(pasted.name, "*P ON P");
    EXPECT_EQ(pasted.config.number, 31);
    EXPECT_EQ(pasted.config.file_reference, 44);
}

TEST_F(TreeController, AMoveSelectsTheTargetAndMovesOnlyAfterTheHostAccepted) {
    queue_open();
    queue(16, "2000300161 NO0000");
    EXPECT_FALSE(tree->move_file(*b, *a1));
    EXPECT_EQ(b->parent(), &doc->root());
    EXPECT_EQ(doc->selected(), a1);
    queue(16, "0");
    ASSERT_TRUE(tree->move_file(*b, *a1));
    EXPECT_EQ(b->parent(), a1);
    EXPECT_FALSE(tree->move_file(*a, *a1));  // into its own branch
}

TEST(DropPolicy, RefusesSelfAndDescendantsAndCopiesWhatIsNotOurs) {
    CServerNode root;
    CServerNode* a = root.add_child("A", 1);
    CServerNode* a1 = a->add_child("A1", 2);
    CServerNode* b = root.add_child("B", 3);
    CServerNode other;
    CServerNode* x = other.add_child("X", 9);
    EXPECT_EQ(ws::drop_effect(a, a, root, false, false), ws::DropEffect::none);
    EXPECT_EQ(ws::drop_effect(a, a1, root, false, false), ws::DropEffect::none);
    EXPECT_EQ(ws::drop_effect(a, nullptr, root, false, false), ws::DropEffect::none);
    EXPECT_EQ(ws::drop_effect(a, b, root, false, false), ws::DropEffect::move);
    EXPECT_EQ(ws::drop_effect(a, b, root, true, false), ws::DropEffect::copy);
    EXPECT_EQ(ws::drop_effect(a1, b, root, false, true), ws::DropEffect::move);
    EXPECT_EQ(ws::drop_effect(x, b, root, false, true), ws::DropEffect::copy);  // another window's node
    EXPECT_EQ(ws::drop_effect(nullptr, b, root, false, false), ws::DropEffect::copy);
}

}  // namespace

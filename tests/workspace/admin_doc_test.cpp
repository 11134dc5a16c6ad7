// The document of one connection: the one owner of its session, which it logs out exactly once.
#include "workspace/admin_doc.h"

#include <gtest/gtest.h>

#include "support/fake_provider.h"
#include "support/fake_session.h"

namespace ws = kestra::workspace;
namespace hl = kestra::hostlink;
using kestra::testing::fake_provider;

namespace {

class AdminDoc : public kestra::testing::FakeSessionTest {
  protected:
    std::unique_ptr<hl::CHostSession> logged_in_session() {
        auto s = std::make_unique<hl::CHostSession>(std::move(session));
        s->set_logged_in(true);
        s->set_connection_name("Host1");
        s->set_provider_name("Net");
        return s;
    }
    static std::size_t logouts() {
        std::size_t n = 0;
        for (const auto& m : fake_provider().transmitted)
            if (m.size() >= 10 && m[6] == '0' && m.compare(7, 3, "003") == 0) ++n;
        return n;
    }
};

TEST_F(AdminDoc, ClosingLogsOutOnceAndTheDestructorDoesNotAgain) {
    {
        ws::CAdminDoc doc(logged_in_session());
        EXPECT_EQ(doc.close(), 0);
        EXPECT_TRUE(doc.closed());
        EXPECT_FALSE(doc.session().logged_in());
        EXPECT_EQ(doc.close(), 0);
    }
    EXPECT_EQ(logouts(), 1u);
}

TEST_F(AdminDoc, ADocumentThatGoesLogsOut) {
    { ws::CAdminDoc doc(logged_in_session()); }
    EXPECT_EQ(logouts(), 1u);
}

TEST_F(AdminDoc, ASessionThatIsNotLoggedInSendsNothing) {
    {
        ws::CAdminDoc doc(std::make_unique<hl::CHostSession>(std::move(session)));
        EXPECT_EQ(doc.close(), 0);
    }
    EXPECT_TRUE(fake_provider().transmitted.empty());
}

TEST_F(AdminDoc, TheClientWorksOnTheDocumentsOwnSession) {
    ws::CAdminDoc doc(logged_in_session());
    EXPECT_EQ(&doc.client().session(), &doc.session());
    EXPECT_EQ(doc.placement_suffix(), "HOST1NET");
    doc.close();
}

TEST_F(AdminDoc, SelectionDecidesTheStatusTextAndTheCommandState) {
    ws::CAdminDoc doc(logged_in_session());
    auto* sales = doc.root().add_child("SALES", 1);
    sales->config.description.assign("Sales office files");
    auto* east = sales->add_child("EAST", 2);
    sales->collapsed = true;

    EXPECT_EQ(doc.command_state(false, false).selected, ws::SelectedNode::none);
    EXPECT_EQ(doc.status_text(), "");
    doc.set_selected(&doc.root());
    EXPECT_EQ(doc.status_text(), "");
    auto s = doc.command_state(true, true);
    EXPECT_EQ(s.selected, ws::SelectedNode::root);
    EXPECT_TRUE(s.window && s.root_has_children && s.has_children && s.clipboard_has_data && s.allow_downloads);

    doc.set_selected(sales);
    sales->config.modified = true;
    doc.clipboard.owner = true;
    s = doc.command_state(false, false);
    EXPECT_EQ(s.selected, ws::SelectedNode::file);
    EXPECT_TRUE(s.has_children && s.collapsed && s.modified && s.clipboard_owner);
    EXPECT_EQ(doc.status_text(), "Sales office files");

    // A node of another tree is no selection of this one.
    kestra::model::CServerNode stranger;
    doc.set_selected(&stranger);
    EXPECT_EQ(doc.selected(), nullptr);
    doc.set_selected(east);
    EXPECT_EQ(doc.selected(), east);
    doc.close();
    EXPECT_EQ(doc.selected(), nullptr);
}

}  // namespace

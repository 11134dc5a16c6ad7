#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/admin_app.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "support/fake_provider.h"

using namespace kestra::configsvc;
using kestra::hostlink::CHostSession;
using kestra::model::CConfigFile;
using kestra::model::CConfigTable;
using kestra::model::CJoinField;
using kestra::model::CJoinMember;
using kestra::model::CServerNode;
using kestra::testing::fake_provider;

namespace {

int code_of(const std::string& sent) { return std::stoi(sent.substr(7, 3)); }
std::string body_of(const std::string& sent) { return sent.substr(14); }

class TableRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_provider().reset();
        kestra::app::admin_app() = kestra::app::CAdminApp();
        start(400);
    }
    void TearDown() override {
        EXPECT_EQ(fake_provider().buffers_outstanding, 0);
        fake_provider().reset();
    }
    void start(std::uint16_t message_size) {
        session.set_provider(fake_provider().table());
        session.set_connection(1);
        session.set_timeouts(30, 30);
        session.set_message_size(message_size);
        ASSERT_EQ(session.alloc_host_msg_buffer(), 0);
    }
    // A host that answers every request with `data` after the status.
    void answer_all(std::string data = "0") {
        fake_provider().responder = [data](std::string_view sent) {
            return std::vector<std::string>{
                fake_provider().next_host_message(2, code_of(std::string(sent)), data)};
        };
    }
    // A host that answers the n-th request (from 0) with a refusal, the others with "0".
    void refuse_request(std::size_t n) {
        auto count = std::make_shared<std::size_t>(0);
        fake_provider().responder = [count, n](std::string_view sent) {
            const bool refuse = (*count)++ == n;
            return std::vector<std::string>{fake_provider().next_host_message(
                2, code_of(std::string(sent)), refuse ? "2000300171 TABLE IS LOCKED0000" : "0")};
        };
    }
    std::vector<std::string>& sent() { return fake_provider().transmitted; }

    std::unique_ptr<CConfigTable> loaded_table(int handle) {
        auto t = std::make_unique<CConfigTable>();
        t->table_number = handle;
        t->table_handle = handle;
        t->loaded = true;
        return t;
    }
    std::string last_text() { return session.diagnostics().empty() ? "" : session.diagnostics().back().text; }

    CHostSession session;
};

// --- The pending-unload list ---

TEST_F(TableRequestTest, NineDeferredUnloadsLeaveEightAndUnloadTheFirstWithItsOwnSaveFlag) {
    answer_all();
    CConfigClient client(session);
    CPendingUnloadList pending;
    std::vector<std::unique_ptr<CConfigTable>> tables;
    for (int i = 1; i <= 9; ++i) tables.push_back(loaded_table(i));
    EXPECT_EQ(unload_table(client, pending, *tables[0], true, true), 0);
    for (int i = 1; i < 8; ++i) EXPECT_EQ(unload_table(client, pending, *tables[static_cast<std::size_t>(i)], false, true), 0);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(tables[0]->loaded);  // deferred: still loaded on the host and in the model

    EXPECT_EQ(unload_table(client, pending, *tables[8], false, true), 0);
    EXPECT_EQ(pending.size(), 8u);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(code_of(sent()[0]), 24);
    EXPECT_EQ(body_of(sent()[0]), "00011");
    EXPECT_FALSE(tables[0]->loaded);
    EXPECT_FALSE(pending.contains(tables[0].get()));
    EXPECT_EQ(pending.entries().back().table, tables[8].get());
}

TEST_F(TableRequestTest, DeferringAPendingTableMovesItToTheEndAndKeepsItsSaveFlag) {
    answer_all();
    CConfigClient client(session);
    CPendingUnloadList pending;
    auto a = loaded_table(1), b = loaded_table(2);
    unload_table(client, pending, *a, true, true);
    unload_table(client, pending, *b, false, true);
    unload_table(client, pending, *a, false, true);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending.entries()[0].table, b.get());
    EXPECT_EQ(pending.entries()[1].table, a.get());
    EXPECT_TRUE(pending.entries()[1].save);
    // A later unload without defer still keeps what the pending entry kept.
    EXPECT_EQ(unload_table(client, pending, *a, false, false), 0);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(body_of(sent()[0]), "00011");
    EXPECT_FALSE(pending.contains(a.get()));
}

TEST_F(TableRequestTest, UnloadAllSavesOnlyWhereEntryAndArgumentBothSay) {
    answer_all();
    CConfigClient client(session);
    CPendingUnloadList pending;
    auto a = loaded_table(1), b = loaded_table(2);
    unload_table(client, pending, *a, true, true);
    unload_table(client, pending, *b, false, true);
    EXPECT_EQ(unload_all_tables(client, pending, true), 0);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(body_of(sent()[0]), "00011");
    EXPECT_EQ(body_of(sent()[1]), "00020");
    EXPECT_TRUE(pending.empty());

    sent().clear();
    auto c = loaded_table(3);
    unload_table(client, pending, *c, true, true);
    unload_all_tables(client, pending, false);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(body_of(sent()[0]), "00030");
}

TEST_F(TableRequestTest, AFailedUnloadStillClearsTheDetailsAndAnUnloadedTableSendsNothing) {
    refuse_request(0);
    CConfigClient client(session);
    CPendingUnloadList pending;
    auto t = loaded_table(4);
    t->sets.push_back(std::make_unique<kestra::model::CTableSet>());
    t->sets_loaded = true;
    EXPECT_EQ(unload_table(client, pending, *t, true, false), -1);
    EXPECT_FALSE(t->loaded);
    EXPECT_FALSE(t->sets_loaded);
    EXPECT_TRUE(t->sets.empty());
    EXPECT_EQ(unload_table(client, pending, *t, true, false), 0);
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(TableRequestTest, ARecordIsTakenOutOfThePendingListBeforeAListRefreshOrADeleteDestroysIt) {
    CConfigFile file;
    file.file_reference = 7;
    file.tables.push_back(loaded_table(1));
    file.tables.push_back(loaded_table(2));
    CConfigClient client(session);
    CPendingUnloadList pending;
    answer_all();
    unload_table(client, pending, *file.tables[0], true, true);
    unload_table(client, pending, *file.tables[1], true, true);

    // Delete: the table goes without its changes.
    EXPECT_EQ(remove_tables(client, pending, file, std::vector<std::int32_t>{2}), 0);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(body_of(sent()[0]), "00020");
    EXPECT_EQ(code_of(sent()[1]), 22);
    EXPECT_EQ(body_of(sent()[1]), "000700010002.");
    ASSERT_EQ(file.tables.size(), 1u);
    EXPECT_TRUE(file.modified);
    EXPECT_EQ(pending.size(), 1u);

    // Refresh: the table goes with its own save flag, then the list is read.
    sent().clear();
    fake_provider().responder = [](std::string_view s) {
        const int code = code_of(std::string(s));
        return std::vector<std::string>{
            fake_provider().next_host_message(2, code, code == 51 ? "000010005003NEW100" : "0")};
    };
    EXPECT_EQ(get_table_list(client, pending, file), 0);
    EXPECT_TRUE(pending.empty());
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(body_of(sent()[0]), "00011");
    EXPECT_EQ(body_of(sent()[1]), "0007.");
    ASSERT_EQ(file.tables.size(), 1u);
    EXPECT_EQ(file.tables[0]->table_number, 5);
    EXPECT_EQ(file.tables[0]->name.str(), "NEW");
    EXPECT_TRUE(file.tables[0]->update_allowed);
    EXPECT_FALSE(file.tables[0]->return_groups);
}

// The file list replaces the whole tree: whatever of it waits to be unloaded goes first, without save, so that
// a later unload-all never reaches a destroyed record (the sanitizers would see it).
TEST_F(TableRequestTest, AFileListRefreshUnloadsWhatWaitsInTheOldTreeWithoutSave) {
    CServerNode root;
    CServerNode* sales = root.add_child("SALES", 1);
    CServerNode* stock = sales->add_child("STOCK", 2);
    sales->config.tables.push_back(loaded_table(4));
    stock->config.tables.push_back(loaded_table(6));
    auto elsewhere = loaded_table(9);  // a table outside this tree stays pending
    CConfigClient client(session);
    CPendingUnloadList pending;
    answer_all();
    unload_table(client, pending, *sales->config.tables[0], true, true);
    unload_table(client, pending, *elsewhere, true, true);
    unload_table(client, pending, *stock->config.tables[0], true, true);
    ASSERT_EQ(pending.size(), 3u);
    ASSERT_TRUE(sent().empty());

    fake_provider().responder = [](std::string_view sent) {
        const int code = code_of(std::string(sent));
        return std::vector<std::string>{
            fake_provider().next_host_message(2, code, code == 13 ? "0" "0001" "0001" "0000" "005SALES" : "0")};
    };
    ASSERT_EQ(get_config_list(client, pending, root), 0) << last_text();
    ASSERT_EQ(sent().size(), 3u);
    EXPECT_EQ(code_of(sent()[0]), 24);
    EXPECT_EQ(body_of(sent()[0]), "00040");
    EXPECT_EQ(code_of(sent()[1]), 24);
    EXPECT_EQ(body_of(sent()[1]), "00060");
    EXPECT_EQ(code_of(sent()[2]), 13);
    ASSERT_EQ(root.children().size(), 1u);
    EXPECT_TRUE(root.children()[0]->config.tables.empty());
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending.entries().front().table, elsewhere.get());

    answer_all();
    EXPECT_EQ(unload_all_tables(client, pending, true), 0);
    ASSERT_EQ(sent().size(), 4u);
    EXPECT_EQ(body_of(sent()[3]), "00091");
    EXPECT_TRUE(pending.empty());
}

// A table the host names with more characters than a person may type is loaded whole and goes back unchanged, so
// saving it never renames it on the host.
TEST_F(TableRequestTest, HostTextsAreLoadedWholeAndSentBackUnchanged) {
    const std::string name(35, 'N'), database(20, 'D'), set(20, 'S'), where(300, 'W');
    auto text = [](const std::string& t) {
        char head[4];
        std::snprintf(head, sizeof head, "%03zu", t.size());
        return head + t;
    };
    const std::string load_reply =
        "00042" + text(name) + "0000011" + text(database) + text("DATASET") + text(set) + text("DESC") + text(where);
    fake_provider().responder = [load_reply](std::string_view sent) {
        const int code = code_of(std::string(sent));
        const std::string list = "00001" "0005" "035" + std::string(35, 'N') + "010";
        return std::vector<std::string>{fake_provider().next_host_message(
            2, code, code == 23 ? load_reply : code == 51 ? list : std::string("0"))};
    };
    CConfigClient client(session);
    CConfigFile file;
    file.file_reference = 7;
    CPendingUnloadList pending;
    ASSERT_EQ(get_table_list(client, pending, file), 0) << last_text();
    ASSERT_EQ(file.tables.size(), 1u);
    EXPECT_EQ(file.tables[0]->name.str(), name);
    EXPECT_EQ(file.find_table(name), file.tables[0].get());
    EXPECT_EQ(file.find_table(name.substr(0, 29)), nullptr);

    CConfigTable& t = *file.tables[0];
    ASSERT_EQ(load_table(client, 7, t), 0) << last_text();
    EXPECT_EQ(t.name.str(), name);
    EXPECT_EQ(t.database.str(), database);
    EXPECT_EQ(t.set.str(), set);
    EXPECT_EQ(t.where_condition.str(), where);

    t.return_groups = false;
    t.changed = true;
    sent().clear();
    ASSERT_EQ(modify_tables(client, 7, file.tables), 0) << last_text();
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_NE(body_of(sent()[0]).find(text(name)), std::string::npos) << body_of(sent()[0]);
    EXPECT_NE(body_of(sent()[0]).find(text(database)), std::string::npos);
    EXPECT_NE(body_of(sent()[0]).find(text(set)), std::string::npos);
}

TEST_F(TableRequestTest, ReplacingARecordTakesTheOldOneOutOfThePendingList) {
    answer_all();
    CConfigFile file;
    file.tables.push_back(loaded_table(3));
    CConfigClient client(session);
    CPendingUnloadList pending;
    unload_table(client, pending, *file.tables[0], false, true);
    EXPECT_TRUE(replace_table(client, pending, file, 0, std::make_unique<CConfigTable>()));
    EXPECT_TRUE(pending.empty());
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(body_of(sent()[0]), "00030");
    EXPECT_FALSE(replace_table(client, pending, file, 1, std::make_unique<CConfigTable>()));
}

TEST_F(TableRequestTest, AnEditedCopyOfAPendingTableTakesOverItsEntry) {
    answer_all();
    CConfigFile file;
    file.tables.push_back(loaded_table(3));
    file.tables.push_back(loaded_table(4));
    CConfigClient client(session);
    CPendingUnloadList pending;
    unload_table(client, pending, *file.tables[0], true, true);
    unload_table(client, pending, *file.tables[1], false, true);
    auto copy = loaded_table(3);
    CConfigTable* copy_record = copy.get();
    // Same host table: nothing is unloaded, and the copy keeps the old entry's place and save flag.
    EXPECT_TRUE(replace_table(client, pending, file, 0, std::move(copy)));
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending.entries().front().table, copy_record);
    EXPECT_TRUE(pending.entries().front().save);
    ASSERT_EQ(unload_all_tables(client, pending, true), 0);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(body_of(sent()[0]), "00031");
    EXPECT_EQ(body_of(sent()[1]), "00040");

    // Another handle is another host table: the old one is unloaded first.
    file.tables[1]->loaded = true;
    unload_table(client, pending, *file.tables[1], false, true);
    sent().clear();
    EXPECT_TRUE(replace_table(client, pending, file, 1, loaded_table(5)));
    EXPECT_TRUE(pending.empty());
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(body_of(sent()[0]), "00040");
}

// --- Modify tables ---

std::unique_ptr<CConfigTable> changed_table(int number, const std::string& name) {
    auto t = std::make_unique<CConfigTable>();
    t->table_number = number;
    t->name.assign(name);
    t->database.assign("SALESDB");
    t->dataset.assign("A-DATASET-WITH-A-LONG-NAME");
    t->description_file.assign("(PROD)DESCRIPTION/SALESDB ON DBPACK");
    t->changed = true;
    return t;
}

TEST_F(TableRequestTest, FortyChangedTablesWithLongNamesGoInSeveralMessagesEachWithItsCount) {
    answer_all();
    CConfigClient client(session);
    std::vector<std::unique_ptr<CConfigTable>> tables;
    for (int i = 1; i <= 40; ++i) tables.push_back(changed_table(i, "A_LONG_TABLE_NAME_NUMBER_" + std::to_string(1000 + i)));
    tables.push_back(changed_table(41, "UNCHANGED"));
    tables.back()->changed = false;
    EXPECT_EQ(modify_tables(client, 12, tables), 0);
    ASSERT_GT(sent().size(), 1u);
    int total = 0;
    for (const auto& s : sent()) {
        EXPECT_EQ(code_of(s), 34);
        const std::string body = body_of(s);
        EXPECT_LE(body.size(), session.data_limit());
        EXPECT_EQ(body.substr(0, 4), "0012");
        const int count = std::stoi(body.substr(4, 4));
        // Every entry here is 26 + 29 + 7 + 0 + 26 + 35 characters.
        EXPECT_EQ(body.size(), 8u + static_cast<std::size_t>(count) * (26 + 29 + 7 + 26 + 35)) << body;
        total += count;
    }
    EXPECT_EQ(total, 40);
    for (int i = 0; i < 40; ++i) EXPECT_FALSE(tables[static_cast<std::size_t>(i)]->changed);
    EXPECT_EQ(body_of(sent()[0]).substr(8, 4), "0001");
}

TEST_F(TableRequestTest, ARefusedModifyLeavesTheFlagsOfItsMessageAndLaterOnesSet) {
    refuse_request(1);
    CConfigClient client(session);
    std::vector<std::unique_ptr<CConfigTable>> tables;
    for (int i = 1; i <= 12; ++i) tables.push_back(changed_table(i, "A_LONG_TABLE_NAME_NUMBER_" + std::to_string(1000 + i)));
    EXPECT_EQ(modify_tables(client, 1, tables), -1);
    ASSERT_EQ(sent().size(), 2u);
    const int first = std::stoi(body_of(sent()[0]).substr(4, 4));
    for (int i = 0; i < 12; ++i) EXPECT_EQ(tables[static_cast<std::size_t>(i)]->changed, i >= first) << i;
    EXPECT_EQ(last_text(), "1 TABLE IS LOCKED");
}

TEST_F(TableRequestTest, ModifyLeavesAJoinTablesFlagForItsMembersRequest) {
    answer_all();
    CConfigClient client(session);
    std::vector<std::unique_ptr<CConfigTable>> tables;
    tables.push_back(changed_table(1, "PLAIN"));
    tables.push_back(changed_table(2, "JOINED"));
    tables.back()->join_table = true;
    EXPECT_EQ(modify_tables(client, 1, tables), 0);
    EXPECT_FALSE(tables[0]->changed);
    EXPECT_TRUE(tables[1]->changed);
}

TEST_F(TableRequestTest, AnEntryThatCannotFitAnEmptyMessageSendsNothing) {
    answer_all();
    CConfigClient client(session);
    std::vector<std::unique_ptr<CConfigTable>> tables;
    tables.push_back(changed_table(1, "SMALL"));
    tables.push_back(changed_table(2, "HUGE"));
    tables.back()->description_file.assign(std::string(400, 'D'));
    EXPECT_EQ(modify_tables(client, 1, tables), -1);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(tables[0]->changed);
    EXPECT_EQ(session.diagnostics().back().sqlstate_index, kestra::hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot modify config file table");

    EXPECT_EQ(add_tables(client, 1, tables), -1);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot add config file table");
}

TEST_F(TableRequestTest, TheTableOptionTravelsBackExactlyAsReceived) {
    CConfigClient client(session);
    CConfigTable t;
    t.table_number = 3;
    fake_provider().responder = [](std::string_view s) {
        return std::vector<std::string>{fake_provider().next_host_message(
            2, code_of(std::string(s)), "00042005TABLE7000010005DBASE003SET000004DESC007A = 'B'")};
    };
    ASSERT_EQ(load_table(client, 9, t), 0);
    EXPECT_EQ(body_of(sent()[0]), "00090003");
    EXPECT_EQ(t.table_option, 70000);
    EXPECT_EQ(t.table_handle, 42);
    EXPECT_TRUE(t.update_allowed);
    EXPECT_FALSE(t.return_groups);
    EXPECT_EQ(t.database.str(), "DBASE");
    EXPECT_EQ(t.dataset.str(), "SET");
    EXPECT_EQ(t.set.str(), "");
    EXPECT_EQ(t.description_file.str(), "DESC");
    EXPECT_EQ(t.where_condition.str(), "A = 'B'");
    EXPECT_TRUE(t.loaded);

    // Loading a loaded table sends nothing.
    EXPECT_EQ(load_table(client, 9, t), 0);
    EXPECT_EQ(sent().size(), 1u);

    answer_all();
    t.changed = true;
    std::vector<std::unique_ptr<CConfigTable>> tables;
    tables.push_back(std::make_unique<CConfigTable>());
    tables[0]->table_number = 3;
    tables[0]->table_option = t.table_option;
    tables[0]->changed = true;
    EXPECT_EQ(modify_tables(client, 9, tables), 0);
    EXPECT_EQ(body_of(sent()[1]).substr(8, 4 + 3 + 5), "000300070000");
}

TEST_F(TableRequestTest, AShortLoadReplyLeavesTheTableUnloadedAndGivesTheHandleBack) {
    CConfigClient client(session);
    CConfigTable t;
    fake_provider().responder = [](std::string_view s) {
        const int code = code_of(std::string(s));
        return std::vector<std::string>{fake_provider().next_host_message(2, code, code == 23 ? "00042005TAB" : "0")};
    };
    EXPECT_EQ(load_table(client, 1, t), -1);
    EXPECT_FALSE(t.loaded);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(code_of(sent()[1]), 24);
    EXPECT_EQ(body_of(sent()[1]), "00420");
}

TEST_F(TableRequestTest, AddTablesStoresTheNumbersOfEachMessage) {
    CConfigClient client(session);
    std::vector<std::unique_ptr<CConfigTable>> tables;
    for (int i = 0; i < 6; ++i) tables.push_back(changed_table(0, "NEW_TABLE_" + std::to_string(i)));
    auto next = std::make_shared<int>(100);
    fake_provider().responder = [next](std::string_view s) {
        const std::string body = body_of(std::string(s));
        const int count = std::stoi(body.substr(4, 4));
        std::string reply = "0";
        for (int i = 0; i < count; ++i) reply += std::to_string((*next)++).insert(0, 1, '0');
        return std::vector<std::string>{fake_provider().next_host_message(2, 21, reply)};
    };
    EXPECT_EQ(add_tables(client, 4, tables), 0);
    EXPECT_GT(sent().size(), 1u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(tables[static_cast<std::size_t>(i)]->table_number, 100 + i);
}

// --- Sets ---

TEST_F(TableRequestTest, SetsAreReadWithTheirKeysAndNotReloaded) {
    CConfigClient client(session);
    CConfigTable t;
    t.table_handle = 8;
    t.loaded = true;
    fake_provider().queue_received(fake_provider().next_host_message(2, 54, "0002005BY-ID1010002000101000200"));
    fake_provider().queue_received(fake_provider().next_host_message(2, 54, "004NONE0000000"));
    ASSERT_EQ(load_sets(client, t), 0);
    EXPECT_EQ(body_of(sent()[0]), "0008");
    ASSERT_EQ(t.sets.size(), 2u);
    EXPECT_EQ(t.sets[0]->set_name.str(), "BY-ID");
    EXPECT_EQ(t.sets[0]->first_attribute, 1);
    EXPECT_EQ(t.sets[0]->third_attribute, 1);
    ASSERT_EQ(t.sets[0]->keys.size(), 2u);
    EXPECT_EQ(t.sets[0]->keys[0].field_number, 1);
    EXPECT_EQ(t.sets[0]->keys[0].second_attribute, 1);
    EXPECT_EQ(t.sets[0]->keys[1].field_number, 2);
    EXPECT_TRUE(t.sets[1]->keys.empty());
    EXPECT_TRUE(t.sets_loaded);
    EXPECT_EQ(load_sets(client, t), 0);
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(TableRequestTest, ASetListThatEndsEarlyIsAFailureAndNotLoaded) {
    CConfigClient client(session);
    CConfigTable t;
    fake_provider().queue_received(fake_provider().next_host_message(2, 54, "0002005BY-ID1010000"));
    EXPECT_EQ(load_sets(client, t), -1);
    EXPECT_FALSE(t.sets_loaded);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Receive error getting field names");
    EXPECT_TRUE(session.out_of_step());

    // A key count that the message cannot hold is a broken entry, never a long loop.
    fake_provider().queue_received(fake_provider().next_host_message(2, 54, "0001005BY-ID1019999000101"));
    EXPECT_EQ(load_sets(client, t), -1);
    EXPECT_TRUE(t.sets.empty());
}

// --- Join tables ---

std::unique_ptr<CJoinMember> member(const std::string& sub, std::vector<std::pair<std::int32_t, std::string>> fields) {
    auto m = std::make_unique<CJoinMember>();
    m->sub_table.assign(sub);
    for (auto& [kind, value] : fields) {
        auto f = std::make_unique<CJoinField>();
        f->field.assign("KEY");
        f->kind = kind;
        f->member_number = 1;
        f->value.assign(value);
        m->join_fields.push_back(std::move(f));
    }
    return m;
}

TEST_F(TableRequestTest, AJoinFieldOfKindNoneEndsTheMembersConditions) {
    answer_all();
    CConfigClient client(session);
    CConfigTable t;
    t.table_handle = 5;
    t.changed = true;
    t.members.push_back(member("A", {}));
    t.members.push_back(member("B", {{0, "ID"}, {-1, ""}, {2, "'X'"}}));
    EXPECT_EQ(modify_join_members(client, t), 0);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(body_of(sent()[0]),
              "00050002"
              "001A00000000000"
              "001B00000000001"
              "003KEY00001002ID");
    EXPECT_FALSE(t.changed);

    EXPECT_EQ(modify_join_members(client, t), 0);  // unchanged: nothing to send
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(TableRequestTest, MembersBeyondOneMessageGoInContinuationsOfMemberDataOnly) {
    answer_all();
    CConfigClient client(session);
    CConfigTable t;
    t.table_handle = 5;
    t.changed = true;
    for (int i = 0; i < 6; ++i) t.members.push_back(member(std::string(100, static_cast<char>('A' + i)), {}));
    EXPECT_EQ(modify_join_members(client, t), 0);
    ASSERT_GT(sent().size(), 1u);
    const std::string first = body_of(sent()[0]);
    EXPECT_EQ(first.substr(0, 8), "00050006");
    EXPECT_EQ(first.substr(8, 4), "100A");
    for (std::size_t i = 1; i < sent().size(); ++i) {
        const std::string body = body_of(sent()[i]);
        EXPECT_EQ(body.substr(0, 3), "100") << body;  // a member's sub table, no handle or count
        EXPECT_EQ(code_of(sent()[i]), 56);
    }
    std::size_t total = 0;
    for (const auto& s : sent()) total += body_of(s).size();
    EXPECT_EQ(total, 8u + 6u * (103 + 3 + 3 + 1 + 4));
    EXPECT_FALSE(t.changed);
}

TEST_F(TableRequestTest, EveryMembersReplyIsCheckedAndARefusalKeepsTheFlag) {
    refuse_request(0);
    CConfigClient client(session);
    CConfigTable t;
    t.changed = true;
    for (int i = 0; i < 6; ++i) t.members.push_back(member(std::string(100, 'M'), {}));
    EXPECT_EQ(modify_join_members(client, t), -1);
    EXPECT_EQ(sent().size(), 1u);
    EXPECT_TRUE(t.changed);
    EXPECT_EQ(last_text(), "1 TABLE IS LOCKED");
}

TEST_F(TableRequestTest, AMemberThatCannotFitAnyMessageSendsNothing) {
    answer_all();
    CConfigClient client(session);
    CConfigTable t;
    t.changed = true;
    t.members.push_back(member("SMALL", {}));
    t.members.push_back(member(std::string(390, 'M'), {}));
    EXPECT_EQ(modify_join_members(client, t), -1);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(t.changed);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot modify config file table");
}

TEST_F(TableRequestTest, AJoinTableLoadsItsMembersAcrossMessages) {
    CConfigClient client(session);
    CConfigTable t;
    t.table_number = 3;
    t.join_table = true;
    fake_provider().queue_received(
        fake_provider().next_host_message(2, 55, "000170002008CUSTOMER005A = 1005BY-ID00000"));
    fake_provider().queue_received(
        fake_provider().next_host_message(2, 55, "006ORDERS00000010002008ORD-CUST00001007CUST-ID003KEY2003'O'"));
    ASSERT_EQ(load_join_table(client, 4, t, false), 0);
    EXPECT_EQ(body_of(sent()[0]), "00040003");
    EXPECT_EQ(t.table_handle, 17);
    ASSERT_EQ(t.members.size(), 2u);
    EXPECT_EQ(t.members[0]->where_condition.str(), "A = 1");
    EXPECT_EQ(t.members[1]->join_kind, 1);
    ASSERT_EQ(t.members[1]->join_fields.size(), 2u);
    EXPECT_EQ(t.members[1]->join_fields[0]->member_number, 1);
    EXPECT_EQ(t.members[1]->join_fields[0]->value.str(), "CUST-ID");
    EXPECT_EQ(t.members[1]->join_fields[1]->kind, 2);
    EXPECT_EQ(t.members[1]->join_fields[1]->value.str(), "'O'");
    EXPECT_TRUE(t.loaded);
}

TEST_F(TableRequestTest, AJoinMemberListThatEndsEarlyLeavesNothingLoaded) {
    CConfigClient client(session);
    CConfigTable t;
    t.join_table = true;
    fake_provider().responder = [](std::string_view s) {
        const int code = code_of(std::string(s));
        // Two members promised, one arrives, then the line is silent.
        return std::vector<std::string>{fake_provider().next_host_message(
            2, code, code == 55 ? "000170002008CUSTOMER000000000000" : "0")};
    };
    EXPECT_EQ(load_join_table(client, 4, t, false), -1);
    EXPECT_FALSE(t.loaded);
    EXPECT_TRUE(t.members.empty());
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(code_of(sent()[1]), 24);
    EXPECT_EQ(body_of(sent()[1]), "00170");
}

TEST_F(TableRequestTest, AHeaderOnlyLoadReadsTheHandleAlone) {
    fake_provider().queue_received(fake_provider().next_host_message(2, 55, "00023"));
    CConfigClient client(session);
    CConfigTable t;
    t.members.push_back(member("KEPT", {}));
    ASSERT_EQ(load_join_table(client, 4, t, true), 0);
    EXPECT_EQ(t.table_handle, 23);
    EXPECT_TRUE(t.loaded);
    EXPECT_EQ(t.members.size(), 1u);
}

TEST_F(TableRequestTest, JoinHeaderRequestsCarryTheNameAndOption) {
    fake_provider().queue_received(fake_provider().next_host_message(2, 52, "00031"));
    CConfigClient client(session);
    CConfigTable t;
    t.name.assign("new_join");
    t.table_option = 5;
    ASSERT_EQ(add_join_table(client, 2, t), 0);
    EXPECT_EQ(body_of(sent()[0]), "00020001008new_join00005");
    EXPECT_EQ(t.table_number, 31);
    answer_all();
    ASSERT_EQ(modify_join_header(client, 2, t), 0);
    EXPECT_EQ(body_of(sent()[1]), "000200010031008new_join00005");
}

// --- Saving an edited table ---

TEST_F(TableRequestTest, SavingATableSendsWhereModifyFieldsThenUnloadAndRunsOnAfterAFailure) {
    refuse_request(0);
    CConfigClient client(session);
    CPendingUnloadList pending;
    CConfigFile file;
    file.file_reference = 3;
    file.tables.push_back(changed_table(1, "EDITED"));
    CConfigTable& t = *file.tables[0];
    t.loaded = true;
    t.table_handle = 9;
    t.where_condition.assign("x = 1");
    std::vector<int> order;
    TableSaveOptions options;
    options.where_changed = true;
    options.fields = [&](CConfigClient&, CConfigTable& table) {
        order.push_back(static_cast<int>(sent().size()));
        EXPECT_EQ(&table, &t);
        return std::int16_t{0};
    };
    EXPECT_EQ(save_table(client, pending, file, t, options), -1);
    ASSERT_EQ(sent().size(), 3u);
    EXPECT_EQ(code_of(sent()[0]), 41);
    EXPECT_EQ(body_of(sent()[0]), "0009005x = 1");
    EXPECT_EQ(code_of(sent()[1]), 34);
    EXPECT_EQ(order, std::vector<int>{2});
    EXPECT_EQ(code_of(sent()[2]), 24);
    EXPECT_EQ(body_of(sent()[2]), "00091");
    EXPECT_TRUE(file.modified);
    EXPECT_FALSE(t.loaded);
}

}  // namespace

#include <gtest/gtest.h>

#include "app/admin_app.h"
#include "configsvc/catalogue_requests.h"
#include "configsvc/table_selection_model.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"

using namespace kestra::configsvc;
using kestra::hostlink::CHostSession;
using kestra::model::CConfigTable;
using kestra::model::CDescDatasetEntry;
using kestra::testing::fake_provider;

namespace {

constexpr const char* kDescfile = "(PROD)DESCRIPTION/SALESDB ON DBPACK";

std::string dataset_entry(const std::string& name, int type) {
    char length[4];
    std::snprintf(length, sizeof length, "%03zu", name.size());
    return length + name + std::to_string(type);
}

class CatalogueTest : public kestra::testing::FakeSessionTest {
protected:
    std::string sent(std::size_t i) const { return fake_provider().transmitted.at(i).substr(14); }
    std::string names_of(const DatasetList& list) const {
        std::string out;
        for (const auto& d : list) out += (out.empty() ? "" : " ") + d->name.str();
        return out;
    }
};

// --- Requests ---

TEST_F(CatalogueTest, DescriptionFileListInHostOrder) {
    queue(12, "00002" "011(A)X ON PK1" "011(B)Y ON PK2");
    CConfigClient client(session);
    std::vector<std::string> names{"stale"};
    ASSERT_EQ(get_descfile_list(client, names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"(A)X ON PK1", "(B)Y ON PK2"}));
    EXPECT_EQ(sent(0), ".");
}

TEST_F(CatalogueTest, DatabaseListSendsTheRawNameUpperCased) {
    queue(3, "00002" "007SALESDB" "009SALESHIST");
    CConfigClient client(session);
    DatabaseList databases;
    ASSERT_EQ(get_descfile_databases(client, "(prod)description/salesdb on dbpack", databases), 0);
    EXPECT_EQ(sent(0), "(PROD)DESCRIPTION/SALESDB ON DBPACK.");
    ASSERT_EQ(databases.size(), 2u);
    EXPECT_EQ(databases[1]->database_name.str(), "SALESHIST");
}

TEST_F(CatalogueTest, DescriptionFileNamesBreakingTheRuleAreRefusedUnsent) {
    struct Case {
        const char* name;
        const char* problem;
    } cases[] = {
        {"", kNoDescfileName},
        {".X", kNoDescfileName},
        {"DESCRIPTION/SALESDB ON DBPACK", kDescfileNameRule},       // no usercode
        {"(PROD)DESCRIPTION/SALESDB", kDescfileNameRule},           // no pack
        {"(PROD DESCRIPTION/SALESDB ON DBPACK", kDescfileNameRule},  // no ")"
        {"(PR ON )DESCRIPTION/SALESDB", kDescfileNameRule},         // " ON " before the ")"
    };
    for (const auto& c : cases) {
        session.clear_errors();
        CConfigClient client(session);
        DatabaseList databases;
        EXPECT_EQ(get_descfile_databases(client, c.name, databases), -1) << c.name;
        ASSERT_EQ(session.diagnostics().size(), 1u) << c.name;
        EXPECT_EQ(session.diagnostics().front().sqlstate_index, kestra::hostlink::kSqlGeneralFailure);
        EXPECT_EQ(last_text(), std::string("[Brisel Software][Kestra ODBC Driver]") + c.problem) << c.name;
    }
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(descfile_name_problem("*DESCRIPTION/X on PACK"), nullptr);
    EXPECT_EQ(descfile_name_problem("(u)D on P"), nullptr);
}

TEST_F(CatalogueTest, OverlongRawTextsAreRefusedUnsent) {
    CConfigClient client(session);
    DatabaseList databases;
    const std::string name = "(A)" + std::string(190, 'X') + " ON P";  // passes the rule, not the data limit
    EXPECT_EQ(get_descfile_databases(client, name, databases), -1);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot get description file database list");
    kestra::model::CDescDatabaseEntry database;
    database.database_name.assign("DB");
    EXPECT_EQ(get_descfile_datasets(client, "(A)" + std::string(1000, 'X') + " ON P", database), -1);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot get description file data set list");
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(session.receive_timeout(), 30);
}

TEST_F(CatalogueTest, DatasetListWaitsWithoutLimitAndRestoresTheTimeOut) {
    queue(4, "000003" + dataset_entry("CUSTOMER", 0) + dataset_entry("CUST-BY-ID", 1));
    queue(4, dataset_entry("ORDERS", 0));
    CConfigClient client(session);
    kestra::model::CDescDatabaseEntry database;
    database.database_name.assign("salesdb");
    ASSERT_EQ(get_descfile_datasets(client, kDescfile, database), 0);
    EXPECT_EQ(sent(0), "(PROD)DESCRIPTION/SALESDB ON DBPACK.SALESDB.");
    ASSERT_EQ(fake_provider().receive_timeouts.size(), 2u);
    EXPECT_EQ(fake_provider().receive_timeouts[0], 255);
    EXPECT_EQ(fake_provider().receive_timeouts[1], 255);
    EXPECT_EQ(session.receive_timeout(), 30);
    EXPECT_TRUE(database.datasets_held);
    ASSERT_EQ(database.datasets.size(), 3u);
    EXPECT_EQ(database.datasets[1]->base_dataset.str(), "CUSTOMER");
    EXPECT_TRUE(database.datasets[1]->is_set());
    EXPECT_EQ(database.datasets[2]->base_dataset.str(), "ORDERS");
}

TEST_F(CatalogueTest, TheTimeOutIsRestoredAfterRefusalsAndSendFailures) {
    kestra::model::CDescDatabaseEntry database;
    database.database_name.assign("DB");
    queue(4, "2000300161 NO SUCH DATABASE0000");
    {
        CConfigClient client(session);
        EXPECT_EQ(get_descfile_datasets(client, kDescfile, database), -1);
    }
    EXPECT_EQ(session.receive_timeout(), 30);
    fake_provider().transmit_result = -1;
    {
        CConfigClient client(session);
        EXPECT_NE(get_descfile_datasets(client, kDescfile, database), 0);
    }
    EXPECT_EQ(session.receive_timeout(), 30);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot get description file data set list");
    EXPECT_FALSE(database.datasets_held);
}

TEST_F(CatalogueTest, ADatasetListEndingEarlyIsAFailureAndNotHeld) {
    queue(4, "000003" + dataset_entry("CUSTOMER", 0));  // two more promised; none come
    CConfigClient client(session);
    kestra::model::CDescDatabaseEntry database;
    database.database_name.assign("DB");
    EXPECT_EQ(get_descfile_datasets(client, kDescfile, database), -1);
    EXPECT_FALSE(database.datasets_held);
    EXPECT_EQ(database.datasets.size(), 1u);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Receive error getting data set list");
    EXPECT_LE(session.receive_timeout(), 30);
}

TEST_F(CatalogueTest, ASetBeforeAnyDatasetHasAnEmptyBaseAndLargeCountsReadWhole) {
    std::string data = "070000";  // "0" status, then N(5) 70000: more than 16 bits hold
    data += dataset_entry("LOOSE-SET", 1);
    queue(4, data);
    CConfigClient client(session);
    kestra::model::CDescDatabaseEntry database;
    database.database_name.assign("DB");
    EXPECT_EQ(get_descfile_datasets(client, kDescfile, database), -1);  // the rest never comes
    ASSERT_EQ(database.datasets.size(), 1u);
    EXPECT_TRUE(database.datasets[0]->base_dataset.empty());
}

// --- Dataset order ---

DatasetList make_list(std::initializer_list<std::pair<const char*, int>> entries) {
    DatasetList list;
    std::string base;
    for (const auto& [name, type] : entries) {
        auto e = std::make_unique<CDescDatasetEntry>();
        e->name.assign(name);
        e->dataset_type = static_cast<std::uint8_t>(type);
        if (type == 0) base = name;
        e->base_dataset.assign(base);
        list.push_back(std::move(e));
    }
    return list;
}

TEST_F(CatalogueTest, SortedDatasetsAreEachFollowedByTheirSetsInNameOrder) {
    DatasetList list = make_list({{"orders", 0}, {"ORD-Z", 1}, {"ord-a", 1}, {"CUSTOMER", 0}, {"CUST-B", 1},
                                  {"cust-a", 1}, {"ALPHA", 0}});
    sort_datasets(list);
    EXPECT_EQ(names_of(list), "ALPHA CUSTOMER cust-a CUST-B orders ord-a ORD-Z");
}

// --- Table selection ---

class SelectionTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        auto t = std::make_unique<CConfigTable>();
        t->name.assign("ORDERS");
        existing.push_back(std::move(t));
    }
    // Fetches SALESDB / SALESHIST and selects SALESDB with its datasets in host order.
    void open_salesdb(CTableSelectionModel& model, CConfigClient& client) {
        model.set_descfile_name(kDescfile);
        queue(3, "00002" "007SALESDB" "009SALESHIST");
        ASSERT_EQ(model.fetch_databases(client), 0);
        queue(4, "000005" + dataset_entry("CUST-HIST", 0) + dataset_entry("BY-NAME(1)", 1) +
                     dataset_entry("ALPHA", 0) + dataset_entry("ALPHA-SET", 1) + dataset_entry("A-SET", 1));
        ASSERT_EQ(model.select_database(client, "SALESDB"), 0);
    }

    TableList existing;
    std::vector<std::string> prompts;
    // A name dialog that answers from a script: each entry is the edited name, or nothing to cancel.
    std::vector<std::optional<std::string>> answers;
    TableNameEditor editor() {
        return [this](const std::string& message, std::string& name) {
            prompts.push_back(message);
            if (answers.empty() || !answers.front()) {
                if (!answers.empty()) answers.erase(answers.begin());
                return false;
            }
            name = *answers.front();
            answers.erase(answers.begin());
            return true;
        };
    }
};

TEST_F(SelectionTest, NamesAreDerivedFromDatasetsAndSets) {
    EXPECT_EQ(derive_table_name("CUST-HIST"), "CUST_HIST");
    EXPECT_EQ(derive_table_name("BY-NAME(1)"), "BY_NAME_1");
    EXPECT_EQ(derive_table_name("A(B,C=D)E"), "A_B_C_DE");
}

TEST_F(SelectionTest, InsertedTablesCarryTheEntryAndTheDefaults) {
    CTableSelectionModel model(existing, true, false);
    CConfigClient client(session);
    open_salesdb(model, client);
    EXPECT_FALSE(model.ok_enabled());
    ASSERT_EQ(model.copy({1, 0}, editor()), 0);
    ASSERT_EQ(model.new_tables().size(), 2u);
    const CConfigTable& dataset = *model.new_tables()[0];
    EXPECT_EQ(dataset.name.str(), "CUST_HIST");
    EXPECT_EQ(dataset.dataset.str(), "CUST-HIST");
    EXPECT_FALSE(dataset.over_a_set);
    EXPECT_TRUE(dataset.set.empty());
    EXPECT_TRUE(dataset.update_allowed);
    EXPECT_FALSE(dataset.return_groups);
    EXPECT_EQ(dataset.database.str(), "SALESDB");
    EXPECT_EQ(dataset.description_file.str(), kDescfile);
    EXPECT_EQ(dataset.table_number, 0);
    const CConfigTable& set = *model.new_tables()[1];
    EXPECT_EQ(set.name.str(), "BY_NAME_1");
    EXPECT_EQ(set.dataset.str(), "CUST-HIST");
    EXPECT_TRUE(set.over_a_set);
    EXPECT_EQ(set.set.str(), "BY-NAME(1)");
    EXPECT_TRUE(model.ok_enabled());
    EXPECT_TRUE(prompts.empty());
}

TEST_F(SelectionTest, TwentyNineCharactersAreAcceptedThirtyGoToTheNameDialog) {
    CTableSelectionModel model(existing, false, false);
    CDescDatasetEntry entry;
    entry.name.assign(std::string(29, 'A'));
    entry.base_dataset.assign(entry.name.view());
    EXPECT_EQ(model.insert_table(entry, editor()), 0);
    EXPECT_TRUE(prompts.empty());
    entry.name.assign(std::string(30, 'B'));
    answers = {std::string(31, 'C'), std::string("SHORTER")};
    EXPECT_EQ(model.insert_table(entry, editor()), 0);
    EXPECT_EQ(prompts, (std::vector<std::string>{kTableNameTooLong, kTableNameTooLong}));
    EXPECT_EQ(model.new_tables().back()->name.str(), "SHORTER");
}

TEST_F(SelectionTest, DuplicatesIgnoringCaseGoToTheNameDialogAndCancelCreatesNothing) {
    CTableSelectionModel model(existing, false, false);
    CDescDatasetEntry entry;
    entry.name.assign("Cust");
    ASSERT_EQ(model.insert_table(entry, editor()), 0);
    entry.name.assign("CUST");
    answers = {std::nullopt};
    EXPECT_EQ(model.insert_table(entry, editor()), 1);
    EXPECT_EQ(prompts, std::vector<std::string>{kDuplicateTableNameText});
    entry.name.assign("orders");  // a table of the file
    answers = {std::nullopt};
    EXPECT_EQ(model.insert_table(entry, editor()), 1);
    EXPECT_EQ(model.new_table_count(), 1);
    answers = {std::string("")};  // an emptied name is not taken either
    entry.name.assign("ORDERS");
    EXPECT_EQ(model.insert_table(entry, editor()), 1);
    EXPECT_EQ(prompts.at(3), kEmptyTableNameText);
}

TEST_F(SelectionTest, CopyStopsAtTheFirstCancelledInsertion) {
    CTableSelectionModel model(existing, false, false);
    CConfigClient client(session);
    open_salesdb(model, client);
    ASSERT_EQ(model.copy({0}, editor()), 0);
    answers = {std::nullopt};
    EXPECT_EQ(model.copy({0, 2, 3}, editor()), 1);  // CUST-HIST again: cancelled, ALPHA never tried
    EXPECT_EQ(model.new_table_count(), 1);
}

TEST_F(SelectionTest, CopyAllTakesDatasetsOnlyAndDeleteRemovesInAscendingOrder) {
    CTableSelectionModel model(existing, false, false);
    CConfigClient client(session);
    open_salesdb(model, client);
    ASSERT_EQ(model.copy_all(editor()), 0);
    ASSERT_EQ(model.new_table_count(), 2);
    ASSERT_EQ(model.copy({3, 4}, editor()), 0);
    ASSERT_EQ(model.new_table_count(), 4);  // CUST_HIST ALPHA ALPHA_SET A_SET
    model.delete_new_tables({3, 1, 9});
    ASSERT_EQ(model.new_table_count(), 2);
    EXPECT_EQ(model.new_tables()[0]->name.str(), "CUST_HIST");
    EXPECT_EQ(model.new_tables()[1]->name.str(), "ALPHA_SET");
    model.delete_new_tables({0, 1});
    EXPECT_FALSE(model.ok_enabled());
}

TEST_F(SelectionTest, HostOrderWithoutSortingAndEverySetAfterItsDatasetWithIt) {
    {
        CTableSelectionModel model(existing, false, false);
        CConfigClient client(session);
        open_salesdb(model, client);
        EXPECT_EQ(names_of(model.datasets()), "CUST-HIST BY-NAME(1) ALPHA ALPHA-SET A-SET");
    }
    kestra::app::admin_app().sort_datasets = 1;
    CTableSelectionModel model(existing, false, false);
    CConfigClient client(session);
    open_salesdb(model, client);
    EXPECT_EQ(names_of(model.datasets()), "ALPHA A-SET ALPHA-SET CUST-HIST BY-NAME(1)");
}

TEST_F(SelectionTest, SelectingTheCurrentDatabaseAgainSendsNothing) {
    CTableSelectionModel model(existing, false, false);
    CConfigClient client(session);
    open_salesdb(model, client);
    const std::size_t sent_before = fake_provider().transmitted.size();
    EXPECT_EQ(model.select_database(client, "SALESDB"), 0);
    EXPECT_EQ(model.select_database(client, "salesdb"), 0);  // no exact match: nothing
    EXPECT_EQ(fake_provider().transmitted.size(), sent_before);
    // Away and back: the datasets are held, so still nothing is sent for SALESDB.
    queue(4, "000001" + dataset_entry("ORDER-HISTORY", 0));
    EXPECT_EQ(model.select_database(client, "SALESHIST"), 0);
    EXPECT_EQ(model.select_database(client, "SALESDB"), 0);
    EXPECT_EQ(fake_provider().transmitted.size(), sent_before + 1);
    EXPECT_EQ(model.current_database(), 0);
}

TEST_F(SelectionTest, AFailedDatasetFetchIsAskedAgainOnTheNextSelection) {
    CTableSelectionModel model(existing, false, false);
    CConfigClient client(session);
    model.set_descfile_name(kDescfile);
    queue(3, "00001" "007SALESDB");
    ASSERT_EQ(model.fetch_databases(client), 0);
    queue(4, "000002" + dataset_entry("CUSTOMER", 0));  // ends early
    EXPECT_EQ(model.select_database(client, "SALESDB"), -1);
    EXPECT_EQ(model.current_database(), -1);
    EXPECT_TRUE(model.datasets().empty());
    session.clear_errors();
    // The line is drained before the next request, so the host answers only once asked.
    fake_provider().responder = [](std::string_view) {
        return std::vector<std::string>{fake_provider().next_host_message(2, 4, "000001" + dataset_entry("CUSTOMER", 0))};
    };
    EXPECT_EQ(model.select_database(client, "SALESDB"), 0);
    EXPECT_EQ(names_of(model.datasets()), "CUSTOMER");
}

TEST_F(SelectionTest, ChangingTheDescriptionFileDropsTheDatabases) {
    CTableSelectionModel model(existing, false, false);
    CConfigClient client(session);
    open_salesdb(model, client);
    model.set_descfile_name("(PAY)DESCRIPTION/PAYDB ON PAYPACK");
    EXPECT_FALSE(model.databases_fetched());
    EXPECT_TRUE(model.databases().empty());
    EXPECT_EQ(model.current_database(), -1);
    EXPECT_TRUE(model.datasets().empty());
    model.set_descfile_name("DESCRIPTION/PAYDB");
    EXPECT_EQ(model.fetch_databases(client), -1);
    EXPECT_EQ(last_text(), std::string("[Brisel Software][Kestra ODBC Driver]") + kDescfileNameRule);
}

}  // namespace

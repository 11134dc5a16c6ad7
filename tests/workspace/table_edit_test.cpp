// Table Edit without its window: the name rule, what OK hands to the save, Replace over the field names, the load
// before the window opens, and Create Table's two roads to a new plain table.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "configsvc/table_field_names.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"
#include "support/recording_ui_hooks.h"
#include "workspace/admin_doc.h"
#include "workspace/table_create_controller.h"
#include "workspace/table_edit_model.h"

namespace ws = kestra::workspace;
namespace model = kestra::model;
namespace configsvc = kestra::configsvc;
using kestra::testing::fake_provider;

namespace {

int code_of(const std::string& sent) { return std::stoi(sent.substr(7, 3)); }

std::vector<int> sent_codes() {
    std::vector<int> out;
    for (const auto& m : fake_provider().transmitted) out.push_back(code_of(m));
    return out;
}

std::unique_ptr<model::CConfigTable> table(int number, const std::string& name) {
    auto t = std::make_unique<model::CConfigTable>();
    t->table_number = number;
    t->name.assign(name);
    return t;
}

void add_field(model::CConfigTable& t, const std::string& name) {
    auto f = std::make_unique<model::CConfigField>();
    f->name.assign(name);
    f->tblfieldnum = static_cast<std::int32_t>(t.fields.size() + 1);
    f->mark_loaded();
    t.fields.push_back(std::move(f));
}

std::vector<std::string> names(const model::CConfigTable& t) {
    std::vector<std::string> out;
    for (const auto& f : t.fields) out.push_back(f->name.str());
    return out;
}

class TableEdit : public kestra::testing::FakeSessionTest {
  protected:
    void SetUp() override {
        FakeSessionTest::SetUp();
        doc = std::make_unique<ws::CAdminDoc>(std::make_unique<kestra::hostlink::CHostSession>(std::move(session)));
        file.file_reference = 7;
        file.tables.push_back(table(1, "CUSTOMERS"));
        file.tables.push_back(table(2, "ORDERS"));
        orders().loaded = true;
        orders().fields_loaded = true;
        orders().table_handle = 12;
    }
    void TearDown() override {
        doc.reset();
        FakeSessionTest::TearDown();
    }
    model::CConfigTable& orders() { return *file.tables[1]; }

    kestra::testing::RecordingUiHooks hooks;
    std::unique_ptr<ws::CAdminDoc> doc;
    model::CConfigFile file;
};

TEST_F(TableEdit, OkRefusesAMissingOrTakenNameAndACaseOnlyChange) {
    ws::CTableEditModel edit(file, orders());
    for (const char* taken : {"customers", "orders", " Orders "}) {
        edit.name = taken;
        EXPECT_STREQ(edit.ok(), configsvc::kTableNameDuplicate) << taken;
    }
    edit.name = "   ";
    EXPECT_STREQ(edit.ok(), configsvc::kTableNameMissing);
    EXPECT_EQ(orders().name.str(), "ORDERS");
    EXPECT_FALSE(orders().changed);

    // The name it came with, untouched, changes nothing.
    edit.name = " ORDERS";
    EXPECT_EQ(edit.ok(), nullptr);
    EXPECT_FALSE(orders().changed);
    EXPECT_FALSE(edit.save_options().where_changed);

    edit.name = "SALES_ORDERS";
    EXPECT_EQ(edit.ok(), nullptr);
    EXPECT_EQ(orders().name.str(), "SALES_ORDERS");
    EXPECT_TRUE(orders().changed);
}

TEST_F(TableEdit, FlagsAndWhereReachTheTableOnlyAtOkAndOnlyWhenChanged) {
    orders().where_condition.assign("QTY > 0");
    ws::CTableEditModel edit(file, orders());
    EXPECT_FALSE(edit.set_where("QTY > 0"));
    EXPECT_FALSE(edit.where_changed());
    EXPECT_TRUE(edit.set_where("QTY > 5"));
    EXPECT_EQ(orders().where_condition.str(), "QTY > 0");
    edit.update_allowed = true;
    EXPECT_FALSE(orders().update_allowed);
    ASSERT_EQ(edit.ok(), nullptr);
    EXPECT_EQ(orders().where_condition.str(), "QTY > 5");
    EXPECT_TRUE(orders().update_allowed);
    EXPECT_TRUE(orders().changed);
    const configsvc::TableSaveOptions options = edit.save_options();
    EXPECT_TRUE(options.where_changed);
    EXPECT_TRUE(static_cast<bool>(options.fields));
    EXPECT_FALSE(options.defer_unload);
}

TEST_F(TableEdit, ReturnGroupsShowsAtOnceAndCancelPutsItBack) {
    ws::CTableEditModel edit(file, orders());
    edit.set_return_groups(true);
    EXPECT_TRUE(orders().return_groups);  // the field list follows it while the window is open
    edit.cancel();
    EXPECT_FALSE(orders().return_groups);

    ws::CTableEditModel again(file, orders());
    again.set_return_groups(true);
    ASSERT_EQ(again.ok(), nullptr);
    EXPECT_TRUE(orders().return_groups);
    EXPECT_TRUE(orders().changed);  // the table list carries it
}

TEST_F(TableEdit, ReplaceLeavesNamesThatWouldBeEmptyOrAnothersAndMarksTheRest) {
    for (const char* n : {"CUST", "CUST_ID", "ID", "ORDER_ID"}) add_field(orders(), n);
    ws::CTableEditModel edit(file, orders());

    // CUST_ID would become CUST, which is taken.
    ws::ReplaceResult r = edit.replace("_ID", "");
    EXPECT_EQ(r.renamed, 1);
    EXPECT_EQ(r.kept, 1);
    EXPECT_EQ(names(orders()), (std::vector<std::string>{"CUST", "CUST_ID", "ID", "ORDER"}));
    EXPECT_FALSE(orders().fields[1]->name_changed);
    EXPECT_TRUE(orders().fields[3]->name_changed);
    EXPECT_TRUE(orders().fields[3]->bModified);

    // ID would be left with no name at all.
    r = edit.replace("ID", "");
    EXPECT_EQ(r.kept, 1);
    EXPECT_EQ(r.renamed, 1);
    EXPECT_EQ(names(orders()), (std::vector<std::string>{"CUST", "CUST_", "ID", "ORDER"}));

    // Nothing to look for does nothing.
    r = edit.replace("", "X");
    EXPECT_EQ(r.renamed + r.kept, 0);
    EXPECT_EQ(edit.replace("NOWHERE", "X").renamed, 0);
}

TEST_F(TableEdit, ReplaceCutsToTwentyNineAndKeepsNamesEqualOnlyAfterTheCut) {
    const std::string stem(27, 'B');
    for (const std::string& n : {stem + "X1", stem + "X2", std::string("XC"), std::string("CXC")})
        add_field(orders(), n);
    ws::CTableEditModel edit(file, orders());
    // Both long names become stem + "YY" once cut, so neither takes it.
    const ws::ReplaceResult r = edit.replace("X", "YY");
    EXPECT_EQ(r.kept, 2);
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(names(orders()), (std::vector<std::string>{stem + "X1", stem + "X2", "YYC", "CYYC"}));
    for (const auto& f : orders().fields) EXPECT_LE(f->name.size(), 29u);
}

TEST_F(TableEdit, ReplaceComparesResultsIgnoringCase) {
    for (const char* n : {"cust", "CUST_ID", "A_ID", "a"}) add_field(orders(), n);
    ws::CTableEditModel edit(file, orders());
    const ws::ReplaceResult r = edit.replace("_ID", "");
    EXPECT_EQ(r.kept, 2);
    EXPECT_EQ(r.renamed, 0);
    EXPECT_EQ(names(orders()), (std::vector<std::string>{"cust", "CUST_ID", "A_ID", "a"}));
}

TEST_F(TableEdit, ATableThatFailsToLoadItsFieldsIsGivenBackWithoutSave) {
    model::CConfigTable& customers = *file.tables[0];
    fake_provider().responder = [](std::string_view s) {
        const int code = code_of(std::string(s));
        std::string data = "0";
        if (code == 23) data = "0" "0031" "009CUSTOMERS" "00000" "0" "0" "000" "000" "000" "000" "000";
        if (code == 25) data = "2000300171 TABLE IS LOCKED0000";
        return std::vector<std::string>{fake_provider().next_host_message(2, code, data)};
    };
    EXPECT_FALSE(ws::load_table_for_edit(*doc, file, customers));
    EXPECT_EQ(sent_codes(), (std::vector<int>{23, 25, 24}));
    EXPECT_EQ(fake_provider().transmitted.back().substr(14), "00310");  // handle 31, no save
    EXPECT_FALSE(customers.loaded);
    ASSERT_EQ(hooks.boxes.size(), 1u);
    EXPECT_NE(hooks.boxes[0].find("TABLE IS LOCKED"), std::string::npos);
}

TEST_F(TableEdit, ATableRefusedByTheHostShowsTheErrorAndSendsNothingMore) {
    model::CConfigTable& customers = *file.tables[0];
    queue(23, "2000300171 NO SUCH TABLE0000");
    EXPECT_FALSE(ws::load_table_for_edit(*doc, file, customers));
    EXPECT_EQ(sent_codes(), (std::vector<int>{23}));
    EXPECT_EQ(hooks.boxes.size(), 1u);
}

TEST_F(TableEdit, ASaveSendsOnlyWhatChangedAndRereadsARefusedList) {
    auto refuse_list = std::make_shared<bool>(false);
    fake_provider().responder = [refuse_list](std::string_view s) {
        const int code = code_of(std::string(s));
        std::string data = "0";
        if (code == 34 && *refuse_list) data = "2000300171 DUPLICATE NAME0000";
        if (code == 51) data = "0" "0002" "0001" "009CUSTOMERS" "000" "0002" "006ORDERS" "000";
        return std::vector<std::string>{fake_provider().next_host_message(2, code, data)};
    };
    {
        ws::CTableEditModel edit(file, orders());
        edit.name = "SALES";
        ASSERT_EQ(edit.ok(), nullptr);
        EXPECT_EQ(ws::save_edited_table(*doc, file, edit), 0);
    }
    EXPECT_EQ(sent_codes(), (std::vector<int>{34, 24}));
    EXPECT_EQ(fake_provider().transmitted.back().substr(14), "00121");  // unloaded with save
    EXPECT_FALSE(orders().changed);
    EXPECT_TRUE(file.modified);

    fake_provider().transmitted.clear();
    *refuse_list = true;
    orders().loaded = true;
    {
        ws::CTableEditModel edit(file, orders());
        edit.name = "CUSTOMERS_2";
        edit.set_where("X = 1");
        ASSERT_EQ(edit.ok(), nullptr);
        EXPECT_NE(ws::save_edited_table(*doc, file, edit), 0);
    }
    // Every step ran; then the host's list replaced the name it refused.
    EXPECT_EQ(sent_codes(), (std::vector<int>{41, 34, 24, 51}));
    ASSERT_EQ(file.tables.size(), 2u);
    EXPECT_EQ(file.tables[1]->name.str(), "ORDERS");
    EXPECT_FALSE(file.tables[1]->changed);
    EXPECT_EQ(hooks.boxes.size(), 1u);
}

// --- Create Table ---

class CreateTable : public TableEdit {
  protected:
    ws::CreateTableWindows windows(std::optional<ws::TableType> answer) {
        ws::CreateTableWindows w;
        w.choose_type = [this, answer](ws::TableType initial) {
            shown_initial = initial;
            return answer;
        };
        w.dmsii_selection = [this] {
            ++dmsii_opened;
            return std::move(dmsii_tables);
        };
        w.cobol_selection = [this] {
            ++cobol_opened;
            ws::NewTables out;
            out.push_back(table(40, "TIMECARDS"));
            return out;
        };
        w.new_join = [this] { ++joins_opened; };
        return w;
    }
    kestra::app::CAdminApp settings;
    ws::TableType shown_initial = ws::TableType::normal;
    ws::NewTables dmsii_tables;
    int dmsii_opened = 0;
    int cobol_opened = 0;
    int joins_opened = 0;
};

TEST_F(CreateTable, CancelLeavesTheDefaultTypeAndOkStoresTheChoice) {
    settings.default_table_type = 1;
    ws::CTableCreateController create(*doc, file, settings);
    EXPECT_EQ(create.run(windows(std::nullopt)), 0u);
    EXPECT_EQ(shown_initial, ws::TableType::join);
    EXPECT_EQ(settings.default_table_type, 1);

    EXPECT_EQ(create.run(windows(ws::TableType::normal)), 0u);  // DMSII selection cancelled
    EXPECT_EQ(settings.default_table_type, 0);
    EXPECT_EQ(dmsii_opened, 1);

    EXPECT_EQ(create.run(windows(ws::TableType::join)), 0u);
    EXPECT_EQ(settings.default_table_type, 1);
    EXPECT_EQ(joins_opened, 1);
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(file.tables.size(), 2u);
}

TEST_F(CreateTable, ACobolTableIsAlreadyOnTheHostAndOnlyAppended) {
    settings.new_table_from_cobol = 1;
    ws::CTableCreateController create(*doc, file, settings);
    EXPECT_EQ(create.run(windows(ws::TableType::normal)), 1u);
    EXPECT_EQ(cobol_opened, 1);
    EXPECT_EQ(dmsii_opened, 0);
    EXPECT_TRUE(fake_provider().transmitted.empty());
    ASSERT_EQ(file.tables.size(), 3u);
    EXPECT_EQ(file.tables[2]->name.str(), "TIMECARDS");
    EXPECT_TRUE(file.modified);
}

TEST_F(CreateTable, DmsiiTablesAreAddedOnTheHostThenAppended) {
    dmsii_tables.push_back(table(0, "INVOICES"));
    dmsii_tables.push_back(table(0, "PAYMENTS"));
    queue(21, "0" "0003" "0004");
    ws::CTableCreateController create(*doc, file, settings);
    EXPECT_EQ(create.run(windows(ws::TableType::normal)), 2u);
    EXPECT_EQ(sent_codes(), (std::vector<int>{21}));
    ASSERT_EQ(file.tables.size(), 4u);
    EXPECT_EQ(file.tables[2]->table_number, 3);
    EXPECT_EQ(file.tables[3]->name.str(), "PAYMENTS");
    EXPECT_TRUE(file.modified);
}

TEST_F(CreateTable, ARefusedFirstBatchLeavesTheListAsItWas) {
    dmsii_tables.push_back(table(0, "CUSTOMERS2"));
    queue(21, "2000300171 DUPLICATE NAME0000");
    ws::CTableCreateController create(*doc, file, settings);
    EXPECT_EQ(create.run(windows(ws::TableType::normal)), 0u);
    EXPECT_EQ(sent_codes(), (std::vector<int>{21}));
    EXPECT_EQ(file.tables.size(), 2u);
    EXPECT_EQ(hooks.boxes.size(), 1u);
}

TEST_F(CreateTable, ABatchRefusedPartWayReadsTheHostsListAgain) {
    // Names long enough that the small message takes them in several batches.
    for (int i = 0; i < 6; ++i) dmsii_tables.push_back(table(0, "NEW_TABLE_WITH_A_LONG_NAME_" + std::to_string(i)));
    auto batches = std::make_shared<int>(0);
    fake_provider().responder = [batches](std::string_view s) {
        const std::string sent(s);
        const int code = code_of(sent);
        std::string data = "0";
        if (code == 21) {
            const int count = std::stoi(sent.substr(14 + 4, 4));
            if ((*batches)++ == 0) {
                for (int i = 0; i < count; ++i) data += std::to_string(10 + i).insert(0, 2, '0');
            } else {
                data = "2000300171 DUPLICATE NAME0000";
            }
        }
        if (code == 51) data = "0" "0003" "0001" "009CUSTOMERS" "000" "0002" "006ORDERS" "000" "0010" "003NEW" "100";
        return std::vector<std::string>{fake_provider().next_host_message(2, code, data)};
    };
    ws::CTableCreateController create(*doc, file, settings);
    EXPECT_EQ(create.run(windows(ws::TableType::normal)), 0u);
    const std::vector<int> codes = sent_codes();
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.back(), 51);
    ASSERT_EQ(file.tables.size(), 3u);
    EXPECT_EQ(file.tables[2]->name.str(), "NEW");
    EXPECT_TRUE(file.modified);
}

}  // namespace

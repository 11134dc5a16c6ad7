// The name rules need no host; they sit with the request tests because they share the configsvc library.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "configsvc/table_field_names.h"

namespace kestra::configsvc {
namespace {

model::CConfigTable& add_table(model::CConfigFile& file, const std::string& name, std::int32_t number, bool join) {
    auto t = std::make_unique<model::CConfigTable>();
    t->name.assign(name);
    t->table_number = number;
    t->join_table = join;
    file.tables.push_back(std::move(t));
    return *file.tables.back();
}

TEST(NameRules, TableEditRefusesEmptyDuplicateAndCaseOnlyChanges) {
    model::CConfigFile file;
    add_table(file, "CUSTOMER", 1, false);
    model::CConfigTable& orders = add_table(file, "ORDERS", 2, false);
    std::string name = "   ";
    EXPECT_STREQ(check_table_name(name, file, orders.name.view()), kTableNameMissing);
    name = "customer";
    EXPECT_STREQ(check_table_name(name, file, orders.name.view()), kTableNameDuplicate);
    name = "Orders";  // this table's own name in another case
    EXPECT_STREQ(check_table_name(name, file, orders.name.view()), kTableNameDuplicate);
    name = " ORDERS ";
    EXPECT_EQ(check_table_name(name, file, orders.name.view()), nullptr);
    EXPECT_EQ(name, "ORDERS");
    name = std::string(30, 'X');
    EXPECT_STREQ(check_table_name(name, file, orders.name.view()), kTableNameTooLong);
    // A name the host holds longer than may be typed passes while unchanged.
    model::CConfigTable& long_one = add_table(file, std::string(35, 'L'), 3, false);
    name = long_one.name.str();
    EXPECT_EQ(check_table_name(name, file, long_one.name.view()), nullptr);
}

TEST(NameRules, AJoinIsNeverItsOwnDuplicate) {
    model::CConfigFile file;
    add_table(file, "CUSTOMER", 1, false);
    model::CConfigTable& join = add_table(file, "CUSTOMER_ORDERS", 3, true);
    std::string name = "customer_orders";
    EXPECT_EQ(check_join_name(name, file, &join), nullptr);
    name = "Customer";
    EXPECT_STREQ(check_join_name(name, file, &join), kJoinNameDuplicate);
    name = "customer_orders";  // a new join may not take an existing join's name
    EXPECT_STREQ(check_join_name(name, file, nullptr), kJoinNameDuplicate);
    name = "";
    EXPECT_STREQ(check_join_name(name, file, nullptr), kJoinNameInvalid);
}

TEST(NameRules, FieldNamesCompareWithEveryFieldIgnoringCase) {
    model::CConfigTable table;
    for (const char* n : {"CUST-NO", "CUST-NAME"}) {
        auto f = std::make_unique<model::CConfigField>();
        f->name.assign(n);
        table.fields.push_back(std::move(f));
    }
    std::string name = "cust-no";
    EXPECT_STREQ(check_field_name(name, table, "CUST-NAME"), kFieldNameDuplicate);
    name = "Cust-Name";
    EXPECT_STREQ(check_field_name(name, table, "CUST-NAME"), kFieldNameDuplicate);
    name = "CUST-NAME";
    EXPECT_EQ(check_field_name(name, table, "CUST-NAME"), nullptr);
    name = "";
    EXPECT_STREQ(check_field_name(name, table, ""), kFieldNameMissing);
    name = std::string(30, 'F');
    EXPECT_STREQ(check_field_name(name, table, ""), kFieldNameTooLong);
    name = std::string(29, 'F');
    EXPECT_EQ(check_field_name(name, table, ""), nullptr);
}

}  // namespace
}  // namespace kestra::configsvc

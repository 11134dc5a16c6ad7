#include "cli/where_check.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/config_field.h"
#include "model/config_table.h"

using namespace kestra;
using kestra::cli::check_where_condition;
using kestra::cli::quote_hyphenated_names;

namespace {

void add_field(model::CConfigTable& table, const char* name, const char* host_name, int type_code) {
    auto f = std::make_unique<model::CConfigField>();
    f->name.assign(name);
    f->host_name.assign(host_name);
    f->data_type_code = type_code;
    table.fields.push_back(std::move(f));
}

// The sample's ORDERS: host names with hyphens, one renamed field.
std::unique_ptr<model::CConfigTable> orders() {
    auto t = std::make_unique<model::CConfigTable>();
    add_field(*t, "ORD-NO", "ORD-NO", 19);
    add_field(*t, "ORD-STATUS", "ORD-STATUS", 4);
    add_field(*t, "AMOUNT", "ORD-AMOUNT", 12);
    return t;
}

TEST(WhereCheck, HostNamesWithHyphensAreNamesNotSubtractions) {
    const auto owner = orders();
    const model::CConfigTable& t = *owner;
    EXPECT_EQ(check_where_condition("ORD-STATUS <> 'X'", t), "");
    EXPECT_EQ(check_where_condition("ord-status = 'O' and Amount > ord-no - 1", t), "");
    // The host name of a renamed field is known too, and a quoted name stays as it was.
    EXPECT_EQ(check_where_condition("ORD-AMOUNT > 10 OR \"ORD-NO\" = 3", t), "");
    // Inside a string literal nothing is a name.
    EXPECT_EQ(check_where_condition("ORD-STATUS = 'ORD-NO'", t), "");
}

TEST(WhereCheck, AnUnknownNameOrBrokenSyntaxIsReportedWhereItWasTyped) {
    const auto owner = orders();
    const model::CConfigTable& t = *owner;
    const std::string unknown = check_where_condition("ORD-STATUS = 'O' AND ORD-STATE = 'X'", t);
    EXPECT_EQ(unknown.rfind("Error at col ", 0), 0u) << unknown;
    EXPECT_NE(check_where_condition("ORD-STATUS = ", t), "");
    EXPECT_NE(check_where_condition("AMOUNT", t), "");  // not a condition
    // Columns count in the text as typed, not in the quoted text the checker saw.
    const std::string late = check_where_condition("ORD-STATUS = 'O' AND NOPE = 1", t);
    const std::string early = check_where_condition("NOPE = 1", t);
    EXPECT_NE(late, early);
    EXPECT_EQ(early.rfind("Error at col 1:", 0), 0u) << early;
    EXPECT_EQ(late.rfind("Error at col 22:", 0), 0u) << late;
}

TEST(WhereCheck, QuotingTakesTheLongestWholeName) {
    std::vector<std::size_t> origin;
    EXPECT_EQ(quote_hyphenated_names("A-B-C = A-B", {"A-B", "A-B-C"}, origin), "\"A-B-C\" = \"A-B\"");
    EXPECT_EQ(origin.size(), 15u);
    EXPECT_EQ(origin[0], 0u);
    EXPECT_EQ(origin[10], 8u);
    // Part of a longer name is not a name.
    EXPECT_EQ(quote_hyphenated_names("XA-B = A-BX", {"A-B"}, origin), "XA-B = A-BX");
    EXPECT_EQ(quote_hyphenated_names("'A-B' \"A-B\"", {"A-B"}, origin), "'A-B' \"A-B\"");
}

}  // namespace

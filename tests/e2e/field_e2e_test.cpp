#include <gtest/gtest.h>

#include "e2e_host.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;
using kestra::testing::TempDir;

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The line of one field in the output of "fields".
std::string line_of(const std::string& out, const std::string& number_and_name) {
    const auto at = out.find(number_and_name + " ");
    if (at == std::string::npos || (at > 0 && out[at - 1] != '\n')) return {};
    return out.substr(at, out.find('\n', at) - at);
}

TEST(FieldE2e, FieldsListEveryKindWithItsDetails) {
    E2eHost e2e;
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"fields", "(PROD)SALES ON DBPACK", "customer"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(line_of(r.out, "1 CUST-ID"), "1 CUST-ID host-name=CUST-ID kind=host type=PACKED(8) sql=SQL_INTEGER "
                                           "format=standard visible=on update-allowed=off offset=0");
    EXPECT_EQ(line_of(r.out, "6 OPENED"), "6 OPENED host-name=CUST-OPENED kind=host type=PACKED(8) sql=SQL_DATE "
                                          "format=date YYYYMMDD visible=on update-allowed=off offset=188");
    EXPECT_TRUE(has(line_of(r.out, "9 CUST-FLAGS"), "type=FIELD(12) sql=SQL_INTEGER format=standard visible=off"));
    EXPECT_EQ(line_of(r.out, "10 CITY_CODE"),
              "10 CITY_CODE host-name= kind=user-defined type=ALPHA(3) sql=SQL_VARCHAR format=standard visible=on "
              "update-allowed=off offset=128 offset-value=0 Chars from Start of CUST-CITY");
    EXPECT_EQ(line_of(r.out, "11 CREDIT_K"),
              "11 CREDIT_K host-name= kind=calculated type=NUMERIC(S12,3) sql=SQL_DOUBLE format=standard visible=on "
              "update-allowed=off expression=CUST-CREDIT / 1000");
    auto json = e2e.kestra({"--json", "fields", "(PROD)SALES ON DBPACK", "1"});
    EXPECT_TRUE(has(json.out, "\"expression\":\"CUST-CREDIT / 1000\"")) << json.out;
    EXPECT_EQ(e2e.kestra({"fields", "(PROD)SALES ON DBPACK", "CUSTOMER_ORDERS"}).status, 1);
}

TEST(FieldE2e, SetFieldRenamesAndFormatsThroughATableSave) {
    E2eHost e2e;
    auto r = e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "ORDERS", "ord-date", "--name", "order_date", "--date-format",
                         "yyyymmdd", "--update-allowed", "on"});
    EXPECT_EQ(r.status, 0) << r.err;
    auto f = e2e.kestra({"fields", "(PROD)SALES ON DBPACK", "ORDERS"});
    EXPECT_EQ(line_of(f.out, "3 ORDER_DATE"), "3 ORDER_DATE host-name=ORD-DATE kind=host type=PACKED(6) "
                                              "sql=SQL_DATE format=date YYYYMMDD visible=on update-allowed=on "
                                              "offset=17");
    r = e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "ORDERS", "ORD-TIME", "--date-kind", "timestamp"});
    EXPECT_EQ(r.status, 0) << r.err;
    f = e2e.kestra({"fields", "(PROD)SALES ON DBPACK", "ORDERS"});
    EXPECT_TRUE(has(line_of(f.out, "4 ORD-TIME"), "sql=SQL_TIMESTAMP format=timestamp TIME(6)")) << f.out;

    // The dialogs' name checks.
    EXPECT_TRUE(has(e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "ORDERS", "ORD-NO", "--name", "Order_Date"}).err,
                    "**Duplicate Field Name**"));
    EXPECT_TRUE(has(e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "CUSTOMER", "CITY_CODE", "--name", "city_code"}).err,
                    "**Duplicate Field Name**"));  // a change of letter case alone
    EXPECT_TRUE(has(e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "ORDERS", "ORD-NO", "--name", "   "}).err,
                    "**You must enter a field name**"));
    EXPECT_TRUE(has(e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "ORDERS", "ORD-NO", "--name", std::string(30, 'N')}).err,
                    "**Field name too long**"));
    EXPECT_EQ(e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "ORDERS", "ORD-NO", "--name", std::string(29, 'N')}).status, 0);
    EXPECT_EQ(e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "ORDERS", "ORD-AMOUNT", "--date-format", "HHMMSS"}).status, 2);

    // Without the save the host forgets the change when the file closes.
    r = e2e.kestra({"set-field", "(PROD)SALES ON DBPACK", "ORDERS", "ORD-CUST", "--name", "CUSTOMER", "--no-save"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(e2e.kestra({"fields", "(PROD)SALES ON DBPACK", "ORDERS"}).out, "2 ORD-CUST "));
}

TEST(FieldE2e, HideShowAndDeleteFields) {
    E2eHost e2e;
    auto r = e2e.kestra({"hide-fields", "(PROD)SALES ON DBPACK", "CUSTOMER", "CUST-ID", "NAME"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = e2e.kestra({"show-fields", "(PROD)SALES ON DBPACK", "CUSTOMER", "CUST-FLAGS"});
    EXPECT_EQ(r.status, 0) << r.err;
    auto f = e2e.kestra({"fields", "(PROD)SALES ON DBPACK", "CUSTOMER"});
    EXPECT_TRUE(has(line_of(f.out, "1 CUST-ID"), "visible=off"));
    EXPECT_TRUE(has(line_of(f.out, "2 NAME"), "visible=off"));
    EXPECT_TRUE(has(line_of(f.out, "9 CUST-FLAGS"), "visible=on"));

    EXPECT_EQ(e2e.kestra({"delete-fields", "(PROD)SALES ON DBPACK", "CUSTOMER", "CUST-CITY"}).status, 1);
    EXPECT_EQ(e2e.kestra({"hide-fields", "(PROD)SALES ON DBPACK", "CUSTOMER", "CITY_CODE"}).status, 1);
    r = e2e.kestra({"delete-fields", "(PROD)SALES ON DBPACK", "CUSTOMER", "city_code", "11"});
    EXPECT_EQ(r.status, 0) << r.err;
    f = e2e.kestra({"fields", "(PROD)SALES ON DBPACK", "CUSTOMER"});
    EXPECT_FALSE(has(f.out, "CITY_CODE"));
    EXPECT_FALSE(has(f.out, "CREDIT_K"));
    EXPECT_TRUE(has(f.out, "9 CUST-FLAGS"));
}

TEST(FieldE2e, AFieldListNeedingContinuationMessages) {
    TempDir dir;
    std::string fields;
    std::string expected;
    for (int i = 1; i <= 40; ++i) {
        const std::string name = "FIELD-NUMBER-" + std::to_string(100 + i);
        fields += std::string(i > 1 ? "," : "") + "{\"number\":" + std::to_string(i) + ",\"host_name\":\"" + name +
                  "\",\"type\":4,\"offset\":" + std::to_string(i * 20) + ",\"length\":10}";
        expected += std::to_string(i) + " " + name + " host-name=" + name +
                    " kind=host type=ALPHA(10) sql=SQL_VARCHAR format=standard visible=on update-allowed=off offset=" +
                    std::to_string(i * 20) + "\n";
    }
    HostsimProcess::Options options;
    options.fixture = dir.write("fields.json", "{\"users\":[{\"name\":\"ADMIN\",\"password\":\"SECRET\","
                                               "\"max_message_size\":200}],\"config_files\":[{\"number\":1,"
                                               "\"name\":\"WIDE\",\"tables\":[{\"number\":1,\"name\":\"T\","
                                               "\"fields\":[" + fields + "]}]}]}");
    E2eHost e2e(options);
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"fields", "WIDE", "T"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);

    // Hiding every field sends its marks in several 200-character messages.
    std::vector<std::string> args{"hide-fields", "WIDE", "T"};
    for (int i = 1; i <= 40; ++i) args.push_back(std::to_string(i));
    r = e2e.kestra(args);
    EXPECT_EQ(r.status, 0) << r.err;
    r = e2e.kestra({"fields", "WIDE", "T"});
    EXPECT_FALSE(has(r.out, "visible=on"));
}

}  // namespace

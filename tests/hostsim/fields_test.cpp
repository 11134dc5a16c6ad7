#include <gtest/gtest.h>

#include "host_test_client.h"
#include "running_host.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

// A logged-in PC with SALES open and its CUSTOMER table (number 1) loaded.
struct LoadedCustomer {
    explicit LoadedCustomer(RunningHost& host) : pc(host.port()) {
        EXPECT_TRUE(pc.login("ADMIN", "SECRET", 4096));
        reference = ask(18, "0001.").data.substr(1, 4);
        handle = ask(23, reference + "0001").data.substr(1, 4);
    }
    Message ask(int code, const std::string& body) {
        Message reply;
        EXPECT_TRUE(pc.request(2, code, body, reply));
        return reply;
    }
    // The field entries after the count, whole.
    std::string fields() { return ask(25, handle).data; }
    HostTestClient pc;
    std::string reference;
    std::string handle;
};

TEST(HostFields, TheListCarriesEveryKindWithItsOwnElements) {
    RunningHost host;
    LoadedCustomer t(host);
    const std::string list = t.fields();
    EXPECT_EQ(list.substr(0, 5), "00011");
    EXPECT_EQ(t.ask(25, "9999").data[0], '2');  // no such handle
}

TEST(HostFields, ChangesMarksAndAdditionsWorkOnTheCopyUntilUnloadedWithSave) {
    RunningHost host;
    LoadedCustomer t(host);
    // Field 1 renamed and made updatable; the host knows it is a host field from its number.
    EXPECT_EQ(t.ask(26, t.handle + "0001" "0001" "006CUS_ID" "0" "1").data, "0");
    EXPECT_NE(t.fields().find("0001" "007CUST-ID" "006CUS_ID" "0" "0" "1" "1"), std::string::npos);
    // Hidden with the byte 1, shown again with the byte 0.
    EXPECT_EQ(t.ask(27, t.handle + "0001" "0001" + std::string(1, '\x01')).data, "0");
    EXPECT_NE(t.fields().find("006CUS_ID" "0" "0" "0" "1"), std::string::npos);
    EXPECT_EQ(t.ask(27, t.handle + "0001" "0001" + std::string(1, '\0')).data, "0");
    EXPECT_NE(t.fields().find("006CUS_ID" "0" "0" "1" "1"), std::string::npos);

    const Message added = t.ask(28, t.handle + "0002" "003TAX" "0" "2" "23" "0008" "02" "007A * 0.2"
                                              "004PART" "0" "1" "0" "04" "0012" "0003" "0003" "1" "1" "007CUST-ID" ".");
    ASSERT_EQ(added.data.substr(0, 1), "0");
    ASSERT_EQ(added.data.size(), 9u);
    const std::string tax = added.data.substr(1, 4);
    const std::string part = added.data.substr(5, 4);
    EXPECT_NE(t.fields().find(tax + "000" "003TAX" "0" "2" "23" "0008" "02" "007A * 0.2"), std::string::npos);
    // A duplicate name, ignoring case, is refused.
    EXPECT_EQ(t.ask(28, t.handle + "0001" "003tax" "0" "2" "24" "0000" "001X" ".").data[0], '2');
    // Deleting a user-defined field takes it out.
    EXPECT_EQ(t.ask(27, t.handle + "0001" + part + std::string(1, '\x01')).data, "0");
    EXPECT_EQ(t.fields().find("004PART"), std::string::npos);

    // Unloaded without save, then loaded again: the host's own state.
    EXPECT_EQ(t.ask(24, t.handle + "0").data, "0");
    t.handle = t.ask(23, t.reference + "0001").data.substr(1, 4);
    EXPECT_EQ(t.fields().find("003TAX"), std::string::npos);
    EXPECT_EQ(t.ask(28, t.handle + "0001" "003TAX" "0" "2" "24" "0000" "001X" ".").data[0], '0');
    EXPECT_EQ(t.ask(24, t.handle + "1").data, "0");
    t.handle = t.ask(23, t.reference + "0001").data.substr(1, 4);
    EXPECT_NE(t.fields().find("003TAX"), std::string::npos);
}

TEST(HostFields, BrokenBodiesAreRefused) {
    RunningHost host;
    LoadedCustomer t(host);
    EXPECT_EQ(t.ask(26, t.handle + "0001" "0999" "000" "0" "1").data[0], '2');             // no such field
    EXPECT_EQ(t.ask(27, t.handle + "0001" "0001" "1").data[0], '2');                      // a digit, not the byte
    EXPECT_EQ(t.ask(28, t.handle + "0001" "001H" "0" "0" ".").data[0], '2');              // host fields are never new
    EXPECT_EQ(t.ask(26, t.handle + "0002" "0001" "000" "0" "1").data[0], '2');             // count promises more
}

}  // namespace
}  // namespace kestra::testing

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "e2e_host.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::TempDir;

namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The sample's first configuration file, named by number so that a renamed sample still serves.
const std::string kFile = "1";

std::string write(const TempDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// `text` with the first `from` after `after` replaced by `to`; the test fails when either is missing.
std::string replaced(std::string text, const std::string& from, const std::string& to, const std::string& after = "") {
    const auto start = after.empty() ? 0 : text.find(after);
    EXPECT_NE(start, std::string::npos) << after;
    const auto at = text.find(from, start == std::string::npos ? 0 : start);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class ConfigCodeE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
        auto r = e2e.kestra({"export", kFile});
        ASSERT_EQ(r.status, 0) << r.err;
        original = r.out;
    }
    std::string export_now() {
        auto r = e2e.kestra({"export", kFile});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
    // An edit a user would make: rename a host field, change a where condition, hide a host field, add a
    // calculated field.
    std::string edited_document() {
        std::string doc = original;
        doc = replaced(doc, "\"name\": \"OPENED\"", "\"name\": \"OPENED_ON\"");
        doc = replaced(doc, "\"where\": \"ORD-STATUS <> 'X'\"", "\"where\": \"ORD-STATUS = 'O'\"");
        doc = replaced(doc, "\"visible\": true", "\"visible\": false", "\"host_name\": \"ORD-WEIGHT\"");
        doc =
            replaced(doc, "\"fields\": [\n",
                     "\"fields\": [\n        {\n          \"name\": \"TOTAL_K\",\n          \"kind\": \"calculated\",\n"
                     "          \"type\": 23,\n          \"length\": 12,\n          \"decimals\": 3,\n"
                     "          \"expression\": \"ORD-AMOUNT / 1000\"\n        },\n",
                     "\"name\": \"ORDERS\",\n      \"number\"");
        return doc;
    }
    E2eHost e2e;
    TempDir dir;
    std::string original;
};

TEST_F(ConfigCodeE2e, ExportIsStableAndAFileEqualsItself) {
    EXPECT_EQ(original.rfind("{\n  \"format\": \"kestra-config/1\",\n", 0), 0u) << original.substr(0, 80);
    EXPECT_TRUE(has(original, "\"expression\": \"CUST-CREDIT / 1000\""));
    EXPECT_TRUE(has(original, "\"sub_table\": \"ORDERS\""));
    EXPECT_TRUE(has(original, "\"program\": \"EXCEL.EXE\""));
    EXPECT_EQ(export_now(), original);

    const std::string out = dir.file("sales.json");
    auto r = e2e.kestra({"export", kFile, "--output", out});
    EXPECT_EQ(r.status, 0) << r.err;
    std::ifstream in(out, std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_EQ(written.str(), original);

    r = e2e.kestra({"diff", kFile, kFile, "--exit-code"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = e2e.kestra({"diff", out, kFile});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    // Two different files differ, and say how.
    r = e2e.kestra({"diff", kFile, "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "- table CUSTOMER\n")) << r.out;
}

TEST_F(ConfigCodeE2e, DiffDryRunApplyAndExportAgain) {
    const std::string doc = write(dir, "edited.json", edited_document());
    auto r = e2e.kestra({"diff", kFile, doc});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "table CUSTOMER field OPENED\n  ~ name: \"OPENED\" -> \"OPENED_ON\"\n")) << r.out;
    EXPECT_TRUE(has(r.out, "+ table ORDERS field TOTAL_K\n")) << r.out;
    EXPECT_EQ(e2e.kestra({"diff", kFile, doc, "--exit-code"}).status, 1);
    r = e2e.kestra({"--json", "diff", kFile, doc});
    EXPECT_TRUE(has(r.out, "{\"part\":\"table ORDERS\",\"op\":\"~\",\"key\":\"where\"")) << r.out;

    r = e2e.kestra({"apply", doc, kFile, "--dry-run"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "26 change fields  table CUSTOMER\n    field OPENED: name: \"OPENED\" -> \"OPENED_ON\"\n"))
        << r.out;
    EXPECT_TRUE(has(r.out, "41 put where condition  table ORDERS\n")) << r.out;
    EXPECT_TRUE(has(r.out, "27 mark fields  table ORDERS\n    hide field ORD-WEIGHT\n")) << r.out;
    EXPECT_TRUE(has(r.out, "28 add fields  table ORDERS\n")) << r.out;
    r = e2e.kestra({"--json", "apply", doc, kFile, "--dry-run"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "{\"code\":28,\"target\":\"table ORDERS\",\"changes\":[\"add calculated field TOTAL_K\"]}"))
        << r.out;
    EXPECT_TRUE(has(r.out, "\"refusals\":[]}")) << r.out;
    EXPECT_EQ(export_now(), original) << "a dry run changes nothing";

    r = e2e.kestra({"apply", doc, kFile});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "applied 40 save configuration file")) << r.out;
    // The file now matches the document, but for the number the host gave the new field.
    r = e2e.kestra({"diff", doc, kFile, "--exit-code"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    const std::string again = export_now();
    EXPECT_TRUE(has(again, "\"name\": \"TOTAL_K\",\n          \"host_name\": \"\",\n          \"number\": 9,"))
        << again;

    // The same document once more: nothing to send.
    r = e2e.kestra({"apply", doc, kFile});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Nothing to change\n");
    EXPECT_EQ(export_now(), again);
}

TEST_F(ConfigCodeE2e, ARefusedRequestLeavesTheFileAsItWas) {
    // The host refuses a join name with a blank, after the other tables' changes were accepted; none of them
    // may be kept, nor the global change planned after it.
    std::string text = edited_document();
    text = replaced(text, "\"name\": \"CUSTOMER_ORDERS\"", "\"name\": \"CUSTOMER ORDERS\"");
    text = replaced(text, "\"priority\": 50", "\"priority\": 9");
    const std::string doc = write(dir, "refused.json", text);
    auto r = e2e.kestra({"apply", doc, kFile});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_TRUE(has(r.out, "applied 24 unload table ORDERS with save")) << r.out;
    EXPECT_TRUE(has(r.err, "refused: 53 modify join header CUSTOMER_ORDERS")) << r.err;
    EXPECT_TRUE(has(r.err, "the file was not saved")) << r.err;
    EXPECT_EQ(export_now(), original);
}

TEST_F(ConfigCodeE2e, ADeletionNeedsAllowDelete) {
    // The calculated field's object is taken out of the text.
    std::string doc_text = original;
    const auto begin = doc_text.find(",\n        {\n          \"name\": \"CREDIT_K\"");
    ASSERT_NE(begin, std::string::npos);
    const auto end = doc_text.find("\n        }", begin + 2);
    ASSERT_NE(end, std::string::npos);
    doc_text.erase(begin, end + 10 - begin);
    const std::string doc = write(dir, "delete.json", doc_text);

    auto r = e2e.kestra({"apply", doc, kFile});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "the document deletes table CUSTOMER field CREDIT_K; give --allow-delete")) << r.err;
    EXPECT_EQ(export_now(), original);
    r = e2e.kestra({"apply", doc, kFile, "--allow-delete"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "applied 27 delete fields CUSTOMER")) << r.out;
    EXPECT_FALSE(has(export_now(), "CREDIT_K"));
}

TEST_F(ConfigCodeE2e, WhatCannotBeAppliedIsRefusedBeforeAnythingIsSent) {
    EXPECT_EQ(e2e.kestra({"apply", kFile}).status, 2);
    EXPECT_EQ(e2e.kestra({"diff", kFile, kFile, kFile}).status, 2);
    // A bad document is refused before the login: a wrong password is never tried.
    const std::string bad = write(dir, "bad.json", replaced(original, "\"priority\": 50", "\"priority\": \"high\""));
    auto r = e2e.kestra({"apply", bad, kFile}, "wrong-password");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "global.priority: a whole number is required")) << r.err;
    EXPECT_FALSE(has(r.err, "PASSWORD")) << r.err;

    const std::string newer = write(dir, "newer.json", replaced(original, "kestra-config/1", "kestra-config/2"));
    r = e2e.kestra({"diff", newer, kFile});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "format: written for a newer version")) << r.err;

    // A host field the host does not have.
    const std::string extra = write(
        dir, "extra.json",
        replaced(original, "\"fields\": [\n",
                 "\"fields\": [\n        {\n          \"host_name\": \"ORD-MISSING\",\n          \"kind\": \"host\"\n"
                 "        },\n",
                 "\"name\": \"ORDERS\",\n      \"number\""));
    r = e2e.kestra({"apply", extra, kFile, "--dry-run"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "table ORDERS field ORD-MISSING: the host has no such host field")) << r.err;
    EXPECT_TRUE(has(r.err, "nothing was sent")) << r.err;
    EXPECT_EQ(export_now(), original);
}

}  // namespace

// The program's own session against a misbehaving test host, both in this process and over Tavlink on loopback:
// each fault must end in the right diagnostics, never a crash or a hang, with the session either still usable or
// cleanly closed, and no archive left holding a file that did not arrive whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/admin_app.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "archive/transfer_codec.h"
#include "archive/transfer_get.h"
#include "configsvc/catalogue_requests.h"
#include "configsvc/cobol_table_request.h"
#include "configsvc/config_client.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/field_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/pending_unload_list.h"
#include "configsvc/table_requests.h"
#include "host_server.h"
#include "hostlink/host_session.h"
#include "hostlink/password_scramble.h"
#include "hostlink/sqlstate.h"
#include "model/config_file.h"
#include "model/config_table.h"
#include "model/desc_catalogue_entries.h"
#include "model/pc_application.h"
#include "model/server_node.h"
#include "support/inprocess_host.h"
#include "support/temp_dir.h"

namespace cs = kestra::configsvc;
namespace hl = kestra::hostlink;
namespace model = kestra::model;
using kestra::hostsim::HostServer;
using kestra::hostsim::ServerOptions;
using kestra::testing::TempDir;

namespace {

// What arrives through the provider, buffer by buffer, while `recording` is on.
struct Recorder {
    decltype(ProviderEntryTable::get_received_buffer) original = nullptr;
    std::vector<std::string> buffers;
    bool recording = false;
};
Recorder& recorder() {
    static Recorder r;
    return r;
}
std::int16_t recording_receive(std::uint8_t connection, char** data, std::uint16_t* length, std::uint8_t timeout) {
    const std::int16_t rc = recorder().original(connection, data, length, timeout);
    if (rc == 0 && recorder().recording && *data != nullptr) recorder().buffers.emplace_back(*data, *length);
    return rc;
}

// The test host in this process, switched as a test asks, and the program's session logged in to it through the
// comms shell and Tavlink, with the settings a test adds to kestra.ini.
class FaultHost {
public:
    using Setup = kestra::testing::InProcessHost::Setup;

    explicit FaultHost(Setup setup) : host_(with_path(std::move(setup))) {
        EXPECT_TRUE(host_.started());
        session.set_provider_name("Tavlink");
        session.set_connection_name("FAULT");
    }
    ~FaultHost() {
        // Without the logout's second of draining: the host forgets a PC that just goes.
        if (session.logged_in()) session.disconnect_host();
        recorder() = Recorder();
    }
    FaultHost(const FaultHost&) = delete;
    FaultHost& operator=(const FaultHost&) = delete;

    std::int16_t login() { return host_.login(session); }
    // Every received buffer passes the recorder from now on.
    void record() {
        ProviderEntryTable table = session.provider();
        recorder().original = table.get_received_buffer;
        table.get_received_buffer = recording_receive;
        session.set_provider(table);
        recorder().recording = true;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& d : session.diagnostics()) out.push_back(d.text);
        return out;
    }
    bool has(const std::string& text) const {
        for (const auto& d : session.diagnostics())
            if (d.text.find(text) != std::string::npos) return true;
        return false;
    }
    std::string all() const {
        std::string out;
        for (const auto& t : texts()) out += t + "\n";
        return out;
    }

    TempDir& dir() { return host_.dir(); }
    hl::CHostSession session;

private:
    static Setup with_path(Setup setup) {
        setup.path_name = "FAULT";
        return setup;
    }

    kestra::testing::InProcessHost host_;
};

// The requests a login takes: version, login, default options.
constexpr int kLoginMessages = 3;
constexpr const char* kReceiveFailure = "Error waiting for host message";

std::int16_t config_list(hl::CHostSession& session, model::CServerNode& root) {
    cs::CConfigClient client(session);
    return cs::get_config_list(client, root);
}

// Opens SALES, loads CUSTOMER and reads its field list: 3 requests after the login.
std::int16_t customer_fields(hl::CHostSession& session, model::CConfigTable& table) {
    cs::CConfigClient client(session);
    std::uint32_t reference = 0;
    if (const auto rc = cs::open_config(client, 1, reference); rc != 0) return rc;
    table.name.assign("CUSTOMER");
    table.table_number = 1;
    if (const auto rc = cs::load_table(client, reference, table); rc != 0) return rc;
    return cs::get_field_list(client, table);
}

// After a fault that closed the line, a request fails at once with a link diagnostic and a logout still ends the
// session cleanly.
void expect_closed_cleanly(FaultHost& host) {
    host.session.clear_errors();
    model::CServerNode root;
    EXPECT_EQ(config_list(host.session, root), hl::kError);
    EXPECT_FALSE(host.session.diagnostics().empty());
    for (const auto& d : host.session.diagnostics()) EXPECT_EQ(d.sqlstate_index, hl::kSqlLinkFailure) << d.text;
    host.session.host_logout();
    EXPECT_FALSE(host.session.logged_in());
}

// After a fault the line stayed up: the same session reads the tree of five files.
void expect_usable(FaultHost& host) {
    host.session.clear_errors();
    model::CServerNode root;
    ASSERT_EQ(config_list(host.session, root), 0) << host.all();
    std::size_t nodes = 0;
    root.for_each_descendant([&](model::CServerNode&) { ++nodes; });
    EXPECT_EQ(nodes, 5u);
}

}  // namespace

std::unique_ptr<model::CConfigTable> new_table(int i) {
    auto t = std::make_unique<model::CConfigTable>();
    t->name.assign("NEW_TABLE_" + std::to_string(100 + i));
    t->database.assign("SALESDB");
    t->dataset.assign("CUSTOMER");
    t->description_file.assign("(PROD)DESCRIPTION/SALESDB ON DBPACK");
    t->changed = true;
    return t;
}

// Fetches the host files in order into a new archive and saves it; returns the transfer's result.
std::int16_t get_files(FaultHost& host, const std::string& path, const std::vector<std::string>& names,
                       std::size_t& fetched) {
    kestra::archive::ArchiveWriter writer;
    std::string error;
    EXPECT_TRUE(writer.create(path, error)) << error;
    kestra::archive::GetFilesTransfer transfer(host.session, writer);
    std::int16_t rc = 0;
    for (const auto& name : names)
        if ((rc = transfer.fetch_file(name)) != 0) break;
    fetched = transfer.fetched();
    EXPECT_TRUE(writer.save(error)) << error;
    return rc;
}

// The archive as a later listing sees it: every slot whole and readable.
std::vector<std::string> archived_names(const std::string& path) {
    kestra::archive::ArchiveReader reader;
    std::string error;
    EXPECT_TRUE(reader.open(path, error)) << error;
    std::vector<std::string> names;
    for (const auto& entry : reader.entries()) {
        EXPECT_TRUE(entry.readable) << entry.problem;
        const auto size = entry.header.attributes.file_size();
        EXPECT_TRUE(size && *size == entry.size) << entry.header.name;
        names.push_back(entry.header.name);
    }
    return names;
}

TEST(FaultE2e, LineDroppedInTheMiddleOfAFrame) {
    FaultHost host({[](ServerOptions& o) { o.cut_frame_after = kLoginMessages; }, ""});
    ASSERT_EQ(host.login(), 0) << host.all();
    model::CServerNode root;
    EXPECT_EQ(config_list(host.session, root), hl::kError);
    EXPECT_TRUE(root.children().empty());
    EXPECT_TRUE(host.has(kReceiveFailure)) << host.all();
    EXPECT_TRUE(host.has(cs::kConfigListFailure)) << host.all();
    expect_closed_cleanly(host);
}

TEST(FaultE2e, AHostStallingInTheMiddleOfAFrameFailsTheReceiveAtTheTimeOut) {
    FaultHost host({[](ServerOptions& o) { o.stall_frame_after = kLoginMessages; }, "[timeouts]\nrcv=1\n"});
    ASSERT_EQ(host.login(), 0) << host.all();
    model::CServerNode root;
    EXPECT_EQ(config_list(host.session, root), hl::kError);
    EXPECT_TRUE(host.has(kReceiveFailure)) << host.all();
    EXPECT_TRUE(host.has(cs::kConfigListFailure)) << host.all();
    // The stream is no longer framed: the line stays broken, and closing it (with its draining) does not wait.
    expect_closed_cleanly(host);
}

TEST(FaultE2e, LineDroppedInTheMiddleOfAListKeepsTheEntriesRead) {
    // Open and load answered; the field list's first message arrives, then the line goes.
    FaultHost host({[](ServerOptions& o) { o.cut_list_after = kLoginMessages + 2; }, "", 4096, 160});
    ASSERT_EQ(host.login(), 0) << host.all();
    model::CConfigTable table;
    EXPECT_EQ(customer_fields(host.session, table), hl::kError);
    EXPECT_TRUE(host.has(cs::kFieldListReceiveError)) << host.all();
    EXPECT_GT(table.fields.size(), 0u);
    EXPECT_LT(table.fields.size(), 11u);
    EXPECT_FALSE(table.fields_loaded);
    expect_closed_cleanly(host);
}

TEST(FaultE2e, LineDroppedBetweenTheMessagesOfABatch) {
    // Open answered, the batch's first message answered, the second closes the line.
    FaultHost host({[](ServerOptions& o) { o.drop_after = kLoginMessages + 2; }, "", 4096, 160});
    ASSERT_EQ(host.login(), 0) << host.all();
    cs::CConfigClient client(host.session);
    std::uint32_t reference = 0;
    ASSERT_EQ(cs::open_config(client, 1, reference), 0) << host.all();
    std::vector<std::unique_ptr<model::CConfigTable>> tables;
    for (int i = 0; i < 8; ++i) tables.push_back(new_table(i));
    EXPECT_EQ(cs::add_tables(client, reference, tables), hl::kError);
    EXPECT_TRUE(host.has(cs::kAddTablesFailure)) << host.all();
    // The first message's tables have their numbers; the rest are still new.
    EXPECT_NE(tables.front()->table_number, 0);
    EXPECT_EQ(tables.back()->table_number, 0);
    expect_closed_cleanly(host);
}

TEST(FaultE2e, AStalledHostTimesOutAndTheNextRequestDrainsTheLateReply) {
    FaultHost host({[](ServerOptions& o) {
                        o.delay_ms = 1500;
                        o.faults_after = kLoginMessages;
                    },
                    "[timeouts]\nrcv=1\n"});
    ASSERT_EQ(host.login(), 0) << host.all();
    model::CConfigFile file;
    file.file_reference = 1;
    cs::CConfigClient client(host.session);
    EXPECT_EQ(cs::get_limits(client, file), hl::kError);
    EXPECT_TRUE(host.has("Timeout waiting for host message")) << host.all();
    EXPECT_TRUE(host.session.out_of_step());
    // The late limits reply must not be taken for the list's.
    expect_usable(host);
}

TEST(FaultE2e, AHostThatStallsAtLoginFailsTheLoginAndCloses) {
    FaultHost host({[](ServerOptions& o) { o.delay_ms = 1500; }, "[timeouts]\nrcv=1\n"});
    EXPECT_NE(host.login(), 0);
    EXPECT_TRUE(host.has("Timeout waiting for host message")) << host.all();
    EXPECT_FALSE(host.session.logged_in());
}

TEST(FaultE2e, ControlTrafficRepeatsAndForeignMessagesAreSkipped) {
    FaultHost host({[](ServerOptions& o) {
                        o.control_prefix = true;
                        o.repeat = true;
                        o.foreign = true;
                    },
                    "", 4096, 160});
    ASSERT_EQ(host.login(), 0) << host.all();
    model::CConfigTable table;
    ASSERT_EQ(customer_fields(host.session, table), 0) << host.all();
    EXPECT_EQ(table.fields.size(), 11u);
    EXPECT_TRUE(table.fields_loaded);
    cs::CConfigClient client(host.session);
    std::vector<std::string> names;
    ASSERT_EQ(cs::get_descfile_list(client, names), 0) << host.all();
    EXPECT_EQ(names.size(), 2u);
    EXPECT_TRUE(host.session.diagnostics().empty()) << host.all();
    expect_usable(host);
}

TEST(FaultE2e, AForeignMessageIsAnErrorWhenTheSettingSaysSo) {
    FaultHost host({[](ServerOptions& o) { o.foreign = true; }, "[odbc]\nnonhostmsgerr=1\n"});
    EXPECT_NE(host.login(), 0);
    EXPECT_TRUE(host.has("Non Kestra message received from host->BNA NOTICE: SYSTEM OPERATOR MESSAGE")) << host.all();
    EXPECT_FALSE(host.session.logged_in());
}

TEST(FaultE2e, AHeaderLengthBeyondTheFrameIsARefusedReply) {
    FaultHost host({[](ServerOptions& o) {
                        o.oversize_header = true;
                        o.faults_after = kLoginMessages;
                    },
                    ""});
    ASSERT_EQ(host.login(), 0) << host.all();
    model::CServerNode root;
    EXPECT_EQ(config_list(host.session, root), hl::kError);
    EXPECT_TRUE(root.children().empty());
    EXPECT_TRUE(host.has(kReceiveFailure)) << host.all();
    EXPECT_TRUE(host.has(cs::kConfigListFailure)) << host.all();
    // The frames themselves were whole: the next request is answered, and refused the same way.
    host.session.clear_errors();
    model::CConfigFile file;
    cs::CConfigClient client(host.session);
    EXPECT_EQ(cs::get_global(client, file), hl::kError);
    EXPECT_TRUE(host.has(kReceiveFailure)) << host.all();
}

TEST(FaultE2e, AnOverlongFrameIsReadAwayAndReportedWithoutLosingTheLine) {
    FaultHost host({[](ServerOptions& o) {
                        o.overlong_frame = true;
                        o.faults_after = kLoginMessages;
                    },
                    ""});
    ASSERT_EQ(host.login(), 0) << host.all();
    for (int i = 0; i < 2; ++i) {
        host.session.clear_errors();
        model::CServerNode root;
        EXPECT_EQ(config_list(host.session, root), hl::kError);
        EXPECT_TRUE(root.children().empty());
        EXPECT_TRUE(host.has(kReceiveFailure)) << host.all();
    }
}

TEST(FaultE2e, FileDataBeyondTheAnnouncedSizeIsNeverArchived) {
    // The file's attributes announce 32 bytes; the data reply carries 16 more. The archive holds exactly the 32.
    FaultHost host({[](ServerOptions& o) { o.extra_file_data = true; }, ""});
    ASSERT_EQ(host.login(), 0) << host.all();
    const std::string path = host.dir().file("extra.kba");
    std::size_t fetched = 0;
    EXPECT_EQ(get_files(host, path, {"(PROD)REPORT/DAILY ON DISK"}, fetched), 0) << host.all();
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(archived_names(path), std::vector<std::string>{"(PROD)REPORT/DAILY ON DISK"});
    const std::string contents = "DAILY SALES 001\nTOTAL 000012345\n";
    const std::string archive = TempDir::read(path);
    ASSERT_GE(archive.size(), contents.size());
    EXPECT_EQ(archive.substr(archive.size() - contents.size()), contents);
    EXPECT_EQ(archive.find("\xAA\xAA"), std::string::npos);
    expect_usable(host);
}

TEST(FaultE2e, LineDroppedDuringAFileKeepsOnlyTheWholeFilesBeforeIt) {
    // The first file takes its first request and one data request; the second file's second data request goes
    // unanswered.
    FaultHost host({[](ServerOptions& o) { o.drop_after = kLoginMessages + 2 + 2; }, ""});
    ASSERT_EQ(host.login(), 0) << host.all();
    const std::string path = host.dir().file("cut.kba");
    std::size_t fetched = 0;
    EXPECT_EQ(get_files(host, path, {"(PROD)EMPTY ON DISK", "(PROD)DATA/SNAPSHOT ON DISK"}, fetched), hl::kError);
    EXPECT_EQ(fetched, 1u);
    EXPECT_TRUE(host.has(kestra::archive::kCannotGetFile)) << host.all();
    EXPECT_EQ(archived_names(path), std::vector<std::string>{"(PROD)EMPTY ON DISK"});
    expect_closed_cleanly(host);
}

namespace {

// One seed of a reply-decoder fuzz target: the operation byte, the size byte and the data of each reply message.
void write_seed(const std::string& dir, const std::string& target, const std::string& name, int operation,
                const hl::CHostSession& session) {
    std::string seed(1, static_cast<char>(operation));
    const int size_byte = std::clamp((static_cast<int>(session.message_size()) - 100) / 8, 0, 255);
    seed += static_cast<char>(size_byte);
    for (std::size_t i = 0; i < recorder().buffers.size(); ++i) {
        const std::string& buffer = recorder().buffers[i];
        if (i > 0) seed += '\x1e';
        seed += buffer.size() > hl::kHeaderLength ? buffer.substr(hl::kHeaderLength) : std::string();
    }
    recorder().buffers.clear();
    std::filesystem::create_directories(dir + "/" + target);
    std::ofstream(dir + "/" + target + "/" + name, std::ios::binary) << seed;
}

}  // namespace

// Writes the seed corpora of the reply-decoder fuzz targets from the test host's real replies when
// KESTRA_FUZZ_SEEDS names a folder (fuzz/corpus); skipped otherwise.
TEST(FaultSeeds, RepliesOfTheTestHost) {
    const char* out = std::getenv("KESTRA_FUZZ_SEEDS");
    if (out == nullptr || *out == '\0') GTEST_SKIP() << "KESTRA_FUZZ_SEEDS not set";
    const std::string dir = out;
    for (const int granted : {4096, 160}) {
        const std::string tag = granted == 4096 ? "" : "_split";
        FaultHost host({{}, "", 4096, granted});
        ASSERT_EQ(host.login(), 0) << host.all();
        host.record();
        hl::CHostSession& s = host.session;
        cs::CConfigClient client(s);
        recorder().buffers.clear();

        model::CServerNode root;
        ASSERT_EQ(cs::get_config_list(client, root), 0) << host.all();
        write_seed(dir, "config_replies", "list" + tag, 0, s);
        std::uint32_t reference = 0;
        ASSERT_EQ(cs::open_config(client, 1, reference), 0);
        write_seed(dir, "config_replies", "open" + tag, 1, s);
        std::string response;
        ASSERT_EQ(cs::send_environment_command(client, "WHO", response), 0);
        write_seed(dir, "config_replies", "environment" + tag, 5, s);

        model::CConfigFile file;
        file.file_reference = static_cast<std::int32_t>(reference);
        cs::CPendingUnloadList pending;
        ASSERT_EQ(cs::get_table_list(client, pending, file), 0) << host.all();
        write_seed(dir, "table_replies", "list" + tag, 0, s);
        model::CConfigTable* customer = file.find_table("CUSTOMER");
        ASSERT_NE(customer, nullptr);
        ASSERT_EQ(cs::load_table(client, reference, *customer), 0) << host.all();
        write_seed(dir, "table_replies", "load" + tag, 1, s);
        ASSERT_EQ(cs::load_sets(client, *customer), 0) << host.all();
        write_seed(dir, "table_replies", "sets" + tag, 2, s);
        ASSERT_EQ(cs::get_field_list(client, *customer), 0) << host.all();
        write_seed(dir, "field_replies", "list" + tag, 0, s);
        model::CConfigTable* joined = file.find_table("CUSTOMER_ORDERS");
        ASSERT_NE(joined, nullptr);
        ASSERT_EQ(cs::load_join_table(client, reference, *joined, true), 0) << host.all();
        write_seed(dir, "table_replies", "join_header" + tag, 3, s);
        ASSERT_EQ(cs::load_join_table(client, reference, *joined, false), 0) << host.all();
        write_seed(dir, "table_replies", "join" + tag, 4, s);
        std::vector<std::unique_ptr<model::CConfigTable>> added;
        for (int i = 0; i < 4; ++i) added.push_back(new_table(i));
        ASSERT_EQ(cs::add_tables(client, reference, added), 0) << host.all();
        write_seed(dir, "table_replies", "add" + tag, 6 + 7 * 3, s);

        ASSERT_EQ(cs::get_global(client, file), 0) << host.all();
        write_seed(dir, "option_replies", "global" + tag, 0, s);
        ASSERT_EQ(cs::get_limits(client, file), 0) << host.all();
        write_seed(dir, "option_replies", "limits" + tag, 1, s);
        ASSERT_EQ(cs::get_app_list(client, file), 0) << host.all();
        write_seed(dir, "option_replies", "apps" + tag, 2, s);
        ASSERT_FALSE(file.applications.empty());
        ASSERT_EQ(cs::get_app_info(client, file, *file.applications.front()), 0) << host.all();
        write_seed(dir, "option_replies", "app" + tag, 3, s);

        std::vector<std::string> names;
        ASSERT_EQ(cs::get_descfile_list(client, names), 0) << host.all();
        write_seed(dir, "catalogue_replies", "descfiles" + tag, 0, s);
        cs::DatabaseList databases;
        ASSERT_EQ(cs::get_descfile_databases(client, "(PROD)DESCRIPTION/SALESDB ON DBPACK", databases), 0);
        write_seed(dir, "catalogue_replies", "databases" + tag, 1, s);
        ASSERT_FALSE(databases.empty());
        ASSERT_EQ(cs::get_descfile_datasets(client, "(PROD)DESCRIPTION/SALESDB ON DBPACK", *databases.front()), 0);
        write_seed(dir, "catalogue_replies", "datasets" + tag, 2, s);
        std::uint32_t handle = 0;
        ASSERT_EQ(cs::load_cobol_record(client, reference, cs::CobolStartMode::fd_name, "TIMECARD-FILE",
                                        "(PAY)SOURCE/TIMECARD", "(PAY)DATA/TIMECARD", "", handle),
                  0)
            << host.all();
        write_seed(dir, "catalogue_replies", "cobol_record" + tag, 3, s);
        std::int32_t option = 0;
        ASSERT_EQ(cs::write_table_description(client, handle, option), 0) << host.all();
        write_seed(dir, "catalogue_replies", "cobol_description" + tag, 4, s);

        // A file's attributes need more than the split size's messages hold.
        if (granted != 4096) continue;
        for (const auto& [name, host_file] : {std::pair{"daily", "(PROD)REPORT/DAILY ON DISK"},
                                              std::pair{"words", "(PROD)DATA/WORDS ON DISK"},
                                              std::pair{"empty", "(PROD)EMPTY ON DISK"}}) {
            std::size_t fetched = 0;
            ASSERT_EQ(get_files(host, host.dir().file("seed.kba"), {host_file}, fetched), 0) << host.all();
            write_seed(dir, "transfer_replies", name + tag, 0, s);
        }
    }
}

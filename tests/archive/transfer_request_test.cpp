#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/admin_app.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "archive/transfer_codec.h"
#include "archive/transfer_get.h"
#include "archive/transfer_put.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "support/fake_provider.h"
#include "support/temp_dir.h"

namespace kestra::archive {
namespace {

using kestra::hostlink::CHostSession;
using kestra::testing::fake_provider;
using kestra::testing::TempDir;

constexpr const char* kPrefix = "[Brisel Software][Kestra ODBC Driver]";

std::string refusal(int index, const std::string& text) {
    char head[16];
    std::snprintf(head, sizeof head, "2%04d%04zu", index, text.size());
    return head + text + "0000";
}

HostFileAttributes attributes_for(std::size_t size, std::string t1 = "T ONE") {
    HostFileAttributes a;
    a.a1 = 11;
    a.a2 = 4000000000u;
    a.frame_size = 8;
    a.record_size = 1;
    a.record_count = static_cast<std::uint32_t>(size);
    a.f2 = 1;
    a.f3 = 9;
    a.raw = {0, 1, 2, 0x7F, 4, 5, 6, 7, 8, 9, 10, 11};
    a.t1 = std::move(t1);
    a.t2 = "SECOND TEXT";
    return a;
}

// Plays the host's side of 49, 50 and 57 over the in-memory provider, with switches for the ways a host can
// misbehave.
struct FakeFileHost {
    struct File {
        std::string extra;
        std::string attribute_block;  // as sent
        std::string contents;
    };
    std::map<std::string, File> files;
    bool older = false;
    std::size_t chunk = 40;  // bytes per data reply
    // Replaces the n-th data reply (counted from 1 over the whole test) when it returns a value.
    std::function<std::optional<std::string>(int n)> data_reply;
    // The request (counted from 1) that gets no answer: a link failure.
    int silent_request = -1;
    // A put request (counted from 1 among puts) that is refused.
    int refuse_put = -1;
    // The request (counted from 1) answered with these data instead.
    int replaced_request = -1;
    std::string replaced_data;

    std::vector<int> codes;
    std::vector<std::string> bodies;
    std::vector<std::string> put_bodies;

    void add(const std::string& name, const std::string& contents, std::string extra = "XY",
             std::optional<HostFileAttributes> attrs = std::nullopt) {
        std::string block;
        encode_attribute_block(attrs ? *attrs : attributes_for(contents.size()), block);
        files[name] = File{std::move(extra), std::move(block), contents};
    }

    void install() {
        fake_provider().responder = [this](std::string_view sent) { return answer(sent); };
    }

    std::vector<std::string> answer(std::string_view sent) {
        const int code = std::stoi(std::string(sent.substr(7, 3)));
        const std::string body(sent.substr(14));
        codes.push_back(code);
        bodies.push_back(body);
        if (static_cast<int>(codes.size()) == silent_request) return {};
        if (static_cast<int>(codes.size()) == replaced_request)
            return {fake_provider().next_host_message(2, code, replaced_data)};
        return {fake_provider().next_host_message(2, code, reply(code, body))};
    }

    std::string reply(int code, const std::string& body) {
        if (code == 50) {
            put_bodies.push_back(body);
            if (static_cast<int>(put_bodies.size()) == refuse_put) return refusal(3, "[Kestra]DISK FULL");
            return "0";
        }
        if (code == 57 && older) return refusal(3, "[Kestra]INVALID COMMAND");
        if (body != "0") {
            const std::string name = body.substr(4);
            auto it = files.find(name);
            if (it == files.end()) return refusal(3, "[Kestra]FILE NOT FOUND");
            current = &it->second;
            offset = 0;
            char length[8];
            std::snprintf(length, sizeof length, "%03zu", current->extra.size());
            return "0" + (code == 57 ? length + current->extra : std::string()) + current->attribute_block;
        }
        ++data_replies;
        if (data_reply) {
            if (auto r = data_reply(data_replies)) return *r;
        }
        const std::size_t n = std::min(chunk, current->contents.size() - offset);
        std::string out = "0";
        for (std::size_t i = 0; i < n; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(current->contents[offset + i]));
            out += hex;
        }
        offset += n;
        return out;
    }

    File* current = nullptr;
    std::size_t offset = 0;
    int data_replies = 0;
};

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_provider().reset();
        app::admin_app() = app::CAdminApp();
        open_session(400);
        path = dir.file("get.kba");
    }
    void TearDown() override {
        EXPECT_EQ(fake_provider().buffers_outstanding, 0);
        fake_provider().reset();
    }
    void open_session(std::uint16_t message_size) {
        session = std::make_unique<CHostSession>();
        session->set_provider(fake_provider().table());
        session->set_connection(1);
        session->set_timeouts(30, 30);
        session->set_message_size(message_size);
        ASSERT_EQ(session->alloc_host_msg_buffer(), 0);
    }
    std::string last_text() const {
        return session->diagnostics().empty() ? std::string() : session->diagnostics().back().text;
    }
    std::uint16_t last_index() const {
        return session->diagnostics().empty() ? 0 : session->diagnostics().back().sqlstate_index;
    }
    bool has_record(std::uint16_t index, const std::string& text) const {
        for (const auto& d : session->diagnostics())
            if (d.sqlstate_index == index && d.text == text) return true;
        return false;
    }
    std::uint64_t file_length() const { return std::filesystem::file_size(path); }

    // An archive with the given files fetched from the fake host.
    void build_archive(const std::vector<std::string>& names) {
        ArchiveWriter writer;
        std::string error;
        ASSERT_TRUE(writer.create(path, error)) << error;
        host.install();
        GetFilesTransfer get(*session, writer);
        for (const auto& n : names) ASSERT_EQ(get.fetch_file(n), 0) << last_text();
        ASSERT_TRUE(writer.save(error)) << error;
        host.codes.clear();
        host.bodies.clear();
    }

    TempDir dir;
    std::string path;
    std::unique_ptr<CHostSession> session;
    FakeFileHost host;
};

std::string pattern(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return s;
}

std::vector<std::uint8_t> bytes_of_string(const std::string& s) { return {s.begin(), s.end()}; }

std::string entry_data(ArchiveReader& reader, std::size_t index) {
    const ArchiveEntry& e = reader.entries().at(index);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(e.size));
    std::string error;
    EXPECT_TRUE(reader.read_data(index, 0, bytes, error)) << error;
    return {bytes.begin(), bytes.end()};
}

// ---- Getting files ----

TEST_F(TransferTest, AFileArrivesWithItsExtraBlockAttributesAndBytes) {
    host.add("(P)A ON DISK", pattern(100), "EXTRA");
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    std::vector<std::string> statuses;
    std::vector<int> progress;
    TransferCallbacks cb;
    cb.status = [&](const std::string& s) { statuses.push_back(s); };
    cb.progress = [&](int p) { progress.push_back(p); };
    GetFilesTransfer get(*session, writer, cb);
    ASSERT_EQ(get.get("(P)A ON DISK"), 0) << last_text();
    EXPECT_EQ(get.fetched(), 1u);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Getting file (P)A ON DISK(1)", ""}));
    EXPECT_EQ(progress, (std::vector<int>{0, 40, 80, 100}));
    EXPECT_EQ(host.codes, (std::vector<int>{57, 57, 57, 57}));
    EXPECT_EQ(host.bodies[0], "0012(P)A ON DISK");
    EXPECT_EQ(host.bodies[1], "0");
    ASSERT_TRUE(writer.save(error));

    ArchiveReader reader;
    ASSERT_TRUE(reader.open(path, error)) << error;
    ASSERT_EQ(reader.entries().size(), 1u);
    const ArchiveEntry& e = reader.entries()[0];
    ASSERT_TRUE(e.readable) << e.problem;
    EXPECT_EQ(e.header.name, "(P)A ON DISK");
    EXPECT_EQ(e.header.attributes, attributes_for(100));
    EXPECT_EQ(e.extra, "EXTRA");
    EXPECT_EQ(entry_data(reader, 0), pattern(100));
}

TEST_F(TransferTest, AnOlderHostIsServedWithRequest49AndTheEntryGetsAnEmptyExtraBlock) {
    host.older = true;
    host.add("OLD", pattern(50), "IGNORED");
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    GetFilesTransfer get(*session, writer);
    ASSERT_EQ(get.fetch_file("OLD"), 0) << last_text();
    EXPECT_TRUE(session->diagnostics().empty());
    EXPECT_EQ(host.codes, (std::vector<int>{57, 49, 49, 49}));
    ASSERT_TRUE(writer.save(error));

    const std::string bytes = TempDir::read(path);
    const std::size_t position = writer.header().table[0];
    ASSERT_EQ(position, kArchiveHeaderSize + 3);
    EXPECT_EQ(bytes.substr(kArchiveHeaderSize, 3), "000");
    ArchiveReader reader;
    ASSERT_TRUE(reader.open(path, error));
    EXPECT_EQ(reader.entries()[0].extra, "");
    EXPECT_EQ(entry_data(reader, 0), pattern(50));
}

TEST_F(TransferTest, AnyOtherRefusalOfTheFirstRequestQueuesTheHostRecordsOnly) {
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    GetFilesTransfer get(*session, writer);
    EXPECT_EQ(get.fetch_file("MISSING"), -1);
    EXPECT_EQ(host.codes, std::vector<int>{57});
    ASSERT_EQ(session->diagnostics().size(), 1u);
    EXPECT_EQ(last_text(), "[Kestra]FILE NOT FOUND");
    EXPECT_EQ(file_length(), kArchiveHeaderSize);
}

TEST_F(TransferTest, ASizeZeroFileTakesOneDataRequestAndHasAHeaderButNoData) {
    host.add("EMPTY", "", "");
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    std::vector<int> progress;
    TransferCallbacks cb;
    cb.progress = [&](int p) { progress.push_back(p); };
    GetFilesTransfer get(*session, writer, cb);
    ASSERT_EQ(get.fetch_file("EMPTY"), 0) << last_text();
    EXPECT_EQ(host.codes.size(), 2u);
    EXPECT_EQ(progress, std::vector<int>{100});  // never 0 of nothing
    ASSERT_TRUE(writer.save(error));
    EXPECT_EQ(file_length(), kArchiveHeaderSize + 3 + kEntryHeaderSize);
}

TEST_F(TransferTest, AListWhoseSecondFileFailsKeepsTheFirstLeavesPartialBytesAndSkipsTheThird) {
    host.add("ONE", pattern(30));
    host.add("TWO", pattern(100));
    host.add("THREE", pattern(10));
    // ONE: its first request and one data request; TWO: its first, one data request of 40 bytes, then the
    // line goes quiet.
    host.silent_request = 5;
    host.install();
    const std::string list = dir.write("names.txt", "ONE\r\nTWO\r\n\r\nTHREE\r\n");
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    int between = 0;
    TransferCallbacks cb;
    cb.between_files = [&] { ++between; };
    GetFilesTransfer get(*session, writer, cb);
    EXPECT_EQ(get.get("@" + list), -1);
    EXPECT_EQ(get.fetched(), 1u);
    EXPECT_EQ(between, 1);

    EXPECT_EQ(last_index(), hostlink::kSqlLinkFailure);
    EXPECT_EQ(last_text(), std::string(kPrefix) + "Cannot get file");
    for (const auto& b : host.bodies) EXPECT_EQ(b.find("THREE"), std::string::npos);

    // The header on disk is valid without a save: one slot.
    ArchiveReader reader;
    ASSERT_TRUE(reader.open(path, error)) << error;
    ASSERT_EQ(reader.entries().size(), 1u);
    EXPECT_EQ(entry_data(reader, 0), pattern(30));
    reader.close();

    // TWO's extra block, header and first 40 bytes stay after ONE's data, without a slot.
    ASSERT_TRUE(writer.save(error)) << error;
    const std::uint64_t after_one = kArchiveHeaderSize + 2 + 3 + kEntryHeaderSize + 30;
    EXPECT_EQ(file_length(), after_one + 2 + 3 + kEntryHeaderSize + 40);
    ASSERT_TRUE(reader.open(path, error)) << error;
    EXPECT_EQ(reader.entries().size(), 1u);
}

// A stop asked for while a file moves ends the list after that file: it is archived whole, the next is never
// requested, and the list counts as done rather than failed.
TEST_F(TransferTest, AStopAskedForDuringAFileEndsTheListAfterThatFile) {
    host.add("ONE", pattern(90));
    host.add("TWO", pattern(10));
    host.install();
    const std::string list = dir.write("names.txt", "ONE\nTWO\n");
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    bool stop = false;
    int asked = 0;
    TransferCallbacks cb;
    // The user asks during ONE's data; the transfer only looks between files.
    cb.progress = [&](int percent) {
        if (percent > 0 && percent < 100) stop = true;
    };
    cb.stop_requested = [&] {
        ++asked;
        return stop;
    };
    GetFilesTransfer get(*session, writer, cb);
    EXPECT_EQ(get.get("@" + list), 0);
    EXPECT_EQ(get.fetched(), 1u);
    EXPECT_EQ(asked, 1);
    for (const auto& b : host.bodies) EXPECT_EQ(b.find("TWO"), std::string::npos);
    ASSERT_TRUE(writer.save(error)) << error;
    ArchiveReader reader;
    ASSERT_TRUE(reader.open(path, error)) << error;
    ASSERT_EQ(reader.entries().size(), 1u);
    EXPECT_EQ(entry_data(reader, 0), pattern(90));
}

TEST_F(TransferTest, AMissingListFileIsReportedWithItsPathAndNothingIsSent) {
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    host.install();
    GetFilesTransfer get(*session, writer);
    const std::string missing = dir.file("no-such-list.txt");
    EXPECT_EQ(get.get("@" + missing), -1);
    EXPECT_EQ(last_text(), std::string(kPrefix) + "Cannot open list file " + missing);
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(get.get(""), 0);
    EXPECT_TRUE(fake_provider().transmitted.empty());
}

// Data replies that would corrupt the file or loop for ever end the fetch, with no slot.
TEST_F(TransferTest, BadDataRepliesEndTheFetchAsFailed) {
    const std::vector<std::string> bad = {"0", "0ABC", "0GG", "2" + std::string("00030004HALT0000")};
    for (const std::string& reply : bad) {
        SCOPED_TRACE(reply);
        fake_provider().reset();
        open_session(400);
        FakeFileHost h;
        h.add("F", pattern(60));
        h.data_reply = [&](int n) -> std::optional<std::string> {
            if (n == 2) return reply;
            return std::nullopt;
        };
        h.install();
        ArchiveWriter writer;
        std::string error;
        ASSERT_TRUE(writer.create(path, error));
        GetFilesTransfer get(*session, writer);
        EXPECT_EQ(get.fetch_file("F"), -1);
        EXPECT_EQ(writer.count(), 0u);
        EXPECT_FALSE(writer.in_entry());
        if (reply[0] == '0') {
            EXPECT_EQ(last_index(), hostlink::kSqlLinkFailure);
            EXPECT_EQ(last_text(), std::string(kPrefix) + "Cannot get file");
        } else {
            EXPECT_EQ(last_text(), "HALT");
        }
        EXPECT_EQ(h.codes.size(), 3u);
    }
}

TEST_F(TransferTest, AHostSendingMoreThanTheSizeHasOnlyTheDueBytesKept) {
    host.add("F", pattern(10));
    host.data_reply = [](int) -> std::optional<std::string> { return "0" + std::string(40, 'a'); };
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    GetFilesTransfer get(*session, writer);
    ASSERT_EQ(get.fetch_file("F"), 0) << last_text();
    EXPECT_EQ(writer.end_position(), kArchiveHeaderSize + 5 + kEntryHeaderSize + 10);
}

TEST_F(TransferTest, TheLinkFailingOnTheFirstRequestIsCannotGetFile) {
    host.add("F", pattern(10));
    host.silent_request = 1;
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    GetFilesTransfer get(*session, writer);
    EXPECT_EQ(get.fetch_file("F"), -1);
    EXPECT_TRUE(has_record(hostlink::kSqlLinkFailure, std::string(kPrefix) + "Cannot get file"));
    EXPECT_EQ(file_length(), kArchiveHeaderSize);
}

// A reply without a status digit, or a refusal without records, is never a silent failure.
TEST_F(TransferTest, SilentRepliesToAGetStillExplainTheFailure) {
    struct Case {
        int request;  // 1 the first request, 2 the first data request
        const char* data;
        std::uint16_t index;
    };
    for (const Case& c : {Case{1, "", hostlink::kSqlLinkFailure}, Case{1, "2", hostlink::kSqlGeneralFailure},
                          Case{2, "", hostlink::kSqlLinkFailure}, Case{2, "20000", hostlink::kSqlGeneralFailure}}) {
        SCOPED_TRACE(std::to_string(c.request) + " \"" + c.data + "\"");
        session->clear_errors();
        host.codes.clear();
        host.add("F", pattern(10));
        host.replaced_request = c.request;
        host.replaced_data = c.data;
        host.install();
        ArchiveWriter writer;
        std::string error;
        ASSERT_TRUE(writer.create(path, error));
        GetFilesTransfer get(*session, writer);
        EXPECT_EQ(get.fetch_file("F"), -1);
        EXPECT_TRUE(has_record(c.index, std::string(kPrefix) + "Cannot get file")) << last_text();
    }
}

// Whatever cannot be archived whole is refused before a byte of that file is written.
TEST_F(TransferTest, FilesThatCannotBeArchivedWholeAreRefusedBeforeAnythingIsWritten) {
    HostFileAttributes long_t1 = attributes_for(4);
    long_t1.t1 = std::string(32, 'T');
    HostFileAttributes huge = attributes_for(0);
    huge.record_size = 4000000000u;
    huge.record_count = 2;
    HostFileAttributes overflow = attributes_for(0);
    overflow.frame_size = 1;
    overflow.record_size = 4294967295u;
    overflow.record_count = 4294967295u;
    struct Case {
        std::string name;
        std::string block;
        std::string expect;
    };
    std::vector<Case> cases;
    auto block_of = [](const HostFileAttributes& a) {
        std::string b;
        encode_attribute_block(a, b);
        return b;
    };
    cases.push_back({"LONG T1", block_of(long_t1), "File attribute T1 is longer than 31 characters"});
    cases.push_back({"HUGE", block_of(huge), "Archive file would pass 4 GiB"});
    cases.push_back({"OVERFLOW", block_of(overflow), "File size overflows"});
    // A frame size of 70000 does not fit its 16-bit field.
    std::string wide = block_of(attributes_for(4));
    wide.replace(30, 5, "70000");
    cases.push_back({"WIDE", wide, "File attribute frame size exceeds its field"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.files[c.name] = FakeFileHost::File{"", c.block, "DATA"};
    }
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    GetFilesTransfer get(*session, writer);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session->clear_errors();
        host.codes.clear();
        EXPECT_EQ(get.fetch_file(c.name), -1);
        EXPECT_EQ(host.codes.size(), 1u);  // no data requested
        EXPECT_EQ(last_index(), hostlink::kSqlGeneralFailure);
        EXPECT_NE(last_text().find(c.expect), std::string::npos) << last_text();
        EXPECT_EQ(file_length(), kArchiveHeaderSize);
    }

    session->clear_errors();
    host.codes.clear();
    EXPECT_EQ(get.fetch_file(std::string(255, 'N')), -1);
    EXPECT_TRUE(host.codes.empty());
    EXPECT_EQ(last_text(), std::string(kPrefix) + "Host file name is longer than 254 characters");
}

TEST_F(TransferTest, The4097thFileIsRefusedBeforeItsFirstRequestAndTheOthersStay) {
    host.add("Z", "", "");
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    GetFilesTransfer get(*session, writer);
    for (std::size_t i = 0; i < kMaxArchiveFiles; ++i) ASSERT_EQ(get.fetch_file("Z"), 0) << i;
    const std::size_t sent = fake_provider().transmitted.size();
    EXPECT_EQ(get.fetch_file("Z"), -1);
    EXPECT_EQ(fake_provider().transmitted.size(), sent);
    EXPECT_EQ(last_index(), hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), std::string(kPrefix) + "Archive is full (4096 files)");
    ASSERT_TRUE(writer.save(error));
    ArchiveReader reader;
    ASSERT_TRUE(reader.open(path, error));
    EXPECT_EQ(reader.entries().size(), kMaxArchiveFiles);
}

TEST_F(TransferTest, AFailedArchiveWriteEndsTheFetch) {
    host.add("F", pattern(100));
    host.install();
    ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    writer.fail_writes_beyond_for_test(kArchiveHeaderSize + 5 + kEntryHeaderSize + 50);
    GetFilesTransfer get(*session, writer);
    EXPECT_EQ(get.fetch_file("F"), -1);
    EXPECT_EQ(last_index(), hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), std::string(kPrefix) + "Cannot write archive file");
    EXPECT_EQ(host.codes.size(), 3u);  // the first 40 bytes went in, the next 40 did not fit
    EXPECT_EQ(writer.count(), 0u);
}

// ---- Putting files ----

TEST_F(TransferTest, TwoEntriesAreSentInListOrderWithTheirAttributesAndExtraBlocks) {
    host.add("FIRST", pattern(70), "E1");
    host.add("SECOND", pattern(5), "");
    build_archive({"FIRST", "SECOND"});
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error)) << error;
    std::vector<std::string> statuses;
    TransferCallbacks cb;
    cb.status = [&](const std::string& s) { statuses.push_back(s); };
    std::vector<int> progress;
    cb.progress = [&](int p) { progress.push_back(p); };
    PutFilesTransfer put(*session, reader, cb);
    ASSERT_EQ(put.send_entries({1, 0}), 0) << last_text();
    EXPECT_EQ(put.sent(), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Sending file FIRST", "", "Sending file SECOND", ""}));
    EXPECT_EQ(progress.back(), -1);

    // Message size 400: data limit 386, so 192 bytes a request.
    ASSERT_EQ(host.put_bodies.size(), 4u);
    EXPECT_EQ(host.put_bodies[0], encode_put_first_body("FIRST", attributes_for(70), "E1", true));
    EXPECT_EQ(host.put_bodies[1], encode_put_data_body(bytes_of_string(pattern(70))));
    EXPECT_EQ(host.put_bodies[2], encode_put_first_body("SECOND", attributes_for(5), "", true));
    EXPECT_EQ(host.put_bodies[2].substr(host.put_bodies[2].size() - 3), "000");
    EXPECT_EQ(host.put_bodies[3], "0" + std::string("03") + "0a" + "11" + "18" + "1f");
}

TEST_F(TransferTest, AStopBetweenPutEntriesSendsTheCurrentEntryWholeAndNoMore) {
    host.add("FIRST", pattern(300));
    host.add("SECOND", pattern(5));
    build_archive({"FIRST", "SECOND"});
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error)) << error;
    TransferCallbacks cb;
    bool stop = false;
    cb.progress = [&](int percent) {
        if (percent > 0 && percent < 100) stop = true;
    };
    cb.stop_requested = [&] { return stop; };
    PutFilesTransfer put(*session, reader, cb);
    EXPECT_EQ(put.send_entries({0, 1}), 0);
    EXPECT_EQ(put.sent(), (std::vector<std::size_t>{0}));
    // FIRST's first request and its two data requests; nothing of SECOND.
    ASSERT_EQ(host.put_bodies.size(), 3u);
    EXPECT_EQ(host.put_bodies[2].size(), 1 + 2 * (300 - 192));
}

TEST_F(TransferTest, WithADataLimitOf1024APutRequestCarries511Bytes) {
    open_session(1024 + 14);
    host.add("BIG", pattern(600));
    build_archive({"BIG"});
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error));
    PutFilesTransfer put(*session, reader);
    ASSERT_EQ(put.send_entry(0), 0) << last_text();
    ASSERT_EQ(host.put_bodies.size(), 3u);
    EXPECT_EQ(host.put_bodies[1].size(), 1u + 1022u);
    EXPECT_EQ(host.put_bodies[1][0], '0');
    EXPECT_EQ(host.put_bodies[2].size(), 1u + 2 * 89u);
    std::string hex;
    for (const std::string& b : {host.put_bodies[1], host.put_bodies[2]}) hex += b.substr(1);
    std::vector<std::uint8_t> decoded;
    ASSERT_TRUE(hex_decode(hex, decoded));
    EXPECT_EQ(std::string(decoded.begin(), decoded.end()), pattern(600));
    for (char c : hex) EXPECT_FALSE(c >= 'A' && c <= 'F');
}

TEST_F(TransferTest, ASizeZeroEntryIsCompleteAfterOneEmptyDataRequest) {
    host.add("EMPTY", "", "");
    build_archive({"EMPTY"});
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error));
    PutFilesTransfer put(*session, reader);
    ASSERT_EQ(put.send_entry(0), 0) << last_text();
    ASSERT_EQ(host.put_bodies.size(), 2u);
    EXPECT_EQ(host.put_bodies[1], "0");
}

TEST_F(TransferTest, AVersion1ArchiveIsSentWithoutAnExtraBlock) {
    host.add("V1", pattern(8), "");
    build_archive({"V1"});
    {
        std::string bytes = TempDir::read(path);
        bytes[2] = 1;
        bytes[3] = 0;
        dir.write("get.kba", bytes);
    }
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error));
    PutFilesTransfer put(*session, reader);
    ASSERT_EQ(put.send_entry(0), 0) << last_text();
    EXPECT_EQ(host.put_bodies[0], encode_put_first_body("V1", attributes_for(8), "", false));
}

TEST_F(TransferTest, ARefusalStopsTheSendAndLaterEntriesAreNotSent) {
    host.add("A", pattern(10));
    host.add("B", pattern(10));
    build_archive({"A", "B"});
    host.refuse_put = 2;  // A's data
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error));
    PutFilesTransfer put(*session, reader);
    EXPECT_EQ(put.send_entries({0, 1}), -1);
    EXPECT_TRUE(put.sent().empty());
    EXPECT_EQ(host.put_bodies.size(), 2u);
    ASSERT_EQ(session->diagnostics().size(), 1u);
    EXPECT_EQ(last_text(), "[Kestra]DISK FULL");
}

TEST_F(TransferTest, ALinkFailureWhilePuttingIsCannotPutFile) {
    host.add("A", pattern(10));
    build_archive({"A"});
    host.silent_request = 2;
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error));
    PutFilesTransfer put(*session, reader);
    EXPECT_EQ(put.send_entry(0), -1);
    EXPECT_TRUE(has_record(hostlink::kSqlLinkFailure, std::string(kPrefix) + "Cannot put file"));
}

TEST_F(TransferTest, SilentRepliesToAPutStillExplainTheFailure) {
    host.add("A", pattern(10));
    build_archive({"A"});
    for (const char* data : {"", "2"}) {
        SCOPED_TRACE(std::string("\"") + data + "\"");
        session->clear_errors();
        host.codes.clear();
        host.replaced_request = 2;  // the entry's data
        host.replaced_data = data;
        ArchiveReader reader;
        std::string error;
        ASSERT_TRUE(reader.open(path, error));
        PutFilesTransfer put(*session, reader);
        EXPECT_EQ(put.send_entry(0), -1);
        EXPECT_TRUE(has_record(*data == '\0' ? hostlink::kSqlLinkFailure : hostlink::kSqlGeneralFailure,
                               std::string(kPrefix) + "Cannot put file"))
            << last_text();
    }
}

TEST_F(TransferTest, AShortReadWhilePuttingEndsTheSend) {
    host.add("A", pattern(500));
    build_archive({"A"});
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error));
    // The file shrinks under the open reader.
    std::filesystem::resize_file(path, file_length() - 100);
    PutFilesTransfer put(*session, reader);
    EXPECT_EQ(put.send_entry(0), -1);
    EXPECT_EQ(last_index(), hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), std::string(kPrefix) + "Cannot read archive file");
    EXPECT_EQ(host.put_bodies.size(), 3u);  // the first request and two whole chunks
}

TEST_F(TransferTest, AnUnreadableEntryIsRefusedBeforeAnythingIsSent) {
    host.add("A", pattern(500));
    build_archive({"A"});
    std::filesystem::resize_file(path, file_length() - 1);
    ArchiveReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error));
    ASSERT_FALSE(reader.entries()[0].readable);
    PutFilesTransfer put(*session, reader);
    EXPECT_EQ(put.send_entry(0), -1);
    EXPECT_TRUE(host.put_bodies.empty());
    EXPECT_EQ(last_index(), hostlink::kSqlGeneralFailure);
    EXPECT_NE(last_text().find("unreadable"), std::string::npos) << last_text();
}

}  // namespace
}  // namespace kestra::archive

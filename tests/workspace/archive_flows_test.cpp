// The archive commands and the Get Files and Put Files logic over scripted windows and an in-memory host: what
// becomes of the archive on each way out, what the windows are told while files move, and stops that wait for the
// file under way.
#include "workspace/archive_flows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "archive/host_file_attributes.h"
#include "support/fake_session.h"
#include "support/recording_ui_hooks.h"
#include "support/temp_dir.h"
#include "workspace/get_files_controller.h"
#include "workspace/put_files_controller.h"

namespace kestra::workspace {
namespace {

using testing::fake_provider;

std::string refusal(const std::string& text) {
    char head[16];
    std::snprintf(head, sizeof head, "2%04d%04zu", 3, text.size());
    return head + text + "0000";
}

std::string hex(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(c));
        out += two;
    }
    return out;
}

// Serves gets (57) and takes puts (50), 40 bytes a data reply, and logs the first request of every file.
struct FileHost {
    std::map<std::string, std::string> files;
    std::vector<std::string> requested;  // names of first get requests
    std::vector<std::string> put_names;
    std::string put_data;
    std::string current;
    std::size_t offset = 0;

    void install() {
        fake_provider().responder = [this](std::string_view sent) {
            const int code = std::stoi(std::string(sent.substr(7, 3)));
            return std::vector<std::string>{
                fake_provider().next_host_message(2, code, reply(code, std::string(sent.substr(14))))};
        };
    }
    std::string reply(int code, const std::string& body) {
        if (code == 50) {
            if (body.size() > 4 && body[1] == '0' && put_names.size() <= put_data.size()) {
                // A first put request: "0", the name's 3-digit length and the name.
                const std::size_t n = std::stoul(body.substr(1, 3));
                put_names.push_back(body.substr(4, n));
            } else {
                put_data += body.substr(1);
            }
            return "0";
        }
        if (body != "0") {
            const std::string name = body.substr(4);
            requested.push_back(name);
            const auto it = files.find(name);
            if (it == files.end()) return refusal("[Kestra]FILE NOT FOUND");
            current = name;
            offset = 0;
            archive::HostFileAttributes a;
            a.frame_size = 8;
            a.record_size = 1;
            a.record_count = static_cast<std::uint32_t>(it->second.size());
            std::string block;
            archive::encode_attribute_block(a, block);
            return "0000" + block;
        }
        const std::string& data = files[current];
        const std::size_t n = std::min<std::size_t>(40, data.size() - offset);
        const std::string out = "0" + hex(data.substr(offset, n));
        offset += n;
        return out;
    }
};

// The windows as a test scripts them.
struct ScriptedWindows : ArchiveFlowSeams {
    std::vector<std::string> answers;  // file dialog answers in turn, then Cancel
    std::vector<ArchiveFileRequest> requests;
    int beeps = 0;
    std::function<bool(GetFilesController&)> get_files = [](GetFilesController&) { return true; };
    std::function<void(PutFilesController&)> put_files = [](PutFilesController&) {};
    int get_windows = 0;
    int put_windows = 0;

    std::string choose_file(const ArchiveFileRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void beep() override { ++beeps; }
    bool run_get_files(GetFilesController& c) override {
        ++get_windows;
        return get_files(c);
    }
    void run_put_files(PutFilesController& c) override {
        ++put_windows;
        put_files(c);
    }
};

class ArchiveFlowTest : public testing::FakeSessionTest {
  protected:
    void SetUp() override {
        FakeSessionTest::SetUp();
        host.files["ONE"] = std::string(90, 'a');
        host.files["TWO"] = "second file";
        host.files["THREE"] = "3";
        host.files["EMPTY"] = "";
        host.install();
        path = dir.file("out.kba");
    }

    std::vector<std::string> archived(const std::string& p) {
        archive::ArchiveReader reader;
        std::string error;
        EXPECT_TRUE(reader.open(p, error)) << error;
        std::vector<std::string> names;
        for (const auto& e : reader.entries()) names.push_back(e.header.name);
        return names;
    }

    testing::RecordingUiHooks hooks;
    testing::TempDir dir;
    FileHost host;
    ScriptedWindows windows;
    std::string path;
};

// ---- Save archive ----

TEST_F(ArchiveFlowTest, SaveKeepsTheArchiveWithItsFilesAndBeeps) {
    windows.answers = {path};
    windows.get_files = [](GetFilesController& c) {
        EXPECT_EQ(c.get("ONE"), 0);
        EXPECT_EQ(c.get("EMPTY"), 0);
        return c.save_allowed();
    };
    EXPECT_EQ(save_archive(session, windows), ArchiveFlowResult::done);
    ASSERT_EQ(windows.requests.size(), 1u);
    EXPECT_TRUE(windows.requests[0].save);
    EXPECT_EQ(windows.beeps, 1);
    EXPECT_TRUE(hooks.boxes.empty());
    EXPECT_EQ(archived(path), (std::vector<std::string>{"ONE", "EMPTY"}));
}

TEST_F(ArchiveFlowTest, CancelDeletesTheArchiveEvenWithFilesFetched) {
    windows.answers = {path};
    windows.get_files = [&](GetFilesController& c) {
        EXPECT_EQ(c.get("ONE"), 0);
        EXPECT_TRUE(std::filesystem::exists(path));
        return false;
    };
    EXPECT_EQ(save_archive(session, windows), ArchiveFlowResult::cancelled);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(windows.beeps, 0);
}

TEST_F(ArchiveFlowTest, AnExistingFileIsEmptiedAndDeletedOnCancel) {
    dir.write("out.kba", std::string(50000, 'x'));
    windows.answers = {path};
    windows.get_files = [&](GetFilesController&) {
        EXPECT_EQ(std::filesystem::file_size(path), 16390u);
        return false;
    };
    save_archive(session, windows);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ArchiveFlowTest, AFailedHeaderWriteShowsItsMessageAndDeletesTheArchive) {
    windows.answers = {path};
    windows.get_files = [](GetFilesController& c) {
        EXPECT_EQ(c.get("TWO"), 0);
        c.archive().fail_writes_beyond_for_test(0);
        return true;
    };
    EXPECT_EQ(save_archive(session, windows), ArchiveFlowResult::failed);
    EXPECT_EQ(hooks.boxes, (std::vector<std::string>{"Error writing archive header"}));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(windows.beeps, 0);
}

TEST_F(ArchiveFlowTest, AFileThatCannotBeCreatedStopsBeforeTheWindow) {
    windows.answers = {dir.file("missing-folder/out.kba")};
    EXPECT_EQ(save_archive(session, windows), ArchiveFlowResult::failed);
    EXPECT_EQ(hooks.boxes, (std::vector<std::string>{"Cannot create archive file"}));
    EXPECT_EQ(windows.get_windows, 0);
}

TEST_F(ArchiveFlowTest, NoFileChosenDoesNothing) {
    EXPECT_EQ(save_archive(session, windows), ArchiveFlowResult::not_chosen);
    EXPECT_EQ(open_archive(session, windows), ArchiveFlowResult::not_chosen);
    EXPECT_EQ(windows.get_windows + windows.put_windows, 0);
    EXPECT_TRUE(fake_provider().transmitted.empty());
}

// ---- The Get Files logic ----

TEST_F(ArchiveFlowTest, StatusCountsOnAcrossGetPressesAndClearsAfterEachFile) {
    archive::ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    std::vector<std::string> statuses;
    GetFilesView view;
    view.status = [&](const std::string& s) { statuses.push_back(s); };
    GetFilesController c(session, writer, path, view);
    EXPECT_EQ(c.get(""), 0);
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(c.get("ONE"), 0);
    EXPECT_EQ(c.get("TWO"), 0);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Getting file ONE(1)", "", "Getting file TWO(2)", ""}));
    EXPECT_EQ(c.fetched(), 2u);
}

TEST_F(ArchiveFlowTest, AFailedGetShowsTheHostsErrorsAndEnablesTheButtonsAgain) {
    archive::ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    std::vector<bool> enabled;
    GetFilesView view;
    GetFilesController* self = nullptr;
    view.buttons_changed = [&] { enabled.push_back(self->buttons_enabled()); };
    GetFilesController c(session, writer, path, view);
    self = &c;
    EXPECT_EQ(c.get("NOSUCH"), -1);
    ASSERT_EQ(hooks.boxes.size(), 1u);
    EXPECT_NE(hooks.boxes[0].find("FILE NOT FOUND"), std::string::npos);
    EXPECT_EQ(enabled, (std::vector<bool>{false, true}));
    EXPECT_TRUE(c.save_allowed());
    EXPECT_EQ(hooks.waiting(), 0);
}

TEST_F(ArchiveFlowTest, ButtonsStayDisabledThroughAListAndSaveIsRefusedMeanwhile) {
    const std::string list = dir.write("list.txt", "ONE\nTWO\nTHREE\n");
    archive::ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    GetFilesController* self = nullptr;
    std::vector<bool> during;
    GetFilesView view;
    view.dispatch_events = [&] {
        during.push_back(self->buttons_enabled() || self->save_allowed());
        // A second Get pressed from the event loop is refused.
        EXPECT_EQ(self->get("EMPTY"), 0);
    };
    GetFilesController c(session, writer, path, view);
    self = &c;
    EXPECT_EQ(c.get("@" + list), 0);
    EXPECT_EQ(during, (std::vector<bool>{false, false}));
    EXPECT_EQ(host.requested, (std::vector<std::string>{"ONE", "TWO", "THREE"}));
    EXPECT_TRUE(c.buttons_enabled());
}

// Cancel while a list runs: the file under way is finished, the next is never asked for, and the window ends
// cancelled once get() returns, which deletes the archive.
TEST_F(ArchiveFlowTest, CancelDuringAListWaitsForTheFileUnderWayThenEndsTheWindow) {
    const std::string list = dir.write("list.txt", "ONE\nTWO\nTHREE\n");
    bool may_end = true;
    archive::ArchiveWriter writer;
    std::string error;
    ASSERT_TRUE(writer.create(path, error));
    GetFilesController* self = nullptr;
    GetFilesView view;
    // Pressed while ONE's data arrives: within a file no event loop runs, so this is where a click queued
    // during the file would be handled at the latest.
    view.progress = [&](int percent) {
        if (percent > 0 && percent < 100 && self->fetched() == 0) may_end = self->cancel();
    };
    GetFilesController c(session, writer, path, view);
    self = &c;
    EXPECT_EQ(c.get("@" + list), 0);
    EXPECT_FALSE(may_end);
    EXPECT_TRUE(c.cancel_requested());
    EXPECT_FALSE(c.save_allowed());
    EXPECT_EQ(host.requested, (std::vector<std::string>{"ONE"}));
    EXPECT_EQ(c.fetched(), 1u);
    // Nothing more starts once cancelled.
    EXPECT_EQ(c.get("TWO"), 0);
    EXPECT_EQ(host.requested.size(), 1u);
    EXPECT_TRUE(c.cancel());
}

// ---- Open archive and the Put Files logic ----

TEST_F(ArchiveFlowTest, AShortFileIsNotAnArchiveAndNoWindowOpens) {
    windows.answers = {dir.write("short.kba", "0123456789"), dir.file("absent.kba")};
    EXPECT_EQ(open_archive(session, windows), ArchiveFlowResult::failed);
    EXPECT_EQ(open_archive(session, windows), ArchiveFlowResult::failed);
    EXPECT_EQ(hooks.boxes, (std::vector<std::string>{"Not an archive file", "Cannot open archive file"}));
    EXPECT_EQ(windows.put_windows, 0);
    EXPECT_FALSE(windows.requests[0].save);
}

TEST_F(ArchiveFlowTest, PutSendsTheSelectionInListOrderAndReportsWhatWent) {
    windows.answers = {path};
    windows.get_files = [](GetFilesController& c) {
        EXPECT_EQ(c.get("TWO"), 0);
        EXPECT_EQ(c.get("THREE"), 0);
        return true;
    };
    ASSERT_EQ(save_archive(session, windows), ArchiveFlowResult::done);

    windows.answers = {path};
    std::vector<std::string> statuses;
    windows.put_files = [&](PutFilesController& c) {
        EXPECT_EQ(c.names(), (std::vector<std::string>{"TWO", "THREE"}));
        EXPECT_EQ(c.put({1, 0}), 0);
        EXPECT_EQ(c.sent(), (std::vector<std::size_t>{0, 1}));
    };
    EXPECT_EQ(open_archive(session, windows), ArchiveFlowResult::done);
    EXPECT_EQ(host.put_names, (std::vector<std::string>{"TWO", "THREE"}));
    EXPECT_EQ(host.put_data, hex("second file") + hex("3"));
    EXPECT_TRUE(hooks.boxes.empty());
}

TEST_F(ArchiveFlowTest, AnUnreadableEntryIsListedWithItsReasonAndRefusedAlone) {
    windows.answers = {path};
    windows.get_files = [](GetFilesController& c) {
        EXPECT_EQ(c.get("TWO"), 0);
        EXPECT_EQ(c.get("THREE"), 0);
        return true;
    };
    ASSERT_EQ(save_archive(session, windows), ArchiveFlowResult::done);
    // Cut the last entry's data short.
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 1);

    windows.answers = {path};
    windows.put_files = [&](PutFilesController& c) {
        const auto names = c.names();
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[0], "TWO");
        EXPECT_EQ(names[1].rfind("(unreadable: ", 0), 0u);
        EXPECT_EQ(c.put({1}), -1);
        EXPECT_TRUE(c.sent().empty());
        EXPECT_EQ(hooks.boxes.size(), 1u);
        EXPECT_EQ(c.put({0}), 0);
        EXPECT_EQ(c.sent(), (std::vector<std::size_t>{0}));
    };
    open_archive(session, windows);
    EXPECT_EQ(host.put_names, (std::vector<std::string>{"TWO"}));
}

}  // namespace
}  // namespace kestra::workspace

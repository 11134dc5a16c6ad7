#include "workspace/archive_flows.h"

#include <cstdio>

#include "app/ui_hooks.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "workspace/get_files_controller.h"
#include "workspace/put_files_controller.h"

namespace kestra::workspace {

namespace {

constexpr const char* kArchiveFilter = "Archives (*.kba *.KBA)";
constexpr const char* kArchiveSuffix = "KBA";

void show_message(const std::string& text) {
    app::message_box(text, {}, app::MessageIcon::Warning, app::MessageButtons::Ok);
}

}  // namespace

ArchiveFileRequest save_archive_request() {
    return {"Save Brisel Software Archive", kArchiveFilter, kArchiveSuffix, true};
}

ArchiveFileRequest open_archive_request() {
    return {"Open Brisel Software Archive", kArchiveFilter, kArchiveSuffix, false};
}

ArchiveFlowResult save_archive(hostlink::CHostSession& session, ArchiveFlowSeams& seams) {
    const std::string path = seams.choose_file(save_archive_request());
    if (path.empty()) return ArchiveFlowResult::not_chosen;

    archive::ArchiveWriter writer;
    std::string error;
    if (!writer.create(path, error)) {
        show_message(error);
        return ArchiveFlowResult::failed;
    }
    bool saved = false;
    {
        GetFilesController controller(session, writer, path);
        saved = seams.run_get_files(controller);
    }
    if (saved) {
        if (writer.save(error)) {
            seams.beep();
            return ArchiveFlowResult::done;
        }
        // A header that did not go down whole leaves no archive worth keeping.
        show_message(error);
    }
    writer.close();
    std::remove(path.c_str());
    return saved ? ArchiveFlowResult::failed : ArchiveFlowResult::cancelled;
}

ArchiveFlowResult open_archive(hostlink::CHostSession& session, ArchiveFlowSeams& seams) {
    const std::string path = seams.choose_file(open_archive_request());
    if (path.empty()) return ArchiveFlowResult::not_chosen;

    archive::ArchiveReader reader;
    std::string error;
    if (!reader.open(path, error)) {
        show_message(error);
        return ArchiveFlowResult::failed;
    }
    {
        PutFilesController controller(session, reader, path);
        seams.run_put_files(controller);
    }
    reader.close();
    return ArchiveFlowResult::done;
}

}  // namespace kestra::workspace

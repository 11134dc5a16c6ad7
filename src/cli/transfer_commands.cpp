// Host file transfer: get host files into a new archive, put archived files back onto the host.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "archive/transfer_get.h"
#include "archive/transfer_put.h"
#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/host_command.h"
#include "hostlink/host_session.h"

namespace kestra::cli {

namespace {

// A one-line progress bar on standard error, drawn only when that is a terminal so logs and pipes stay clean.
class ProgressLine {
public:
    explicit ProgressLine(CliContext& ctx) : out_(ctx.err), on_(&ctx.err == &std::cerr && isatty(STDERR_FILENO)) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    archive::TransferCallbacks callbacks() {
        if (!on_) return {};
        archive::TransferCallbacks c;
        c.status = [this](const std::string& text) {
            label_ = text;
            percent_ = -1;
            if (text.empty()) clear(); else draw();
        };
        c.progress = [this](int percent) {
            percent_ = percent;
            draw();
        };
        return c;
    }

private:
    static constexpr std::size_t kLabelWidth = 44;
    static constexpr int kBarWidth = 30;

    void draw() {
        std::string line = "\r";
        std::string label = label_.size() > kLabelWidth ? label_.substr(0, kLabelWidth - 3) + "..." : label_;
        label.resize(kLabelWidth, ' ');
        line += label;
        if (percent_ >= 0) {
            const int filled = percent_ * kBarWidth / 100;
            line += " [" + std::string(static_cast<std::size_t>(filled), '#') +
                    std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] ";
            char pct[8];
            std::snprintf(pct, sizeof pct, "%3d%%", percent_);
            line += pct;
        }
        width_ = std::max(width_, line.size() - 1);
        out_ << line << std::flush;
    }
    void clear() {
        if (!on_ || width_ == 0) return;
        out_ << "\r" << std::string(width_, ' ') << "\r" << std::flush;
        width_ = 0;
    }

    std::ostream& out_;
    bool on_;
    std::string label_;
    int percent_ = -1;
    std::size_t width_ = 0;
};

int usage(CliContext& ctx, const std::string& command, const std::string& message, const char* synopsis) {
    ctx.err << "kestra " << command << ": " << message << "\nusage: kestra " << command << " " << synopsis << "\n";
    return kExitUsage;
}

constexpr const char* kGetSynopsis = "ARCHIVE HOSTFILE... | @LISTFILE";
constexpr const char* kPutSynopsis = "ARCHIVE [ENTRY...]";

int run_get(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> positionals;
    if (!parser.finish(positionals)) return usage(ctx, "get", parser.error(), kGetSynopsis);
    if (positionals.size() < 2) return usage(ctx, "get", "expected an ARCHIVE and at least one host file", kGetSynopsis);
    const std::string path = positionals[0];
    const std::vector<std::string> wanted(positionals.begin() + 1, positionals.end());
    for (const std::string& w : wanted) {
        if (w.empty() || w == "@") return usage(ctx, "get", "empty host file name or list file", kGetSynopsis);
    }

    return with_host(ctx, [&](hostlink::CHostSession& session) {
        // Created only once logged in, so a refused login does not empty an existing file.
        archive::ArchiveWriter writer;
        std::string error;
        if (!writer.create(path, error)) {
            ctx.err << "kestra get: " << path << ": " << error << "\n";
            return kExitFailure;
        }
        ProgressLine progress(ctx);
        archive::GetFilesTransfer transfer(session, writer, progress.callbacks());
        std::int16_t rc = hostlink::kSuccess;
        for (const std::string& w : wanted) {
            rc = transfer.get(w);
            if (rc != hostlink::kSuccess) break;
        }
        // The header already names every committed file; saving rewrites it once more, failure or not.
        const bool saved = writer.save(error);
        if (!saved) ctx.err << "kestra get: " << path << ": " << error << "\n";
        if (ctx.options.json) {
            ctx.out << "{\"archive\":" << json_string(path) << ",\"fetched\":" << transfer.fetched()
                    << ",\"ok\":" << (rc == hostlink::kSuccess && saved ? "true" : "false") << "}\n";
        } else {
            ctx.out << path << ": " << transfer.fetched() << (transfer.fetched() == 1 ? " file" : " files")
                    << " fetched\n";
        }
        if (rc != hostlink::kSuccess) return host_failure(ctx, session);
        return saved ? kExitOk : kExitFailure;
    });
}

// An entry is named by its number in the listing (from 1) or by its host file name.
bool resolve_entry(const archive::ArchiveReader& reader, const std::string& name, std::size_t& index) {
    const auto& entries = reader.entries();
    long long number = 0;
    if (parse_number(name, number, 1, static_cast<long long>(entries.size()))) {
        index = static_cast<std::size_t>(number - 1);
        return true;
    }
    for (const auto& e : entries) {
        if (e.readable && e.header.name == name) {
            index = e.index;
            return true;
        }
    }
    return false;
}

int run_put(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> positionals;
    if (!parser.finish(positionals)) return usage(ctx, "put", parser.error(), kPutSynopsis);
    if (positionals.empty()) return usage(ctx, "put", "expected an ARCHIVE", kPutSynopsis);
    const std::string path = positionals[0];

    archive::ArchiveReader reader;
    std::string error;
    if (!reader.open(path, error)) {
        ctx.err << "kestra put: " << path << ": " << error << "\n";
        return kExitFailure;
    }
    std::vector<std::size_t> selected;
    if (positionals.size() == 1) {
        for (std::size_t i = 0; i < reader.entries().size(); ++i) selected.push_back(i);
    } else {
        for (std::size_t i = 1; i < positionals.size(); ++i) {
            std::size_t index = 0;
            if (!resolve_entry(reader, positionals[i], index)) {
                return usage(ctx, "put", "no entry " + positionals[i] + " in " + path, kPutSynopsis);
            }
            selected.push_back(index);
        }
    }
    if (selected.empty()) {
        if (ctx.options.json)
            ctx.out << "{\"archive\":" << json_string(path) << ",\"sent\":[],\"ok\":true}\n";
        else
            ctx.out << path << ": no files to send\n";
        return kExitOk;
    }

    return with_host(ctx, [&](hostlink::CHostSession& session) {
        ProgressLine progress(ctx);
        archive::PutFilesTransfer transfer(session, reader, progress.callbacks());
        const std::int16_t rc = transfer.send_entries(selected);
        if (ctx.options.json) {
            ctx.out << "{\"archive\":" << json_string(path) << ",\"sent\":[";
            bool first = true;
            for (std::size_t i : transfer.sent()) {
                ctx.out << (first ? "" : ",") << json_string(reader.entries()[i].header.name);
                first = false;
            }
            ctx.out << "],\"ok\":" << (rc == hostlink::kSuccess ? "true" : "false") << "}\n";
        } else {
            for (std::size_t i : transfer.sent()) ctx.out << "sent " << reader.entries()[i].header.name << "\n";
        }
        return rc == hostlink::kSuccess ? kExitOk : host_failure(ctx, session);
    });
}

const CommandRegistration get_registration{
    {"get", kGetSynopsis, "fetch host files into a new archive",
     "Creates ARCHIVE (emptying it if it exists) and fetches each named host file into it, in order.\n"
     "\"@LISTFILE\" fetches every file named in LISTFILE, one name a line. Fetching stops at the first\n"
     "failure; the archive keeps the files completed before it and the exit status is 1.\n"
     "A progress bar is drawn on standard error when it is a terminal.",
     kGroupTransfer, &run_get}};

const CommandRegistration put_registration{
    {"put", kPutSynopsis, "send archived files back onto the host",
     "Sends the named entries of ARCHIVE to the host, in the archive's list order; every entry when none is\n"
     "named. An ENTRY is its number in \"kestra archive\" (from 1) or its host file name. Sending stops at the\n"
     "first failure. A progress bar is drawn on standard error when it is a terminal.",
     kGroupTransfer, &run_put}};

}  // namespace

}  // namespace kestra::cli

// Host file transfer: get host files into a new archive, put archived files back onto the host.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "archive/entry_header.h"
#include "archive/transfer_codec.h"
#include "archive/transfer_get.h"
#include "archive/transfer_put.h"
#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/host_command.h"
#include "cli/temp_files.h"
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
    ctx.err << "kestra: " << command << ": " << message << "\nusage: kestra " << command << " " << synopsis << "\n";
    return kExitUsage;
}

constexpr const char* kGetSynopsis = "ARCHIVE HOSTFILE... | @LISTFILE";
constexpr const char* kPutSynopsis = "[--skip-unreadable] ARCHIVE [ENTRY...]";

// Temporary archives are named ".NAME.PID.kestra-part" beside their target, so a killed get leaves nothing under
// the target's name and the next get into that folder can tell its leftovers from another one's work in hand.
constexpr const char* kPartSuffix = ".kestra-part";

std::filesystem::path folder_of(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Removes the temporary archives in `folder` whose writer is gone.
void remove_stale_parts(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string suffix = kPartSuffix;
        if (name.size() <= suffix.size() + 2 || name[0] != '.' ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string stem = name.substr(0, name.size() - suffix.size());
        const std::size_t dot = stem.rfind('.');
        long long pid = 0;
        if (dot == std::string::npos || !parse_number(stem.substr(dot + 1), pid, 1, 0x7FFFFFFF)) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code ignored;
        std::filesystem::remove(it->path(), ignored);
    }
}

std::string part_path(const std::string& path) {
    const std::string base = std::filesystem::path(path).filename().string();
    return (folder_of(path) / ("." + base + "." + std::to_string(::getpid()) + kPartSuffix)).string();
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

// The host file names a get fetches, in order, with every list file read and every name checked before the
// login: a bad name on the command line is a usage error, a list file that cannot be read or names nothing is 1.
int collect_names(CliContext& ctx, const std::string& archive_path, const std::vector<std::string>& wanted,
                  std::vector<std::string>& names) {
    std::string problem;
    for (const std::string& w : wanted) {
        if (w.empty() || w == "@") return usage(ctx, "get", "empty host file name or list file", kGetSynopsis);
        if (w.front() != '@') {
            if (!archive::check_host_file_name(w, problem)) return usage(ctx, "get", problem, kGetSynopsis);
            names.push_back(w);
            continue;
        }
        const std::string list = w.substr(1);
        if (same_file(list, archive_path))
            return usage(ctx, "get", "the archive cannot be its own list file " + list, kGetSynopsis);
        std::vector<std::string> listed;
        if (!archive::read_list_file(list, listed, problem)) {
            ctx.err << "kestra: get: " << problem << "\n";
            return kExitFailure;
        }
        if (listed.empty()) {
            ctx.err << "kestra: get: list file " << list << " names no host file\n";
            return kExitFailure;
        }
        for (std::size_t i = 0; i < listed.size(); ++i) {
            if (has_control_character(listed[i]))
                problem = "Host file name holds a control character";
            else if (archive::check_host_file_name(listed[i], problem))
                continue;
            ctx.err << "kestra: get: " << list << " line " << i + 1 << ": " << problem << "\n";
            return kExitFailure;
        }
        names.insert(names.end(), listed.begin(), listed.end());
    }
    return kExitOk;
}

// Puts the finished temporary archive in the target's place, keeping an existing target's permissions.
bool replace_target(const std::string& part, const std::string& path, std::string& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) (void)::chmod(part.c_str(), st.st_mode & 07777);
    if (::rename(part.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

int run_get(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> positionals;
    if (!parser.finish(positionals)) return usage(ctx, "get", parser.error(), kGetSynopsis);
    if (positionals.size() < 2) return usage(ctx, "get", "expected an ARCHIVE and at least one host file", kGetSynopsis);
    const std::string path = positionals[0];
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return usage(ctx, "get", path + " is a folder", kGetSynopsis);
    std::vector<std::string> names;
    if (int status = collect_names(ctx, path, {positionals.begin() + 1, positionals.end()}, names); status != kExitOk)
        return status;

    return with_host(ctx, [&](hostlink::CHostSession& session) {
        // The archive is written under a temporary name and takes the target's place only once at least one file
        // is in it: a failed or interrupted get leaves an existing archive as it was.
        const std::filesystem::path folder = folder_of(path);
        remove_stale_parts(folder);
        const std::string part = part_path(path);
        const TempFileGuard guard(part);
        archive::ArchiveWriter writer;
        std::string error;
        if (!writer.create(part, error)) {
            ctx.err << "kestra: get: " << path << ": " << error << "\n";
            ::unlink(part.c_str());
            return kExitFailure;
        }
        ProgressLine progress(ctx);
        archive::GetFilesTransfer transfer(session, writer, progress.callbacks());
        std::int16_t rc = hostlink::kSuccess;
        for (const std::string& name : names) {
            rc = transfer.get(name);
            if (rc != hostlink::kSuccess) break;
        }
        bool saved = writer.save(error);
        if (!saved) ctx.err << "kestra: get: " << path << ": " << error << "\n";
        const std::size_t fetched = transfer.fetched();
        bool placed = false;
        if (saved && fetched > 0) {
            placed = replace_target(part, path, error);
            if (!placed) ctx.err << "kestra: get: cannot replace " << path << ": " << error << "\n";
        }
        if (!placed) ::unlink(part.c_str());
        const bool ok = rc == hostlink::kSuccess && placed;
        if (ctx.options.json)
            ctx.out << "{\"archive\":" << json_string(path) << ",\"fetched\":" << (placed ? fetched : 0)
                    << ",\"ok\":" << json_bool(ok) << "}\n";
        if (rc != hostlink::kSuccess) print_diagnostics(ctx, session);
        if (!ok) {
            if (placed)
                ctx.err << "kestra: get: " << path << ": " << fetched << (fetched == 1 ? " file" : " files")
                        << " fetched before the failure\n";
            else
                ctx.err << "kestra: get: " << path << ": nothing fetched, left as it was\n";
        }
        return ok ? kExitOk : kExitFailure;
    });
}

// An entry is named by its number in the listing (from 1) or by its host file name. An archive may hold the same
// host file twice; such a name is refused (the count is set) rather than sending whichever comes first.
bool resolve_entry(const archive::ArchiveReader& reader, const std::string& name, std::size_t& index,
                   std::size_t& matches) {
    const auto& entries = reader.entries();
    long long number = 0;
    matches = 0;
    if (parse_number(name, number, 1, static_cast<long long>(entries.size()))) {
        index = static_cast<std::size_t>(number - 1);
        matches = 1;
        return true;
    }
    for (const auto& e : entries) {
        if (e.readable && e.header.name == name && matches++ == 0) index = e.index;
    }
    return matches == 1;
}

int run_put(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool skip_unreadable = parser.flag("skip-unreadable");
    std::vector<std::string> positionals;
    if (!parser.finish(positionals)) return usage(ctx, "put", parser.error(), kPutSynopsis);
    if (positionals.empty()) return usage(ctx, "put", "expected an ARCHIVE", kPutSynopsis);
    const std::string path = positionals[0];

    archive::ArchiveReader reader;
    std::string error;
    if (!reader.open(path, error)) {
        ctx.err << "kestra: put: " << path << ": " << error << "\n";
        return kExitFailure;
    }
    std::vector<std::size_t> selected;
    if (positionals.size() == 1) {
        for (std::size_t i = 0; i < reader.entries().size(); ++i) selected.push_back(i);
    } else {
        for (std::size_t i = 1; i < positionals.size(); ++i) {
            std::size_t index = 0;
            std::size_t matches = 0;
            if (!resolve_entry(reader, positionals[i], index, matches)) {
                if (matches > 1)
                    ctx.err << "kestra: put: " << matches << " entries of " << path << " are named " << positionals[i]
                            << "; give its number\n";
                else
                    ctx.err << "kestra: put: no entry " << positionals[i] << " in " << path << "\n";
                return kExitFailure;
            }
            selected.push_back(index);
        }
    }
    // Everything selected is checked before the first byte goes: the host is never left half-updated by an
    // entry the reader already knew it could not send.
    std::vector<std::size_t> skipped;
    for (std::size_t i : selected) {
        const archive::ArchiveEntry& e = reader.entries()[i];
        if (e.readable) continue;
        ctx.err << "kestra: put: " << path << ": entry " << i + 1 << " is unreadable: " << e.problem << "\n";
        skipped.push_back(i);
    }
    if (!skipped.empty() && !skip_unreadable) {
        ctx.err << "kestra: put: nothing sent (--skip-unreadable sends the others)\n";
        return kExitFailure;
    }
    std::erase_if(selected, [&](std::size_t i) { return !reader.entries()[i].readable; });

    auto report = [&](const std::vector<std::size_t>& sent, bool ok) {
        if (!ctx.options.json) return;
        ctx.out << "{\"archive\":" << json_string(path) << ",\"sent\":[";
        bool first = true;
        for (std::size_t i : sent) {
            ctx.out << (first ? "" : ",") << json_string(reader.entries()[i].header.name);
            first = false;
        }
        ctx.out << "],\"skipped\":[";
        first = true;
        for (std::size_t i : skipped) {
            ctx.out << (first ? "" : ",") << i + 1;
            first = false;
        }
        ctx.out << "],\"ok\":" << json_bool(ok) << "}\n";
    };
    if (selected.empty()) {
        report({}, skipped.empty());
        return skipped.empty() ? kExitOk : kExitFailure;
    }

    return with_host(ctx, [&](hostlink::CHostSession& session) {
        ProgressLine progress(ctx);
        archive::PutFilesTransfer transfer(session, reader, progress.callbacks());
        const std::int16_t rc = transfer.send_entries(selected);
        const bool ok = rc == hostlink::kSuccess && skipped.empty();
        report(transfer.sent(), ok);
        if (rc != hostlink::kSuccess) {
            print_diagnostics(ctx, session);
            for (std::size_t i : transfer.sent())
                ctx.err << "kestra: put: sent " << shown(reader.entries()[i].header.name) << " before the failure\n";
        }
        return ok ? kExitOk : kExitFailure;
    });
}

const CommandRegistration get_registration{
    {"get", kGetSynopsis, "fetch host files into a new archive",
     "Fetches each named host file, in order, into a new ARCHIVE. \"@LISTFILE\" fetches every file named in\n"
     "LISTFILE, one name a line; list files and names are checked before the login. The archive is written under\n"
     "a temporary name in ARCHIVE's folder and replaces ARCHIVE only at the end, and only when at least one file\n"
     "was fetched: otherwise an existing ARCHIVE is left as it was. Fetching stops at the first failure (exit\n"
     "status 1); the archive then holds the files completed before it. A progress bar is drawn on standard error\n"
     "when it is a terminal. Prints nothing on success; with --json, the archive and the number fetched.",
     kGroupTransfer, &run_get}};

const CommandRegistration put_registration{
    {"put", kPutSynopsis, "send archived files back onto the host",
     "Sends the named entries of ARCHIVE to the host, in the archive's list order; every entry when none is\n"
     "named. An ENTRY is its number in \"kestra archive\" (from 1) or its host file name. Every selected entry\n"
     "is checked first: if any is unreadable, each is named and nothing is sent (exit status 1), unless\n"
     "--skip-unreadable, which sends the others and still exits with 1. Sending stops at the first failure.\n"
     "A progress bar is drawn on standard error when it is a terminal. Prints nothing on success; with --json,\n"
     "the names sent.",
     kGroupTransfer, &run_put}};

}  // namespace

}  // namespace kestra::cli

// kestra batch: many commands in one login.
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/arg_parser.h"
#include "cli/cli_app.h"
#include "cli/cli_output.h"
#include "cli/host_command.h"
#include "cli/word_splitter.h"

namespace kestra::cli {

namespace {

// No command line comes near this; a longer one is refused rather than read into memory without end.
constexpr std::size_t kLongestLine = 64 * 1024;

enum class LineRead { line, too_long, end };

LineRead read_line(std::istream& in, std::string& line) {
    line.clear();
    std::streambuf* buf = in.rdbuf();
    bool any = false;
    bool too_long = false;
    for (int c = buf->sbumpc(); c != std::char_traits<char>::eof(); c = buf->sbumpc()) {
        any = true;
        if (c == '\n') break;
        if (line.size() < kLongestLine)
            line += static_cast<char>(c);
        else
            too_long = true;
    }
    if (!any) return LineRead::end;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return too_long ? LineRead::too_long : LineRead::line;
}

int run_lines(CliContext& ctx, std::istream& in, bool keep_going) {
    SharedLogin login;
    CliContext batch_ctx{ctx.out, ctx.err, ctx.in, ctx.options, ctx.ini_path, &login};
    int first_failure = kExitOk;
    std::string line;
    std::vector<std::string> words;
    for (std::size_t number = 1;; ++number) {
        const LineRead read = read_line(in, line);
        if (read == LineRead::end) break;
        const std::string where = "kestra: batch line " + std::to_string(number) + ": ";
        int status = kExitOk;
        std::string error;
        if (read == LineRead::too_long) {
            ctx.err << where << "longer than " << kLongestLine << " characters\n";
            status = kExitUsage;
        } else if (!split_words(line, words, error)) {
            ctx.err << where << error << "\n";
            status = kExitUsage;
        } else if (words.empty()) {
            continue;
        } else if (words[0].rfind("-", 0) == 0) {
            ctx.err << where << "global options are given once, on the batch command\n";
            status = kExitUsage;
        } else if (words[0] == "batch") {
            ctx.err << where << "a batch cannot run another batch\n";
            status = kExitUsage;
        } else {
            const std::string name = words[0];
            words.erase(words.begin());
            status = run_command(batch_ctx, name, std::move(words));
            ctx.out.flush();
            if (status != kExitOk) ctx.err << where << shown(name) << " failed with exit status " << status << "\n";
        }
        if (status == kExitOk) continue;
        if (first_failure == kExitOk) first_failure = status;
        if (!keep_going) break;
    }
    const int logout = login.logout(batch_ctx);
    return first_failure != kExitOk ? first_failure : logout;
}

int run_batch(CliContext& ctx, std::span<const std::string> args) {
    if (ctx.shared_login != nullptr) return usage(ctx, "batch: a batch cannot run another batch");
    ArgParser parser(args);
    const bool keep_going = parser.flag("keep-going");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, "batch: " + parser.error());
    if (rest.size() > 1) return usage(ctx, "batch: give at most one FILE");
    if (rest.empty() || rest[0] == "-") return run_lines(ctx, ctx.in, keep_going);
    std::ifstream file;
    std::error_code ec;
    if (!std::filesystem::is_directory(rest[0], ec)) file.open(rest[0], std::ios::binary);
    if (!file.is_open()) {
        ctx.err << "kestra: batch: cannot read " << rest[0] << "\n";
        return kExitFailure;
    }
    return run_lines(ctx, file, keep_going);
}

const CommandRegistration batch_reg{
    {"batch", "[--keep-going] [FILE|-]", "run many commands, one a line, in one login",
     "Reads commands from FILE (default: standard input), one a line, with the same syntax and options as on the\n"
     "command line: words are split as a POSIX shell splits them, without expansion ('...', \"...\", backslash);\n"
     "\"#\" starts a comment; blank lines are skipped. The first command that needs the host logs in, every later\n"
     "one uses the same login, and the batch logs out once at the end. Each command's output follows in order.\n"
     "Global options are given once, on the batch command (--json may follow a command's name as usual).\n"
     "The batch stops at the first failing line, naming its number, unless --keep-going; the exit status is\n"
     "that of the first failure.",
     kGroupSession, run_batch}};

}  // namespace

}  // namespace kestra::cli

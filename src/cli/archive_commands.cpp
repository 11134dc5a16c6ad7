#include "cli/archive_commands.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "cli/arg_parser.h"
#include "cli/cli_output.h"

namespace kestra::cli {

namespace {


void print_json(CliContext& ctx, const std::string& path, const archive::ArchiveReader& reader) {
    std::ostream& out = ctx.out;
    out << "{\"archive\":" << json_string(path) << ",\"version\":" << reader.header().version
        << ",\"count\":" << reader.header().count << ",\"entries\":[";
    bool first = true;
    for (const archive::ArchiveEntry& e : reader.entries()) {
        out << (first ? "" : ",") << "{\"index\":" << e.index + 1;
        first = false;
        if (!e.readable) {
            out << ",\"readable\":false,\"problem\":" << json_string(e.problem) << "}";
            continue;
        }
        const archive::HostFileAttributes& a = e.header.attributes;
        out << ",\"readable\":true,\"name\":" << json_string(e.header.name) << ",\"size\":" << e.size
            << ",\"frame_size\":" << a.frame_size << ",\"record_size\":" << a.record_size
            << ",\"record_count\":" << a.record_count << ",\"extra_length\":" << e.extra.size() << "}";
    }
    out << "]}\n";
}

void print_table(CliContext& ctx, const std::string& path, const archive::ArchiveReader& reader) {
    std::ostream& out = ctx.out;
    const auto& entries = reader.entries();
    out << "Archive " << path << ": version " << reader.header().version << ", " << entries.size()
        << (entries.size() == 1 ? " file" : " files") << "\n";
    if (entries.empty()) return;

    struct Row {
        std::string cells[6];
    };
    std::vector<Row> rows;
    rows.push_back({{"#", "Name", "Size", "Frame size", "Record size", "Records"}});
    for (const archive::ArchiveEntry& e : entries) {
        Row r;
        r.cells[0] = std::to_string(e.index + 1);
        if (!e.readable) {
            r.cells[1] = "(unreadable: " + shown(e.problem) + ")";
        } else {
            const archive::HostFileAttributes& a = e.header.attributes;
            r.cells[1] = shown(e.header.name);
            r.cells[2] = std::to_string(e.size);
            r.cells[3] = std::to_string(a.frame_size);
            r.cells[4] = std::to_string(a.record_size);
            r.cells[5] = std::to_string(a.record_count);
        }
        rows.push_back(std::move(r));
    }
    std::size_t width[6] = {};
    for (const Row& r : rows) {
        // An unreadable entry's reason may be long; it should not widen the name column for everyone.
        for (std::size_t c = 0; c < 6; ++c)
            if (c != 1 || !r.cells[2].empty() || &r == &rows.front())
                width[c] = std::max(width[c], r.cells[c].size());
    }
    for (const Row& r : rows) {
        std::string line;
        for (std::size_t c = 0; c < 6; ++c) {
            const std::string& cell = r.cells[c];
            const std::size_t pad = cell.size() < width[c] ? width[c] - cell.size() : 0;
            const bool numeric = c != 1;
            if (c > 0) line += "  ";
            if (numeric) line += std::string(pad, ' ');
            line += cell;
            if (!numeric && c != 5) line += std::string(pad, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << "\n";
    }
}

}  // namespace

int run_archive(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> positionals;
    if (!parser.finish(positionals) || positionals.size() != 1) {
        ctx.err << "kestra: archive: " << (parser.error().empty() ? "expected one ARCHIVE" : parser.error())
                << "\nusage: kestra archive ARCHIVE\n";
        return kExitUsage;
    }
    const std::string& path = positionals[0];
    archive::ArchiveReader reader;
    std::string error;
    if (!reader.open(path, error)) {
        ctx.err << "kestra: archive: " << path << ": " << error << "\n";
        return kExitFailure;
    }
    if (ctx.options.json)
        print_json(ctx, path, reader);
    else
        print_table(ctx, path, reader);
    return kExitOk;
}

namespace {
const CommandRegistration archive_registration{
    {"archive", "ARCHIVE", "list the files in an archive (needs no host)",
     "Lists every file of an archive with its size in bytes, frame size, record size and record count.\n"
     "An entry that cannot be read is listed as unreadable, with the reason.",
     kGroupTransfer, &run_archive}};
}  // namespace

}  // namespace kestra::cli

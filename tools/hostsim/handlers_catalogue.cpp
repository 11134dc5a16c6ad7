// The host's side of the description files and COBOL records (3, 4, 12, 43, 44).
#include <mutex>

#include "body_codec.h"
#include "open_files.h"
#include "request_handlers.h"
#include "table_handles.h"

namespace kestra::hostsim {
namespace {

constexpr const char* kInvalidRequest = "[Kestra]INVALID REQUEST";
constexpr const char* kDescfileNotFound = "[Kestra]DESCRIPTION FILE NOT FOUND";
constexpr const char* kDatabaseNotFound = "[Kestra]DATABASE NOT FOUND";
constexpr const char* kSourceNotFound = "[Kestra]COBOL SOURCE FILE NOT FOUND";
constexpr const char* kRecordNotFound = "[Kestra]COBOL RECORD NOT FOUND";
constexpr const char* kInvalidStartMode = "[Kestra]INVALID START MODE";
constexpr const char* kInvalidSequence = "[Kestra]INVALID SEQUENCE NUMBER";
constexpr const char* kNoHandles = "[Kestra]TOO MANY LOADED TABLES";
constexpr const char* kDataFileRequired = "[Kestra]DATA FILE TITLE REQUIRED";
constexpr const char* kCannotWriteDescription = "[Kestra]CANNOT WRITE TABLE DESCRIPTION";

std::string entry_text(const std::string& text) { return BodyWriter().text(text).take(); }

const DescriptionFile* find_descfile(const HostState& state, const std::string& name) {
    for (const auto& d : state.description_files)
        if (equals_ignore_case(d.name, name)) return &d;
    return nullptr;
}

// Request 12: "." -> N(4) count, S name each.
void handle_descfile_list(RequestContext& context, std::string_view body, Reply& reply) {
    if (body != ".") return reply.refuse(3, kInvalidRequest);
    std::lock_guard lock(context.host.mutex);
    std::vector<std::string> entries;
    for (const auto& d : context.host.state.description_files) entries.push_back(entry_text(d.name));
    reply.list(context.session, BodyWriter().number(static_cast<std::int64_t>(entries.size()), 4).take(), entries);
}

// Request 3: the raw name, "." -> N(4) count, S database name each.
void handle_database_list(RequestContext& context, std::string_view body, Reply& reply) {
    if (body.size() < 2 || body.back() != '.') return reply.refuse(3, kInvalidRequest);
    const std::string name(body.substr(0, body.size() - 1));
    std::lock_guard lock(context.host.mutex);
    const DescriptionFile* file = find_descfile(context.host.state, name);
    if (file == nullptr) return reply.refuse(3, kDescfileNotFound);
    std::vector<std::string> entries;
    for (const auto& db : file->databases) entries.push_back(entry_text(db.name));
    reply.list(context.session, BodyWriter().number(static_cast<std::int64_t>(entries.size()), 4).take(), entries);
}

// Request 4: the raw description file name, ".", the raw database name, "." -> N(5) count, then S name and N(1)
// type per dataset or set, in the host's order. Database names hold no ".", so the last one but the stop parts them.
void handle_dataset_list(RequestContext& context, std::string_view body, Reply& reply) {
    if (body.size() < 4 || body.back() != '.') return reply.refuse(3, kInvalidRequest);
    const std::string_view names = body.substr(0, body.size() - 1);
    const std::size_t stop = names.rfind('.');
    if (stop == std::string_view::npos || stop == 0 || stop + 1 == names.size())
        return reply.refuse(3, kInvalidRequest);
    const std::string descfile(names.substr(0, stop));
    const std::string database(names.substr(stop + 1));
    std::lock_guard lock(context.host.mutex);
    const DescriptionFile* file = find_descfile(context.host.state, descfile);
    if (file == nullptr) return reply.refuse(3, kDescfileNotFound);
    const DescDatabase* db = nullptr;
    for (const auto& d : file->databases)
        if (equals_ignore_case(d.name, database)) db = &d;
    if (db == nullptr) return reply.refuse(3, kDatabaseNotFound);
    std::vector<std::string> entries;
    for (const auto& ds : db->datasets)
        entries.push_back(BodyWriter().text(ds.name).number(ds.type, 1).take());
    reply.list(context.session, BodyWriter().number(static_cast<std::int64_t>(entries.size()), 5).take(), entries);
}

const CobolRecord* find_record(const CobolSource& source, int mode, const std::string& target) {
    for (const auto& r : source.records) {
        switch (mode) {
            case 0: if (equals_ignore_case(r.fd_name, target)) return &r; break;
            case 1: if (equals_ignore_case(r.level01_name, target)) return &r; break;
            case 2: if (r.fd_sequence == std::stoi(target)) return &r; break;
            case 3: if (r.level01_sequence == std::stoi(target)) return &r; break;
            default: break;
        }
    }
    return nullptr;
}

// Request 43: N(4) file reference, N(1) start mode, S target, S COBOL source, S (empty), S data file title,
// S access library -> N(4) handle of a loaded table whose fields are the record's.
void handle_load_cobol_record(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    int file_reference = 0;
    if (!r.number(4, file_reference) || find_open_file(context, file_reference) == nullptr)
        return reply.refuse(3, kInvalidFileReference);
    int mode = 0;
    std::string target, source_name, unused, title, library;
    r.number(1, mode);
    r.text(target);
    r.text(source_name);
    r.text(unused);
    r.text(title);
    r.text(library);
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    if (mode < 0 || mode > 3) return reply.refuse(3, kInvalidStartMode);
    if (mode >= 2 && (target.empty() || target.size() > 6 ||
                      target.find_first_not_of("0123456789") != std::string::npos))
        return reply.refuse(3, kInvalidSequence);
    if (title.empty()) return reply.refuse(3, kDataFileRequired);

    const CobolSource* source = nullptr;
    for (const auto& s : context.host.state.cobol_sources)
        if (equals_ignore_case(s.file, source_name)) source = &s;
    if (source == nullptr) return reply.refuse(3, kSourceNotFound);
    const CobolRecord* record = find_record(*source, mode, target);
    if (record == nullptr) return reply.refuse(3, kRecordNotFound);

    Table copy;
    copy.name = to_upper_ascii(record->level01_name);
    copy.dataset = "STYLE";
    copy.database = target;
    copy.description_file = source->file;
    copy.fields = record->fields;
    copy.option = record->option;
    const int handle = load_table_handle(context, file_reference, 0, std::move(copy));
    if (handle == 0) return reply.refuse(3, kNoHandles);
    reply.ok(BodyWriter().number(handle, 4).take());
}

// Request 44: N(4) handle, N(5) table option (sent as 0) -> N(5) the option of the written description; refused
// for a record whose option is negative.
void handle_write_table_description(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    LoadedTable* table = loaded_table_from_body(context, r, reply);
    if (table == nullptr) return;
    int option = 0;
    if (!r.number(5, option) || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    // A record whose option is negative stands for a description the host cannot write.
    if (table->copy.option < 0) return reply.refuse(3, kCannotWriteDescription);
    reply.ok(BodyWriter().number(table->copy.option, 5).take());
}

}  // namespace

void register_catalogue_handlers(HandlerTable& table) {
    table.add(2, 3, handle_database_list);
    table.add(2, 4, handle_dataset_list);
    table.add(2, 12, handle_descfile_list);
    table.add(2, 43, handle_load_cobol_record);
    table.add(2, 44, handle_write_table_description);
}

}  // namespace kestra::hostsim

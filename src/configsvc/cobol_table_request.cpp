#include "configsvc/cobol_table_request.h"

#include "configsvc/field_requests.h"
#include "configsvc/pending_unload_list.h"
#include "configsvc/table_requests.h"
#include "configsvc/table_selection_model.h"
#include "hostlink/host_session.h"

namespace kestra::configsvc {

namespace {

constexpr std::uint16_t kLoadCobolRecordCode = 43;
constexpr std::uint16_t kWriteTableDescriptionCode = 44;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool by_sequence(CobolStartMode mode) {
    return mode == CobolStartMode::fd_sequence || mode == CobolStartMode::level01_sequence;
}

// Request 24 without save for the work record's handle. Its errors are queued; the caller decides what counts.
std::int16_t unload_without_save(CConfigClient& client, model::CConfigTable& work) {
    CPendingUnloadList none;
    return unload_table(client, none, work, false, false);
}

}  // namespace

std::int16_t load_cobol_record(CConfigClient& client, std::uint32_t file_reference, CobolStartMode mode,
                               std::string_view target, std::string_view source_file, std::string_view data_file_title,
                               std::string_view access_library, std::uint32_t& table_handle) {
    BodyWriter body = client.body();
    body.number(file_reference, 4);
    body.number(static_cast<std::int64_t>(mode), 1);
    body.text(target);
    body.text(source_file);
    body.text({});
    body.text(data_file_title);
    body.text(access_library);
    return client.number_request(kLoadCobolRecordCode, body, Upper::no, kLoadCobolRecordFailure, table_handle, 4);
}

std::int16_t write_table_description(CConfigClient& client, std::uint32_t table_handle, std::int32_t& table_option) {
    BodyWriter body = client.body();
    body.number(table_handle, 4);
    body.number(0, 5);
    std::uint32_t option = 0;
    const std::int16_t rc =
        client.number_request(kWriteTableDescriptionCode, body, Upper::no, kWriteTableDescriptionFailure, option, 5);
    if (rc == hostlink::kSuccess) table_option = static_cast<std::int32_t>(option);
    return rc;
}

const char* cobol_target_label(CobolStartMode mode) {
    switch (mode) {
        case CobolStartMode::fd_name: return "Name of FD";
        case CobolStartMode::level01_name: return "Name of 01 Level";
        case CobolStartMode::fd_sequence: return "Sequence Number of FD";
        case CobolStartMode::level01_sequence: return "Sequence Number of 01 Level";
    }
    return "Name of FD";
}

bool is_cobol_table(const model::CConfigTable& table) {
    return !table.join_table && table.dataset == kCobolDataset && table.set.empty();
}

std::string clean_cobol_table_name(std::string_view typed) {
    std::string name;
    for (char c : typed) {
        if (is_letter(c) || is_digit(c)) {
            name.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c);
        } else if (c == '-' || c == '_') {
            name.push_back('_');
        }
    }
    return name;
}

bool CCobolTableRequest::refuse(const char* message, int control) {
    message_ = message;
    focus_ = control;
    return false;
}

bool CCobolTableRequest::validate(const std::vector<std::unique_ptr<model::CConfigTable>>& existing) {
    message_.clear();
    focus_ = 0;
    // The edit control takes at most 29 characters; a longer text handed in is held to the same limit.
    if (table_name.size() > kCobolTableNameMax) table_name.resize(kCobolTableNameMax);
    table_name = clean_cobol_table_name(table_name);
    if (table_name.empty()) return refuse(kCobolNoTableName, kCobolTableNameControl);
    if (table_name_taken(existing, table_name)) return refuse(kCobolDuplicateTableName, kCobolTableNameControl);
    if (source_file.empty()) return refuse(kCobolNoSourceFile, kCobolSourceControl);
    if (target.empty()) return refuse(kCobolNoTarget, kCobolTargetControl);
    if (by_sequence(mode_)) {
        if (target.size() > kSequenceTargetDigits) return refuse(kCobolSequenceTooLong, kCobolTargetControl);
        for (char c : target)
            if (!is_digit(c)) return refuse(kCobolSequenceNonDigit, kCobolTargetControl);
        target.insert(0, kSequenceTargetDigits - target.size(), '0');
    } else if (target.size() > kCobolTargetMax) {
        // The target becomes the table's database, which holds no more than this.
        return refuse(kCobolTargetTooLong, kCobolTargetControl);
    }
    if (data_file_title.empty()) return refuse(kCobolNoDataFile, kCobolDataFileControl);
    return true;
}

std::int16_t CCobolTableRequest::ok(CConfigClient& client, model::CConfigFile& file) {
    new_tables_.clear();
    work_ = std::make_unique<model::CConfigTable>();
    if (!validate(file.tables)) return hostlink::kError;

    const auto file_reference = static_cast<std::uint32_t>(file.file_reference);
    std::uint32_t handle = 0;
    std::int16_t rc = load_cobol_record(client, file_reference, mode_, target, source_file, data_file_title,
                                        access_library, handle);
    if (rc != hostlink::kSuccess) return rc;
    work_->table_handle = static_cast<std::int32_t>(handle);
    work_->loaded = true;

    auto give_up = [&](std::int16_t failure) {
        unload_without_save(client, *work_);
        new_tables_.clear();
        return failure;
    };

    rc = write_table_description(client, handle, work_->table_option);
    if (rc != hostlink::kSuccess) return give_up(rc);
    rc = get_field_list(client, *work_);
    if (rc != hostlink::kSuccess) return give_up(rc);

    // The table handed back is an unloaded record, like one of the table list: no handle, no fields.
    auto table = std::make_unique<model::CConfigTable>();
    table->name.assign(table_name);
    table->table_option = work_->table_option;
    table->update_allowed = client.session().default_options().update_allowed;
    table->return_groups = client.session().default_options().return_groups;
    table->dataset.assign(kCobolDataset);
    table->database.assign(target);
    table->description_file.assign(source_file, model::TextFit::cut);
    new_tables_.push_back(std::move(table));

    rc = add_tables(client, file_reference, new_tables_);
    if (rc != hostlink::kSuccess) return give_up(rc);
    file.modified = true;

    // The tables exist on the host now; a failed unload only leaves its errors queued for the caller to show.
    unload_without_save(client, *work_);
    return hostlink::kSuccess;
}

std::vector<std::unique_ptr<model::CConfigTable>> CCobolTableRequest::take_new_tables() {
    auto out = std::move(new_tables_);
    new_tables_.clear();
    return out;
}

}  // namespace kestra::configsvc

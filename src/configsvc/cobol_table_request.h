#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "configsvc/config_client.h"
#include "model/config_file.h"
#include "model/config_table.h"

namespace kestra::configsvc {

// Where in the COBOL source the record description starts.
enum class CobolStartMode : std::uint8_t { fd_name = 0, level01_name = 1, fd_sequence = 2, level01_sequence = 3 };

inline constexpr const char* kLoadCobolRecordFailure = "Cannot load cobol record";
inline constexpr const char* kWriteTableDescriptionFailure = "Cannot write table description";

inline constexpr const char* kCobolNoTableName = "**You must enter a table name**";
inline constexpr const char* kCobolDuplicateTableName = "**Duplicate Table Name**";
inline constexpr const char* kCobolNoSourceFile = "**You must enter a COBOL source file name**";
inline constexpr const char* kCobolNoTarget = "**You must enter a target**";
inline constexpr const char* kCobolSequenceTooLong = "**Sequence number target cannot exceed 6 digits**";
inline constexpr const char* kCobolSequenceNonDigit = "**Non-digit in sequence number target**";
inline constexpr const char* kCobolTargetTooLong = "**Target cannot exceed 17 characters**";
inline constexpr const char* kCobolNoDataFile = "**You must enter a data file name**";

// Controls a validation message sends the focus to.
inline constexpr int kCobolTableNameControl = 1014;
inline constexpr int kCobolSourceControl = 1171;
inline constexpr int kCobolTargetControl = 1047;
inline constexpr int kCobolDataFileControl = 1048;

inline constexpr std::size_t kCobolTableNameMax = model::kTableNameMax;
inline constexpr std::size_t kSequenceTargetDigits = 6;
// The longest target a table can keep as its database.
inline constexpr std::size_t kCobolTargetMax = model::kDatabaseNameMax;

// The dataset every table over a COBOL record carries.
inline constexpr const char* kCobolDataset = "STYLE";

// A table made from a COBOL record: over the COBOL dataset and no set. Its information is shown in the COBOL
// table window rather than as a dataset's.
bool is_cobol_table(const model::CConfigTable& table);

// Request 43: the host reads the COBOL source and builds a table description; its handle comes back. The texts go
// as typed; an empty one is sent as "000".
std::int16_t load_cobol_record(CConfigClient& client, std::uint32_t file_reference, CobolStartMode mode,
                               std::string_view target, std::string_view source_file, std::string_view data_file_title,
                               std::string_view access_library, std::uint32_t& table_handle);
// Request 44 with table option 0; the host's table option comes back.
std::int16_t write_table_description(CConfigClient& client, std::uint32_t table_handle, std::int32_t& table_option);

// The label of the target for a start mode.
const char* cobol_target_label(CobolStartMode mode);

// The table name as the dialog keeps it: letters and digits upper-cased, "-" as "_", "_" kept, the rest dropped.
std::string clean_cobol_table_name(std::string_view typed);

// What the COBOL Table Selection dialog holds and does, without the window.
class CCobolTableRequest {
public:
    CCobolTableRequest() = default;

    std::string table_name;
    std::string source_file;
    std::string target;
    std::string data_file_title;
    std::string access_library;  // the only optional text

    CobolStartMode mode() const { return mode_; }
    void set_mode(CobolStartMode mode) { mode_ = mode; }
    const char* target_label() const { return cobol_target_label(mode_); }

    // The checks of OK, in order. The table name is cleaned and a sequence-number target padded in place. On a
    // refusal the message and the control to focus are set and false is returned.
    bool validate(const std::vector<std::unique_ptr<model::CConfigTable>>& existing);

    // OK: the checks, then requests 43 and 44, the field list, the new table, add-tables for the file and the
    // unload of the handle without save. Returns 0 when the table exists on the host (take it with
    // take_new_tables). A refused check returns -1 with message() set; a host or link failure returns its code
    // with the errors queued and message() empty. After request 43 succeeded, a later failure unloads the handle
    // without save. Once add-tables succeeded the result is 0 whatever the unload gave (its errors stay queued).
    std::int16_t ok(CConfigClient& client, model::CConfigFile& file);

    const std::string& message() const { return message_; }
    int focus_control() const { return focus_; }
    const model::CConfigTable& work_table() const { return *work_; }
    const std::vector<std::unique_ptr<model::CConfigTable>>& new_tables() const { return new_tables_; }
    std::vector<std::unique_ptr<model::CConfigTable>> take_new_tables();

private:
    bool refuse(const char* message, int control);

    CobolStartMode mode_ = CobolStartMode::fd_name;
    std::string message_;
    int focus_ = 0;
    std::unique_ptr<model::CConfigTable> work_ = std::make_unique<model::CConfigTable>();
    std::vector<std::unique_ptr<model::CConfigTable>> new_tables_;
};

}  // namespace kestra::configsvc

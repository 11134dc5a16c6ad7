#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestra::hostsim {

// Everything the simulated host holds. Numbers keep the host's own codes so that
// whatever a fixture says goes back on the wire unchanged.

struct HostUser {
    std::string name;                 // compared without regard to case
    std::string password;             // empty: no password is asked for
    int max_message_size = 9999;      // the most this user is granted at login
};

struct VersionInfo {
    int level = 5;
    int release = 1;
    int protocol = 21;
    int admin_protocol = 22;
    std::string text = "KESTRA HOST SERVER";
    std::string filler = "000";       // the three characters between "." and the admin protocol
};

struct DefaultOptions {
    bool update_allowed = false;
    bool return_groups = false;
};

struct Limits {
    bool where_required = false;
    bool linear_selects = true;
    bool linear_joins = true;
    int row_limit_kind = 0;
    std::int64_t row_count = 0;
};

struct GlobalOptions {
    std::string description;
    std::string usercode;
    std::string translation;
    int priority = 0;
    int date_base_month = 0;
    int date_base_day = 0;
    int date_base_year = 0;
    int library_kind = 0;
    int program_security = 0;
    int security_use = 2;
    int security_type = 0;
    std::string guard_file;
    int unique_indices = 0;
    std::string app_name;
    int hide_fields = 0;
};

struct Field {
    int number = 0;                   // tblfieldnum
    std::string host_name;
    std::string name;                 // empty: the host name serves
    int kind = 0;                     // 0 host, 1 user-defined, 2 calculated
    bool visible = true;
    bool update_allowed = false;
    int type = 4;                     // data type code
    int offset = 0;
    int length = 0;
    int decimals = 0;
    int date_kind = 0;
    int date_format = 0;
    int offset_value = 0;             // user-defined fields
    bool offset_in_chars = false;
    bool offset_from_start = true;
    std::string base_field;
    std::string expression;           // calculated fields
};

struct SetKey {
    int field = 0;
    int first = 0;
    int second = 0;
};

struct TableSet {
    std::string name;
    int first = 0;
    int second = 0;
    int third = 0;
    std::vector<SetKey> keys;
};

struct JoinField {
    std::string field;
    int kind = 2;                     // 0 field of another member, 1 expression, 2 literal
    int member = 0;                   // with kind 0
    std::string value;
};

struct JoinMember {
    std::string sub_table;
    std::string where;
    std::string set;
    int join_kind = 0;
    std::vector<JoinField> join_fields;
};

struct Table {
    int number = 0;
    std::string name;
    int option = 0;
    bool update_allowed = false;
    bool return_groups = false;
    bool join = false;
    std::string database;
    std::string dataset;
    std::string set;
    std::string description_file;
    std::string where;
    std::vector<Field> fields;
    std::vector<TableSet> sets;
    std::vector<JoinMember> members;
};

struct AppTable {
    int number = 0;
    bool update_allowed = false;
};

struct Application {
    int number = 0;
    std::string program;
    bool update_allowed = false;
    std::optional<Limits> local_limits;
    std::optional<std::vector<AppTable>> tables;
};

struct ConfigFile {
    int number = 0;
    std::string name;
    GlobalOptions global;
    Limits limits;
    std::vector<Table> tables;
    std::vector<Application> applications;
    std::vector<ConfigFile> children;
};

struct DescDataset {
    std::string name;
    int type = 0;                     // 0 dataset, other: a set of the dataset before it
};

struct DescDatabase {
    std::string name;
    std::vector<DescDataset> datasets;
};

struct DescriptionFile {
    std::string name;
    std::vector<DescDatabase> databases;
};

struct CobolRecord {
    std::string fd_name;
    int fd_sequence = 0;
    std::string level01_name;
    int level01_sequence = 0;
    int option = 0;                   // table option returned by the write-description request
    std::vector<Field> fields;
};

struct CobolSource {
    std::string file;
    std::vector<CobolRecord> records;
};

struct FileAttributes {
    std::int64_t a1 = 0, a2 = 0, a3 = 0;
    int frame_size = 8;
    std::int64_t record_size = 0, a4 = 0, a5 = 0, a6 = 0, record_count = 0;
    int f1 = 0, f2 = 0, f3 = 0, f4 = 0;
    std::string raw12 = std::string(12, '\0');   // exactly 12 bytes
    std::string t1;
    std::string t2;
};

struct HostFile {
    std::string name;
    FileAttributes attributes;
    std::string extra;                // raw extra data
    std::optional<std::string> contents;   // set unless the file is generated
    std::int64_t generated_seed = 0;       // with no contents: bytes derive from this seed
};

struct EnvironmentCommand {
    std::string command;              // compared without regard to case
    std::string response;
};

struct HostState {
    VersionInfo version;
    std::vector<HostUser> users;
    DefaultOptions default_options;
    std::vector<ConfigFile> config_files;
    std::vector<DescriptionFile> description_files;
    std::vector<CobolSource> cobol_sources;
    std::vector<HostFile> host_files;
    std::vector<EnvironmentCommand> environment_commands;
    std::string default_environment_response = "UNKNOWN COMMAND";
};

// Byte count a host file delivers: record size x record count x (1 for 8-bit frames, else 6).
std::int64_t host_file_size(const FileAttributes& attributes);

// Byte i of a host file, whether stored or generated. i must be below host_file_size.
std::uint8_t host_file_byte(const HostFile& file, std::int64_t i);
// Bytes [from, from + n) of a host file into `out`, as host_file_byte gives them; the range must lie within the
// file. A whole message's worth at once, so a get's host is not the slow end of the line.
void host_file_bytes(const HostFile& file, std::int64_t from, std::size_t n, std::uint8_t* out);

const HostUser* find_user(const HostState& state, const std::string& name);

bool equals_ignore_case(const std::string& a, const std::string& b);
std::string to_upper_ascii(std::string text);

}  // namespace kestra::hostsim

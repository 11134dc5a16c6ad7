#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "configsvc/config_client.h"
#include "configsvc/pending_unload_list.h"
#include "model/config_file.h"
#include "model/config_table.h"

namespace kestra::configsvc {

// Requests on the tables of an open configuration file. Each returns 0, or the non-zero code of the failure with
// the reason queued on the client's session. A receive error in the middle of a list returns -1.

inline constexpr const char* kTableListFailure = "Cannot get config file list";
inline constexpr const char* kTableListReceiveError = "Receive error getting table names";
inline constexpr const char* kAddTablesFailure = "Cannot add config file table";
inline constexpr const char* kDeleteTablesFailure = "Cannot get config file list";
inline constexpr const char* kModifyTablesFailure = "Cannot modify config file table";
inline constexpr const char* kLoadTableFailure = "Cannot load table";
inline constexpr const char* kUnloadTableFailure = "Cannot unload table";
inline constexpr const char* kWhereConditionFailure = "Cannot unload table";
inline constexpr const char* kLoadSetsFailure = "Cannot load set";
inline constexpr const char* kDetailsReceiveError = "Receive error getting field names";
inline constexpr const char* kAddJoinTableFailure = "Cannot add new join table";
inline constexpr const char* kModifyJoinHeaderFailure = "Cannot modify join table header";
inline constexpr const char* kModifyJoinMembersFailure = "Cannot modify config file table";

// Request 51: replaces the file's tables with the host's list. Tables of the file still pending unload are
// unloaded first with their own save flags, so no pending entry outlives its record.
std::int16_t get_table_list(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file);

// Request 21, batched by room; each table gets the number the host assigned. Every entry is checked against an
// empty message before the first goes out.
std::int16_t add_tables(CConfigClient& client, std::uint32_t file_reference,
                        std::span<model::CConfigTable* const> tables);
std::int16_t add_tables(CConfigClient& client, std::uint32_t file_reference,
                        const std::vector<std::unique_ptr<model::CConfigTable>>& tables);

// Request 22, batched by room. `deleted` (when given) receives how many of `numbers`, from the front, the host
// accepted; a failure stops the batch.
std::int16_t delete_tables(CConfigClient& client, std::uint32_t file_reference,
                           std::span<const std::int32_t> numbers, std::size_t* deleted = nullptr);

// Request 22 for tables of the model: each is first taken out of the pending list (unloaded without save), and
// the tables the host deleted are removed from the file, which becomes modified.
std::int16_t remove_tables(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file,
                           std::span<const std::int32_t> numbers);

// Request 34 for every table whose changed flag is set, batched by room. A table's flag is cleared once the
// message carrying it was accepted; a join table's flag is left for modify_join_members.
std::int16_t modify_tables(CConfigClient& client, std::uint32_t file_reference,
                           const std::vector<std::unique_ptr<model::CConfigTable>>& tables);

// Request 23; nothing is sent when the table is loaded.
std::int16_t load_table(CConfigClient& client, std::uint32_t file_reference, model::CConfigTable& table);

// Request 24 through the pending-unload list. With `defer` the table stays loaded on the host (and in the model)
// as the newest pending entry; the ninth entry pushes the oldest out, which is then unloaded with its own save flag.
std::int16_t unload_table(CConfigClient& client, CPendingUnloadList& pending, model::CConfigTable& table, bool save,
                          bool defer);
// Empties the pending list: each table is unloaded with save only when its entry and `save` both say so.
std::int16_t unload_all_tables(CConfigClient& client, CPendingUnloadList& pending, bool save);

// Takes a table out of the pending list before its record is destroyed: it is unloaded on the host with its own
// save flag, or without save when it is being deleted. Nothing happens for a table that is not pending.
std::int16_t forget_table(CConfigClient& client, CPendingUnloadList& pending, model::CConfigTable& table,
                          bool deleting);
// The same for every table of a file (before its table list is replaced).
std::int16_t forget_tables(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file);
// Puts `replacement` in the place of the file's table at `index`. A replacement that holds the same host table
// (loaded, same handle: an edited copy) takes over the old record's pending entry, so the table is still unloaded
// later with its own save flag; otherwise the old record is taken out of the pending list first. False when the
// index is out of range (nothing changes).
bool replace_table(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file, std::size_t index,
                   std::unique_ptr<model::CConfigTable> replacement);

// Request 41.
std::int16_t put_where_condition(CConfigClient& client, const model::CConfigTable& table);

// Request 54; nothing is sent when the sets are loaded.
std::int16_t load_sets(CConfigClient& client, model::CConfigTable& table);

// Request 52: the new table number is stored in the table.
std::int16_t add_join_table(CConfigClient& client, std::uint32_t file_reference, model::CConfigTable& table);
// Request 53, after the name of a join table changed.
std::int16_t modify_join_header(CConfigClient& client, std::uint32_t file_reference,
                                const model::CConfigTable& table);
// Request 55; nothing is sent when the table is loaded. With `header_only` only the handle is read. A member list
// that ends early leaves the table unloaded (on the host too) with no members.
std::int16_t load_join_table(CConfigClient& client, std::uint32_t file_reference, model::CConfigTable& table,
                             bool header_only);
// Request 56, only when the table's changed flag is set; the flag is cleared when every message was accepted.
std::int16_t modify_join_members(CConfigClient& client, model::CConfigTable& table);

// The field requests of a table's save, run between the table list and the unload. Returns 0 or the first failure;
// a failing step must not stop the ones after it.
using FieldSaveStep = std::function<std::int16_t(CConfigClient&, model::CConfigTable&)>;

struct TableSaveOptions {
    bool where_changed = false;  // send the where condition
    FieldSaveStep fields;        // may be empty
    bool defer_unload = false;   // keep the table loaded through the pending list
};

// The save of an edited table, in order: where condition (41), the file's changed tables (34), the field requests,
// then the unload with save (24). Every step runs whatever the one before it did; the file is marked modified.
// Returns 0 or the first failure.
std::int16_t save_table(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file,
                        model::CConfigTable& table, const TableSaveOptions& options);

}  // namespace kestra::configsvc

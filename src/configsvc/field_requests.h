#pragma once

#include <cstdint>

#include "configsvc/config_client.h"
#include "configsvc/request_batch.h"
#include "model/config_table.h"

namespace kestra::configsvc {

// The fields of a loaded table, named by its table handle. Each returns 0 or the code of the failure, with the
// reason queued on the session. A batch stops at the first failure.

// Request 25, only while fields loaded is clear. A receive error returns -1 and leaves fields loaded clear (the
// fields read so far stay for display), so a partial list is never edited and written back as if whole.
std::int16_t get_field_list(CConfigClient& client, model::CConfigTable& table);
// Request 26: every modified field that is not deleted. No such field: nothing is sent.
std::int16_t change_fields(CConfigClient& client, const model::CConfigTable& table);
// Request 27 over the fields: the hide, show and delete marks. Sent even when no field qualifies.
std::int16_t mark_fields(CConfigClient& client, const model::CConfigTable& table);
// Request 27 over the cut fields. They are destroyed only when every message succeeded; after a failure they stay.
std::int16_t delete_cut_fields(CConfigClient& client, model::CConfigTable& table);
// Request 28: every new, unnumbered field; each gets its number once the host answered its message.
std::int16_t add_fields(CConfigClient& client, model::CConfigTable& table);

// What a table save sends of its fields, in order and only what changed: change, marks, delete cut, add. Every
// step runs; the first failure is returned.
std::int16_t save_field_changes(CConfigClient& client, model::CConfigTable& table);

// Failure messages of these requests.
inline constexpr const char* kFieldListFailure = "Cannot get table field list";
inline constexpr const char* kFieldListReceiveError = "Receive error getting field names";
inline constexpr const char* kChangeFieldsFailure = "Cannot change fields";
inline constexpr const char* kDeleteFieldFailure = "Cannot delete field";
inline constexpr const char* kAddFieldsFailure = "Cannot add fields";

}  // namespace kestra::configsvc

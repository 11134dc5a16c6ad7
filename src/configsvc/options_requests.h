#pragma once

#include <cstdint>
#include <vector>

#include "configsvc/config_client.h"
#include "configsvc/request_batch.h"
#include "model/config_file.h"
#include "model/config_limits.h"
#include "model/pc_application.h"

namespace kestra::configsvc {

// The parts of an open configuration file that are not tables: description and global options, the global
// limits, and the PC applications. Every request names the file by its file reference; each returns 0 or the code
// of the failure, with the reason queued on the session.

// Request 30: the description and the global options. The model changes only when the whole reply was sound.
std::int16_t get_global(CConfigClient& client, model::CConfigFile& file);
// Request 31: every global option as the model holds it.
std::int16_t put_global(CConfigClient& client, const model::CConfigFile& file);
// Request 32: the file's global limits.
std::int16_t get_limits(CConfigClient& client, model::CConfigFile& file);
// Request 33: the file's global limits.
std::int16_t put_limits(CConfigClient& client, const model::CConfigFile& file);

// Request 39: refills the file's applications. A receive error returns -1 and keeps the entries read so far.
std::int16_t get_app_list(CConfigClient& client, model::CConfigFile& file);
// Request 36: the details of one application. With no local limits the file's global limits (fetched before)
// are copied into it.
std::int16_t get_app_info(CConfigClient& client, const model::CConfigFile& file, model::CPcApplication& app);
// Request 35: every new, unnumbered application, as many messages as the room needs. Each gets its number and
// loses its new and changed flags once the host has answered the message that carried it.
std::int16_t add_apps(CConfigClient& client, model::CConfigFile& file);
// Request 38: every changed application that the host has numbered. The changed flag is cleared only when the
// message that carried the entry was accepted. Nothing changed: nothing is sent.
std::int16_t modify_apps(CConfigClient& client, model::CConfigFile& file);
// Request 37: deletes the numbered applications on the host; the caller removes them from the model.
std::int16_t delete_apps(CConfigClient& client, const model::CConfigFile& file,
                         const std::vector<std::int32_t>& app_numbers);

// Failure messages of these requests.
inline constexpr const char* kGetGlobalFailure = "Cannot get config file global";
inline constexpr const char* kPutGlobalFailure = "Cannot put config file global";
inline constexpr const char* kGetLimitsFailure = "Cannot get config file limits";
inline constexpr const char* kPutLimitsFailure = "Cannot put config file limits";
inline constexpr const char* kAppListFailure = "Cannot get config file App list";
inline constexpr const char* kAppListReceiveError = "Receive error getting PC app names";
inline constexpr const char* kAppInfoFailure = "Cannot get PC App info";
inline constexpr const char* kAddAppsFailure = "Cannot add config file table";
inline constexpr const char* kModifyAppsFailure = "Cannot modify config file PC App";
inline constexpr const char* kDeleteAppsFailure = "Cannot get config file list";

// The largest row count the limits block carries.
inline constexpr std::int64_t kMaxRowCount = 2147483647;

}  // namespace kestra::configsvc

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/config_file.h"
#include "model/server_node.h"

namespace kestra::configsvc {

inline constexpr const char* kNameMissing = "You must enter a configuration file name";
inline constexpr const char* kNameNeedsUsercode = "You must include a usercode and packname";
inline constexpr const char* kNameDuplicate = "Duplicate Name!";          // add and paste
inline constexpr const char* kNameDuplicateRename = "Duplicate Name";     // rename

enum class NameUse { add, paste, rename };

// The name with leading and trailing blanks removed.
std::string trim_config_file_name(std::string_view name);

// True when the name holds a usercode and packname: it begins with "(" and has the matching ")", or begins with
// "*", and " ON " follows that point.
bool has_usercode_and_packname(std::string_view name);

// The checks the Add, Rename and Paste dialogs make before anything is sent. `name` is trimmed in place. Returns
// nullptr when the name may be sent, else the dialog's message. `tree` is the connection's root; a duplicate is a
// node with exactly this name (letter case counts). For a rename, the caller first compares with the current
// name: an identical name sends nothing.
const char* check_config_file_name(std::string& name, const model::CServerNode& tree, NameUse use);

// A PC application's program name: typed names hold at most 16 characters.
inline constexpr std::size_t kMaxProgramName = 16;
inline constexpr const char* kProgramNameMissing = "**You must enter a program name**";
inline constexpr const char* kProgramNameTooLong = "**Program name is too long**";
inline constexpr const char* kProgramNameDuplicate = "**Duplicate Program Name**";

// The checks an application's name passes before it is added or changed. `name` is trimmed in place; `current` is
// the name the application had ("" for a new one). The name it came with passes unchanged whatever its length, as
// for every host text, and is no duplicate of itself; any other name is a duplicate when an application of the
// file has it, ignoring case. Returns nullptr when the name may be used, else the message.
const char* check_program_name(std::string& name, const model::CConfigFile& file, std::string_view current);

}  // namespace kestra::configsvc

#pragma once

#include <string>

#include "body_codec.h"
#include "request_handlers.h"

namespace kestra::hostsim {

// Configuration files opened by request 18. A reference names one file for the session that opened it until that
// session closes it; every request on a file's contents checks it. All of these must be called with
// context.host.mutex held, and a ConfigFile* they return is good only until the lock is released or the tree
// changes shape.

inline constexpr const char* kInvalidFileReference = "[Kestra]INVALID FILE REFERENCE";
inline constexpr const char* kConfigFileNotFound = "[Kestra]CONFIGURATION FILE NOT FOUND";
inline constexpr int kMaxConfigNumber = 9999;

// The file of this number anywhere in the tree; nullptr when none.
ConfigFile* find_config_file(HostState& state, int number);

// Hands out a new reference (1..9999) to the file for this session; 0 when every reference is taken.
int open_config_file(RequestContext& context, int number);
// False when this session holds no such reference.
bool close_config_file(RequestContext& context, int reference);
// The file a reference of this session names; nullptr when the reference is unknown, was opened by another
// session, or its file has since been deleted.
ConfigFile* find_open_file(RequestContext& context, int reference);

// Forgets every reference to the file of this number, whichever session holds it: the file has been deleted or
// cut, and its number may be handed out again.
void drop_open_references(RequestContext& context, int number);

// Reads an N(4) file reference from the body and finds its file. When the body is short or the reference names
// nothing, the reply is refused (index 3, kInvalidFileReference) and nullptr returned.
ConfigFile* open_file_from_body(RequestContext& context, BodyReader& body, Reply& reply);

}  // namespace kestra::hostsim

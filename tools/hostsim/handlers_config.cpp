// The host's side of the configuration-file list, open/close/save, copy/cut/paste, environment command (13-19, 40, 42, 46-48).
#include "request_handlers.h"

namespace kestra::hostsim {

void register_config_handlers(HandlerTable&) {}

}  // namespace kestra::hostsim

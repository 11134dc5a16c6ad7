// The host's side of the global options, limits and PC applications (30-33, 35-39).
#include "request_handlers.h"

namespace kestra::hostsim {

void register_options_handlers(HandlerTable&) {}

}  // namespace kestra::hostsim

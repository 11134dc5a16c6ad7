// The host's side of the host file transfer (49, 50, 57).
#include "request_handlers.h"

namespace kestra::hostsim {

void register_transfer_handlers(HandlerTable&) {}

}  // namespace kestra::hostsim

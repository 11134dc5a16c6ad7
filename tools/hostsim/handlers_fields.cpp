// The host's side of the field list and field changes (25-28).
#include "request_handlers.h"

namespace kestra::hostsim {

void register_fields_handlers(HandlerTable&) {}

}  // namespace kestra::hostsim

// The host's side of the description files and COBOL records (3, 4, 12, 43, 44).
#include "request_handlers.h"

namespace kestra::hostsim {

void register_catalogue_handlers(HandlerTable&) {}

}  // namespace kestra::hostsim

// The host's side of the tables, sets, where conditions and joins (21-24, 34, 41, 51-56).
#include "request_handlers.h"

namespace kestra::hostsim {

void register_tables_handlers(HandlerTable&) {}

}  // namespace kestra::hostsim

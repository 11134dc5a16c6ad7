#include "app/wait_cursor.h"

#include "app/admin_app.h"
#include "app/ui_hooks.h"

namespace kestra::app {

void begin_wait_cursor() {
    if (admin_app().wait_count++ == 0) ui_hooks().show_wait_cursor();
}

void end_wait_cursor() {
    int& count = admin_app().wait_count;
    if (count <= 0) {
        count = 0;
        return;
    }
    if (--count == 0) ui_hooks().restore_cursor();
}

}  // namespace kestra::app

#include "ui/admin_main.h"

int main(int argc, char** argv) {
    return kestra::ui::run_admin(argc, argv);
}

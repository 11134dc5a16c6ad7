#include <exception>
#include <iostream>

#include "cli/cli_app.h"
#include "cli/temp_files.h"

int main(int argc, char** argv) {
    kestra::cli::install_temp_file_cleanup();
    int status = 1;
    // Failures are return codes throughout; anything thrown all the same ends as a message, never an abort.
    try {
        status = kestra::cli::run_cli(argc, argv, std::cout, std::cerr, std::cin);
    } catch (const std::exception& e) {
        std::cerr << "kestra: internal error: " << e.what() << "\n";
        status = 1;
    } catch (...) {
        std::cerr << "kestra: internal error\n";
        status = 1;
    }
    if (!kestra::cli::finish_standard_output() && status == 0) status = 1;
    return status;
}

#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) { return kestra::cli::run_cli(argc, argv, std::cout, std::cerr, std::cin); }

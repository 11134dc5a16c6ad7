#pragma once

#include <map>
#include <string>
#include <vector>

namespace kestra::testing {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally (killed or timed out)
    std::string out;
    std::string err;
};

// Runs a program with extra environment variables and standard input, collecting both outputs. The child is killed
// after `timeout_seconds`, so a hung program fails its test instead of hanging the suite.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& env = {}, const std::string& input = {},
                          int timeout_seconds = 60);

// Runs build/bin/kestra.
ProcessResult run_kestra(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {},
                         const std::string& input = {});

}  // namespace kestra::testing

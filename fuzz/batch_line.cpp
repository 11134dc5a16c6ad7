// A batch file is text anyone may hand to kestra: every line must split without a crash, no word may be longer than
// its line, and the words quoted again as a shell would quote them must split back into the same words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_output.h"
#include "cli/word_splitter.h"

namespace cli = kestra::cli;

namespace {

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (char c : word) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words;
    std::string error;
    if (!cli::split_words(line, words, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    std::size_t total = 0;
    for (const std::string& w : words) {
        if (w.size() > line.size()) std::abort();
        total += w.size();
        if (cli::has_control_character(cli::shown(w))) std::abort();
    }
    if (total > line.size()) std::abort();

    std::string again;
    for (const std::string& w : words) again += (again.empty() ? "" : " ") + quoted(w);
    std::vector<std::string> back;
    if (!cli::split_words(again, back, error) || back != words) std::abort();
    return 0;
}

// Translate table files are picked by the user: any file must load or be refused, never overrun the tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_temp_file.h"
#include "tavlink/translate_table.h"

namespace tl = kestra::tavlink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each line on its own through the entry parser.
    std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t eol = text.find('\n', pos);
        std::string line = text.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
        std::uint8_t from = 0;
        std::uint8_t to = 0;
        (void)tl::parse_translate_entry(line, from, to);
        if (eol == std::string::npos) break;
        pos = eol + 1;
    }

    const std::string path = kestra::fuzz::write_temp_file(data, size);
    if (path.empty()) return 0;
    tl::TranslateTables tables = tl::builtin_tables();
    std::size_t trace_bytes = 0;
    const int rc = tl::load_translate_file(path, tables, [&](const std::string& line) { trace_bytes += line.size(); });
    if (rc != 0 && rc != 1) std::abort();

    // Whatever loaded must translate like a plain table lookup.
    char out[300];
    tl::translate(tables.host_to_pc, text.data(), out, text.size() < sizeof out ? text.size() : sizeof out);
    for (std::size_t i = 0; i < text.size() && i < sizeof out; ++i)
        if (static_cast<std::uint8_t>(out[i]) != tables.host_to_pc[static_cast<std::uint8_t>(text[i])]) std::abort();
    const tl::Table inv = tl::inverse_table(tables.pc_to_host);
    (void)inv;
    return 0;
}

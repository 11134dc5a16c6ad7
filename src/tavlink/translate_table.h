#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kestra::tavlink {

using Table = std::array<std::uint8_t, 256>;

// Outgoing bytes pass through pc_to_host, incoming bytes through host_to_pc.
struct TranslateTables {
    Table pc_to_host;
    Table host_to_pc;
};

TranslateTables builtin_tables();
TranslateTables identity_tables();
Table identity_table();

// Exact inverse where t is a permutation; otherwise the first byte mapping to a value wins and values nothing maps
// to stay themselves.
Table inverse_table(const Table& t);

using TraceFn = std::function<void(const std::string& line)>;

// Loads a translate table file into `tables`, which start as the identity. 0 success, 1 failure (file cannot be
// opened, or an unknown section). `trace` may be empty.
int load_translate_file(const std::string& path, TranslateTables& tables, const TraceFn& trace);

// Parses one entry line "<number> = <number>" (numbers unsigned, base from the prefix as in C). False when the
// line is malformed or a number is above 255.
bool parse_translate_entry(const std::string& line, std::uint8_t& from, std::uint8_t& to);

void translate(const Table& table, const char* in, char* out, std::size_t n);
void translate_in_place(const Table& table, char* data, std::size_t n);

}  // namespace kestra::tavlink

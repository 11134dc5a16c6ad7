#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/config_file.h"

namespace kestra::configsvc {

// A configuration file as a text document: one JSON object that names its format, then the description, global
// options, limits, applications and tables with every detail the model holds. The writer is canonical (fixed key
// order, entries in the host's order, two-space indentation, a final newline), so the same file always gives the
// same bytes. The reader trusts nothing: each value is checked for its type, range and length, and the first
// problems found are reported with the JSON path of the offending value.

inline constexpr std::string_view kConfigDocumentFormat = "kestra-config/1";
// The family of formats this program reads; a later version of it is refused as a whole.
inline constexpr std::string_view kConfigDocumentFamily = "kestra-config/";
inline constexpr int kConfigDocumentVersion = 1;

// Bounds on what a document may hold, well above any real file and well below what could exhaust memory.
inline constexpr std::size_t kMaxDocumentBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kMaxDocumentDepth = 16;
inline constexpr std::size_t kMaxDocumentTables = 9999;
inline constexpr std::size_t kMaxDocumentFields = 9999;  // per table
inline constexpr std::size_t kMaxDocumentApplications = 999;
inline constexpr std::size_t kMaxDocumentEntries = 9999;  // members, join fields, sets, keys, application tables
inline constexpr std::size_t kMaxDocumentDiagnostics = 20;

struct DocumentProblem {
    std::string path;  // e.g. tables[3].fields[7].name; empty for the document as a whole
    std::string message;
};

// What a document describes: the file's name (informative only; the target is named on the command line) and its
// contents. Application tables carry the table's name beside its number, since tables are matched by name.
struct ConfigDocument {
    std::string file_name;
    model::CConfigFile file;
};

// The canonical text of a document.
std::string write_config_document(const ConfigDocument& document);

// Reads a document. False, with at least one problem, when anything is wrong; `document` is then unspecified.
bool read_config_document(std::string_view text, ConfigDocument& document, std::vector<DocumentProblem>& problems);

// A text as the document spells it: quoted, Latin-1 as UTF-8, controls escaped.
std::string document_text_literal(std::string_view text);

// "PATH: MESSAGE", or the message alone for the whole document.
std::string describe(const DocumentProblem& problem);

// The name an application's table entry stands for: its own name when it carries one, else the name of the
// file's table with its number; empty when neither is known.
std::string application_table_name(const model::CConfigFile& file, const model::CConfigTable& entry);

}  // namespace kestra::configsvc

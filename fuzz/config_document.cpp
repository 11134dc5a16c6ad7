// Configuration documents come from files anyone may have edited: any bytes must be read without a crash, and a
// document that is accepted must come out of the writer as a document that reads back to the same text, equal
// to itself for the differ and the planner.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "configsvc/config_diff.h"
#include "configsvc/config_document.h"
#include "configsvc/config_plan.h"

namespace cs = kestra::configsvc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    cs::ConfigDocument doc;
    std::vector<cs::DocumentProblem> problems;
    const bool ok = cs::read_config_document(text, doc, problems);
    if (ok != problems.empty()) std::abort();
    if (problems.size() > cs::kMaxDocumentDiagnostics) std::abort();
    if (!ok) return 0;

    const std::string written = cs::write_config_document(doc);
    cs::ConfigDocument back;
    if (!cs::read_config_document(written, back, problems)) std::abort();
    if (cs::write_config_document(back) != written) std::abort();
    if (!cs::diff_config_files(doc.file, back.file).empty()) std::abort();
    const cs::ConfigPlan plan = cs::plan_config_changes(doc.file, back.file, false);
    if (!plan.empty()) std::abort();
    return 0;
}

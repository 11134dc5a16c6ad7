#include "workspace/table_edit_model.h"

#include <vector>

#include "configsvc/field_requests.h"
#include "configsvc/table_field_names.h"
#include "hostlink/host_session.h"
#include "model/config_field.h"
#include "model/field_edits.h"
#include "model/text_limits.h"
#include "workspace/admin_doc.h"

namespace kestra::workspace {

namespace {

constexpr std::int16_t kOk = 0;

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        out.append(text.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

}  // namespace

CTableEditModel::CTableEditModel(const model::CConfigFile& file, model::CConfigTable& table)
    : name(table.name.str()), update_allowed(table.update_allowed), file_(file), table_(table),
      original_name_(table.name.str()), original_return_groups_(table.return_groups),
      where_(table.where_condition.str()) {}

bool CTableEditModel::set_where(std::string_view where) {
    if (where == where_) return false;
    where_.assign(where);
    where_changed_ = true;
    return true;
}

ReplaceResult CTableEditModel::replace(std::string_view from, std::string_view to) {
    ReplaceResult result;
    if (from.empty()) return result;
    const std::size_t n = table_.fields.size();
    std::vector<std::string> next(n);
    std::vector<bool> changes(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view old = table_.fields[i]->name.view();
        next[i] = replace_all(old, from, to);
        if (next[i].size() > model::kFieldNameMax) next[i].resize(model::kFieldNameMax);
        changes[i] = next[i] != old;
        if (changes[i] && next[i].empty()) {
            next[i] = old;
            changes[i] = false;
            ++result.kept;
        }
    }
    // Every field of a clashing pair keeps its name, so the clashes of a round are found before any name is given
    // back. A name given back can clash with another new name in turn, hence the rounds; they end, as each one
    // only gives names back, and the old names were distinct.
    for (bool moved = true; moved;) {
        moved = false;
        std::vector<bool> clashes(n, false);
        for (std::size_t i = 0; i < n; ++i) {
            if (!changes[i]) continue;
            for (std::size_t j = 0; j < n && !clashes[i]; ++j)
                clashes[i] = j != i && model::equal_ignoring_case(next[i], next[j]);
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (!clashes[i]) continue;
            next[i] = table_.fields[i]->name.str();
            changes[i] = false;
            ++result.kept;
            moved = true;
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        if (changes[i] && model::rename_field(*table_.fields[i], next[i])) ++result.renamed;
    return result;
}

const char* CTableEditModel::ok() {
    if (const char* problem = configsvc::check_table_name(name, file_, original_name_)) return problem;
    if (name != table_.name.view() || update_allowed != table_.update_allowed ||
        table_.return_groups != original_return_groups_) {
        // A name loaded longer than may be typed comes back unchanged, so it fits as it did.
        table_.name.assign(name, model::TextFit::cut);
        table_.update_allowed = update_allowed;
        table_.changed = true;
    }
    if (where_changed_) table_.where_condition.assign(where_, model::TextFit::cut);
    return nullptr;
}

void CTableEditModel::cancel() { table_.return_groups = original_return_groups_; }

configsvc::TableSaveOptions CTableEditModel::save_options() const {
    configsvc::TableSaveOptions options;
    options.where_changed = where_changed_;
    options.fields = configsvc::save_field_changes;
    return options;
}

bool load_table_for_edit(CAdminDoc& doc, model::CConfigFile& file, model::CConfigTable& table) {
    configsvc::CConfigClient& client = doc.client();
    const bool was_loaded = table.loaded;
    std::int16_t rc = configsvc::load_table(client, static_cast<std::uint32_t>(file.file_reference), table);
    if (rc == kOk && !table.fields_loaded) rc = configsvc::get_field_list(client, table);
    if (rc == kOk) rc = configsvc::load_sets(client, table);
    if (rc == kOk) return true;
    doc.session().show_errors();
    // Only what this load took is given back; a table held for a later save stays as it was.
    if (table.loaded && !was_loaded &&
        configsvc::unload_table(client, doc.pending_unloads(), table, false, false) != kOk)
        doc.session().show_errors();
    return false;
}

std::int16_t save_edited_table(CAdminDoc& doc, model::CConfigFile& file, CTableEditModel& edit) {
    model::CConfigTable& table = edit.table();
    const std::int16_t rc =
        configsvc::save_table(doc.client(), doc.pending_unloads(), file, table, edit.save_options());
    if (rc == kOk) return rc;
    doc.session().show_errors();
    // A table list the host refused leaves the flag set, and the model showing a name or flags the host does not
    // hold: its list says what holds. The table records are replaced, so `edit` is not used after this.
    if (table.changed && configsvc::get_table_list(doc.client(), doc.pending_unloads(), file) != kOk)
        doc.session().show_errors();
    return rc;
}

void discard_edited_table(CAdminDoc& doc, CTableEditModel& edit) {
    edit.cancel();
    if (configsvc::unload_table(doc.client(), doc.pending_unloads(), edit.table(), false, false) != kOk)
        doc.session().show_errors();
}

}  // namespace kestra::workspace

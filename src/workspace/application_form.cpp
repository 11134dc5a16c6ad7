#include "workspace/application_form.h"

#include <algorithm>
#include <cstdio>

#include "configsvc/config_file_names.h"
#include "model/config_field.h"

namespace kestra::workspace {

void ApplicationForm::load(const model::CConfigFile& file, const model::CPcApplication& app, bool is_new) {
    file_ = &file;
    is_new_ = is_new;
    opened_name_ = app.program_name.str();
    name = opened_name_;
    update_allowed = app.update_allowed;
    override_limits = app.local_limits;
    limits.load(is_new ? file.limits : app.limits);
    table_list = app.table_list;
    accessible.clear();
    for (const auto& t : app.tables) accessible.push_back({t->table_number, t->update_allowed});
}

std::string ApplicationForm::title() const {
    return is_new_ ? "Add Application" : "Edit Application";
}

std::size_t ApplicationForm::available_count() const {
    return file_ ? file_->tables.size() : 0;
}

std::string ApplicationForm::available_name(std::size_t index) const {
    return index < available_count() ? file_->tables[index]->name.str() : std::string();
}

bool ApplicationForm::available_red(std::size_t index) const {
    return index < available_count() && file_->tables[index]->update_allowed;
}

const model::CConfigTable* ApplicationForm::file_table(std::int32_t number) const {
    if (file_ == nullptr) return nullptr;
    for (const auto& t : file_->tables)
        if (t->table_number == number) return t.get();
    return nullptr;
}

std::string ApplicationForm::accessible_name(std::size_t index) const {
    if (index >= accessible.size()) return {};
    if (const auto* t = file_table(accessible[index].table_number)) return t->name.str();
    char text[32];
    std::snprintf(text, sizeof text, "<table %04d>", static_cast<int>(accessible[index].table_number));
    return text;
}

bool ApplicationForm::accessible_red(std::size_t index) const {
    return index < accessible.size() && update_allowed && accessible[index].update_allowed;
}

std::size_t ApplicationForm::copy_available(const std::vector<std::size_t>& indexes) {
    std::size_t added = 0;
    for (const std::size_t i : indexes) {
        if (i >= available_count()) continue;
        const model::CConfigTable& t = *file_->tables[i];
        const bool already = std::any_of(accessible.begin(), accessible.end(), [&](const Accessible& a) {
            const auto* known = file_table(a.table_number);
            return a.table_number == t.table_number ||
                   (known != nullptr && model::equal_ignoring_case(known->name.view(), t.name.view()));
        });
        if (already) continue;
        accessible.push_back({t.table_number, t.update_allowed});
        ++added;
    }
    return added;
}

void ApplicationForm::remove_accessible(std::vector<std::size_t> indexes) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
        if (*it < accessible.size()) accessible.erase(accessible.begin() + static_cast<std::ptrdiff_t>(*it));
}

void ApplicationForm::toggle_update(const std::vector<std::size_t>& indexes) {
    for (const std::size_t i : indexes)
        if (i < accessible.size()) accessible[i].update_allowed = !accessible[i].update_allowed;
}

bool ApplicationForm::can_edit(const std::vector<std::size_t>& selected) const {
    if (selected.size() != 1 || selected[0] >= accessible.size()) return false;
    const auto* t = file_table(accessible[selected[0]].table_number);
    return t != nullptr && t->update_allowed;
}

std::optional<FormRefusal> ApplicationForm::validate() {
    static const model::CConfigFile no_file;
    if (const char* problem = configsvc::check_program_name(name, file_ ? *file_ : no_file, opened_name_))
        return FormRefusal{kName, problem};
    return std::nullopt;
}

void ApplicationForm::store(model::CPcApplication& app) const {
    app.program_name.assign(name);
    app.update_allowed = update_allowed;
    app.local_limits = override_limits;
    limits.store(app.limits);
    app.table_list = table_list;
    app.tables.clear();
    for (const Accessible& a : accessible) {
        auto t = std::make_unique<model::CConfigTable>();
        t->table_number = a.table_number;
        if (const auto* known = file_table(a.table_number)) t->name = known->name;
        t->update_allowed = a.update_allowed;
        app.tables.push_back(std::move(t));
    }
}

}  // namespace kestra::workspace

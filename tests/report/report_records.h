#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/config_file.h"
#include "report/page_reader.h"
#include "report/report_source.h"

namespace kestra::testing {

inline model::CConfigField& add_field(model::CConfigTable& table, const std::string& name, std::int32_t code,
                                      std::int32_t length, bool visible = true) {
    auto field = std::make_unique<model::CConfigField>();
    field->name.assign(name, model::TextFit::cut);
    field->data_type_code = code;
    field->length = length;
    field->visible = visible;
    field->mark_loaded();
    table.fields.push_back(std::move(field));
    return *table.fields.back();
}

inline model::CConfigTable& add_table(model::CConfigFile& file, const std::string& name, bool join = false) {
    auto table = std::make_unique<model::CConfigTable>();
    table->name.assign(name);
    table->join_table = join;
    table->table_number = static_cast<std::int32_t>(file.tables.size()) + 1;
    file.tables.push_back(std::move(table));
    return *file.tables.back();
}

inline model::CJoinMember& add_member(model::CConfigTable& join, const std::string& sub_table) {
    auto member = std::make_unique<model::CJoinMember>();
    member->sub_table.assign(sub_table);
    join.members.push_back(std::move(member));
    return *join.members.back();
}

inline void add_join_field(model::CJoinMember& member, const std::string& field, std::int32_t kind,
                           std::int32_t member_number, const std::string& value) {
    auto f = std::make_unique<model::CJoinField>();
    f->field.assign(field);
    f->kind = kind;
    f->member_number = member_number;
    f->value.assign(value);
    member.join_fields.push_back(std::move(f));
}

inline model::CPcApplication& add_app(model::CConfigFile& file, const std::string& name) {
    auto app = std::make_unique<model::CPcApplication>();
    app->program_name.assign(name);
    file.applications.push_back(std::move(app));
    return *file.applications.back();
}

// A source that hands out records prepared by the test: a table's details and fields are what the test put in
// the record, and an unload clears them as the host requests do. Names in the fail sets fail to load.
class ScriptedSource : public report::CReportSource {
  public:
    bool load_application(model::CConfigFile&, model::CPcApplication& app) override {
        loaded_apps.push_back(app.program_name.str());
        return !failing_apps.count(app.program_name.str());
    }
    bool load_table(model::CConfigFile&, model::CConfigTable& table) override {
        loaded_tables.push_back(table.name.str());
        if (failing_tables.count(table.name.str())) return false;
        table.loaded = true;
        return true;
    }
    bool load_field_list(model::CConfigTable& table) override {
        field_lists.push_back(table.name.str());
        if (failing_field_lists.count(table.name.str())) return false;
        table.fields_loaded = true;
        return true;
    }
    void unload_table(model::CConfigTable& table) override { unloaded.push_back(table.name.str()); }

    std::set<std::string> failing_apps;
    std::set<std::string> failing_tables;
    std::set<std::string> failing_field_lists;
    std::vector<std::string> loaded_apps;
    std::vector<std::string> loaded_tables;
    std::vector<std::string> field_lists;
    std::vector<std::string> unloaded;
};

}  // namespace kestra::testing

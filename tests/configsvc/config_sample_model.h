#pragma once

#include <memory>
#include <string>

#include "configsvc/config_document.h"
#include "model/config_file.h"

namespace kestra::testing {

// A configuration file with every kind of entry: global options and limits away from their defaults, an
// application using the global limits and one with its own limits and table list, a plain table with host,
// user-defined and calculated fields and a set, a second plain table, and a join with a condition of each kind.
inline std::unique_ptr<model::CConfigField> sample_field(std::int32_t number, const std::string& name,
                                                         const std::string& host_name, std::int32_t kind) {
    auto f = std::make_unique<model::CConfigField>();
    f->tblfieldnum = number;
    f->name.assign(name);
    f->host_name.assign(host_name);
    f->field_kind = kind;
    f->mark_loaded();
    return f;
}

inline void fill_sample_file(model::CConfigFile& file) {
    using model::FieldKind;
    file.description.assign("Sales \xC9t\xE9 \"2026\"");
    auto& g = file.global_options;
    g.date_base_month = 1;
    g.date_base_day = 2;
    g.date_base_year = 1957;
    g.library_kind = true;
    g.hide_fields = true;
    g.security_type = 2;
    g.security_use = 3;
    g.guardfile.assign("(PROD)GUARD/SALES ON DBPACK");
    g.program_security = 1;
    g.usercode.assign("PROD");
    g.app_name.assign("SALESAPP");
    g.priority = 50;
    g.translation.assign("GERMAN");
    file.limits.where_required = true;
    file.limits.row_limit_kind = 2;
    file.limits.row_count = 500;

    auto customer = std::make_unique<model::CConfigTable>();
    customer->name.assign("CUSTOMER");
    customer->table_number = 1;
    customer->table_option = 12345;
    customer->update_allowed = true;
    customer->database.assign("SALESDB");
    customer->dataset.assign("CUSTOMER");
    customer->set.assign("CUST-BY-ID");
    customer->description_file.assign("(PROD)DESCRIPTION/SALESDB ON DBPACK");
    customer->where_condition.assign("CUST-ID > 100");
    auto id = sample_field(1, "CUST-ID", "CUST-ID", FieldKind::host);
    id->data_type_code = 9;
    id->length = 8;
    id->offset = 0;
    customer->fields.push_back(std::move(id));
    auto name = sample_field(2, "NAME", "CUST-NAME", FieldKind::host);
    name->data_type_code = 4;
    name->length = 30;
    name->offset = 8;
    name->update_allowed = true;
    customer->fields.push_back(std::move(name));
    auto opened = sample_field(3, "OPENED", "CUST-OPENED", FieldKind::host);
    opened->data_type_code = 9;
    opened->length = 8;
    opened->offset = 68;
    opened->date_kind = 2;
    opened->date_format = 23;
    customer->fields.push_back(std::move(opened));
    auto flags = sample_field(4, "CUST-FLAGS", "CUST-FLAGS", FieldKind::host);
    flags->data_type_code = 3;
    flags->length = 12;
    flags->offset = 76;
    flags->visible = false;
    customer->fields.push_back(std::move(flags));
    auto city = sample_field(10, "CITY_CODE", "", FieldKind::user_defined);
    city->data_type_code = 4;
    city->length = 3;
    city->offset = 12;
    city->offset_value = 2;
    city->offset_in_characters = true;
    city->offset_from_start = true;
    city->base_field.assign("NAME");
    customer->fields.push_back(std::move(city));
    auto credit = sample_field(11, "CREDIT_K", "", FieldKind::calculated);
    credit->data_type_code = 23;
    credit->length = 12;
    credit->decimals = 3;
    credit->expression.assign("CUST-ID / 1000");
    customer->fields.push_back(std::move(credit));
    auto set = std::make_unique<model::CTableSet>();
    set->set_name.assign("CUST-BY-ID");
    set->first_attribute = 1;
    set->third_attribute = 1;
    set->keys.push_back({1, 0, 1});
    customer->sets.push_back(std::move(set));
    file.tables.push_back(std::move(customer));

    auto orders = std::make_unique<model::CConfigTable>();
    orders->name.assign("ORDERS");
    orders->table_number = 2;
    orders->database.assign("SALESDB");
    orders->dataset.assign("ORDERS");
    orders->description_file.assign("(PROD)DESCRIPTION/SALESDB ON DBPACK");
    auto ord_no = sample_field(1, "ORD-NO", "ORD-NO", FieldKind::host);
    ord_no->data_type_code = 9;
    ord_no->length = 8;
    orders->fields.push_back(std::move(ord_no));
    auto ord_cust = sample_field(2, "ORD-CUST", "ORD-CUST", FieldKind::host);
    ord_cust->data_type_code = 9;
    ord_cust->length = 8;
    ord_cust->offset = 8;
    orders->fields.push_back(std::move(ord_cust));
    file.tables.push_back(std::move(orders));

    auto join = std::make_unique<model::CConfigTable>();
    join->name.assign("CUSTOMER_ORDERS");
    join->table_number = 3;
    join->join_table = true;
    auto first = std::make_unique<model::CJoinMember>();
    first->sub_table.assign("CUSTOMER");
    auto second = std::make_unique<model::CJoinMember>();
    second->sub_table.assign("ORDERS");
    second->join_kind = 1;
    second->set.assign("ORD-BY-CUST");
    second->where_condition.assign("ORD-NO > 0");
    auto by_field = std::make_unique<model::CJoinField>();
    by_field->field.assign("ORD-CUST");
    by_field->kind = model::JoinFieldKind::field;
    by_field->member_number = 1;
    by_field->value.assign("CUST-ID");
    second->join_fields.push_back(std::move(by_field));
    auto by_expression = std::make_unique<model::CJoinField>();
    by_expression->field.assign("ORD-NO");
    by_expression->kind = model::JoinFieldKind::expression;
    by_expression->value.assign("1 + 1");
    second->join_fields.push_back(std::move(by_expression));
    auto by_literal = std::make_unique<model::CJoinField>();
    by_literal->field.assign("ORD-CUST");
    by_literal->kind = model::JoinFieldKind::literal;
    by_literal->value.assign("'O''NEIL'");
    second->join_fields.push_back(std::move(by_literal));
    join->members.push_back(std::move(first));
    join->members.push_back(std::move(second));
    file.tables.push_back(std::move(join));

    auto excel = std::make_unique<model::CPcApplication>();
    excel->app_number = 1;
    excel->program_name.assign("EXCEL.EXE");
    excel->limits = file.limits;
    excel->changed = excel->is_new = false;
    file.applications.push_back(std::move(excel));
    auto report = std::make_unique<model::CPcApplication>();
    report->app_number = 2;
    report->program_name.assign("REPORT.EXE");
    report->update_allowed = true;
    report->local_limits = true;
    report->limits.linear_joins = false;
    report->limits.row_limit_kind = 1;
    report->limits.row_count = 2147483647;
    report->table_list = true;
    auto listed = std::make_unique<model::CConfigTable>();
    listed->name.assign("ORDERS");
    listed->table_number = 2;
    listed->update_allowed = true;
    report->tables.push_back(std::move(listed));
    report->changed = report->is_new = false;
    file.applications.push_back(std::move(report));
}

// The sample written and read back: an independent copy of it.
inline bool copy_by_document(const configsvc::ConfigDocument& from, configsvc::ConfigDocument& to) {
    std::vector<configsvc::DocumentProblem> problems;
    return configsvc::read_config_document(configsvc::write_config_document(from), to, problems);
}

}  // namespace kestra::testing

#include "workspace/limits_form.h"

namespace kestra::workspace {

void LimitsForm::load(const model::CConfigLimits& limits) {
    where_required = limits.where_required;
    linear_selects = limits.linear_selects;
    linear_joins = limits.linear_joins;
    row_limit_kind.load(limits.row_limit_kind);
    row_count = std::to_string(limits.row_count);
}

std::optional<FormRefusal> LimitsForm::validate() const {
    std::int64_t count = 0;
    return parse_form_integer(row_count, 0, kRowCountMax, kRowCount, count);
}

void LimitsForm::store(model::CConfigLimits& limits) const {
    limits.where_required = where_required;
    limits.linear_selects = linear_selects;
    limits.linear_joins = linear_joins;
    limits.row_limit_kind = row_limit_kind.stored();
    std::int64_t count = 0;
    if (!parse_form_integer(row_count, 0, kRowCountMax, kRowCount, count))
        limits.row_count = static_cast<std::int32_t>(count);
}

}  // namespace kestra::workspace

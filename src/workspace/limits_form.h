#pragma once

#include <optional>
#include <string>

#include "model/config_limits.h"
#include "workspace/form_fields.h"

namespace kestra::workspace {

// The five limit controls, in the Limits window and in an application's "Limit Overrides" group (same ids).
class LimitsForm {
  public:
    static constexpr int kWhereRequired = 1042;
    static constexpr int kLinearSelects = 1044;
    static constexpr int kLinearJoins = 1047;
    static constexpr int kNoLimit = 1050;
    static constexpr int kSilentEof = 1051;
    static constexpr int kErrorMessage = 1052;
    static constexpr int kRowCount = 1049;
    static constexpr std::int64_t kRowCountMax = 2147483647;  // the wire's ten digits, as a signed 32-bit count

    bool where_required = false;
    bool linear_selects = true;
    bool linear_joins = true;
    CodedChoice row_limit_kind{3};  // No Limit, Silent End of Query, Error Message
    std::string row_count;

    void load(const model::CConfigLimits& limits);
    std::optional<FormRefusal> validate() const;
    // Only after validate() passed.
    void store(model::CConfigLimits& limits) const;
};

}  // namespace kestra::workspace

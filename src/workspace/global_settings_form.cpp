#include "workspace/global_settings_form.h"

#include <cstdio>

#include "model/text_limits.h"

namespace kestra::workspace {

namespace {

std::string two_digits(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(value));
    return text;
}

bool zero_or_empty(std::string_view text) {
    const std::string t = trim_blanks(text);
    return t.empty() || t.find_first_not_of('0') == std::string::npos;
}

}  // namespace

std::string GlobalSettingsForm::stored_usercode(std::string_view text) {
    std::string code = trim_blanks(text);
    if (!code.empty() && code[0] == '<') code.clear();
    return code;
}

void GlobalSettingsForm::load(const model::CGlobalOptions& options, std::string_view file_description) {
    loaded_ = options;
    loaded_description_ = std::string(file_description);
    description = loaded_description_;
    usercode = options.usercode.view().empty() ? kDefaultUsercode : options.usercode.str();
    loaded_usercode_ = usercode;
    priority = options.priority == 0 ? std::string() : two_digits(options.priority);
    app_name = options.app_name.str();
    translation = options.translation.str();
    guardfile = options.guardfile.str();
    const bool no_base = options.date_base_month == 0 && options.date_base_day == 0 && options.date_base_year == 0;
    month = no_base ? std::string() : std::to_string(options.date_base_month);
    day = no_base ? std::string() : std::to_string(options.date_base_day);
    year = no_base ? std::string() : std::to_string(options.date_base_year);
    ignore_unique_indices = options.unique_indices;
    database_libraries = options.library_kind;
    hide_fields = options.hide_fields;
    program_security.load(options.program_security);
    security_type.load(options.security_type);
    security_use.load(options.security_use);
}

bool GlobalSettingsForm::date_base_set() const {
    return !(zero_or_empty(month) && zero_or_empty(day) && zero_or_empty(year));
}

std::optional<FormRefusal> GlobalSettingsForm::validate() const {
    if (auto r = check_typed_length(description, loaded_description_, kDescriptionMax, kDescription)) return r;
    const std::string code = stored_usercode(usercode);
    if (usercode != loaded_usercode_)
        if (auto r = check_typed_length(code, {}, model::kUsercodeMax, kUsercode)) return r;
    std::int64_t number = 0;
    if (!trim_blanks(priority).empty())
        if (auto r = parse_form_integer(priority, 0, 99, kPriority, number)) return r;
    if (auto r = check_typed_length(trim_blanks(app_name), loaded_.app_name.view(), kAppNameTyped, kAppName)) return r;
    if (auto r = check_typed_length(translation, loaded_.translation.view(), model::kTranslationMax, kTranslation))
        return r;
    if (auto r = check_typed_length(guardfile, loaded_.guardfile.view(), model::kGuardfileMax, kGuardfile)) return r;
    // 0/0/0 or nothing means no date base; otherwise all three must be a real date base.
    if (date_base_set()) {
        if (auto r = parse_form_integer(day, 1, 31, kDay, number)) return r;
        if (auto r = parse_form_integer(month, 1, 12, kMonth, number)) return r;
        if (auto r = parse_form_integer(year, 1700, 2500, kYear, number)) return r;
    }
    return std::nullopt;
}

void GlobalSettingsForm::store(model::CGlobalOptions& options, model::WireText& file_description) const {
    std::int64_t number = 0;
    if (description != loaded_description_) file_description.assign(description);
    if (usercode != loaded_usercode_) options.usercode.assign(stored_usercode(usercode));
    options.priority = !trim_blanks(priority).empty() && !parse_form_integer(priority, 0, 99, 0, number)
                           ? static_cast<std::int32_t>(number)
                           : 0;
    const std::string name = trim_blanks(app_name);
    if (name != loaded_.app_name.view()) options.app_name.assign(name);
    if (translation != loaded_.translation.view()) options.translation.assign(translation);
    if (guardfile != loaded_.guardfile.view()) options.guardfile.assign(guardfile);
    if (date_base_set()) {
        parse_form_integer(month, 1, 12, 0, number);
        options.date_base_month = static_cast<std::int32_t>(number);
        parse_form_integer(day, 1, 31, 0, number);
        options.date_base_day = static_cast<std::int32_t>(number);
        parse_form_integer(year, 1700, 2500, 0, number);
        options.date_base_year = static_cast<std::int32_t>(number);
    } else {
        options.date_base_month = options.date_base_day = options.date_base_year = 0;
    }
    options.unique_indices = ignore_unique_indices;
    options.library_kind = database_libraries;
    options.hide_fields = hide_fields;
    options.program_security = program_security.stored();
    options.security_type = security_type.stored();
    options.security_use = security_use.stored();
}

}  // namespace kestra::workspace

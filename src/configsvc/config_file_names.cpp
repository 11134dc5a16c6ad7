#include "configsvc/config_file_names.h"

#include "model/config_field.h"

namespace kestra::configsvc {

std::string trim_config_file_name(std::string_view name) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = name.size();
    while (begin < end && blank(name[begin])) ++begin;
    while (end > begin && blank(name[end - 1])) --end;
    return std::string(name.substr(begin, end - begin));
}

bool has_usercode_and_packname(std::string_view name) {
    std::size_t after = 0;
    if (name.starts_with('(')) {
        const std::size_t close = name.find(')');
        if (close == std::string_view::npos) return false;
        after = close + 1;
    } else if (name.starts_with('*')) {
        after = 1;
    } else {
        return false;
    }
    return name.find(" ON ", after) != std::string_view::npos;
}

const char* check_config_file_name(std::string& name, const model::CServerNode& tree, NameUse use) {
    name = trim_config_file_name(name);
    if (name.empty()) return kNameMissing;
    if (!has_usercode_and_packname(name)) return kNameNeedsUsercode;
    if (tree.find_by_name(name) != nullptr) return use == NameUse::rename ? kNameDuplicateRename : kNameDuplicate;
    return nullptr;
}

const char* check_program_name(std::string& name, const model::CConfigFile& file, std::string_view current) {
    name = trim_config_file_name(name);
    if (name.empty()) return kProgramNameMissing;
    if (name == current) return nullptr;
    if (name.size() > kMaxProgramName) return kProgramNameTooLong;
    for (const auto& app : file.applications)
        if (model::equal_ignoring_case(app->program_name.view(), name)) return kProgramNameDuplicate;
    return nullptr;
}

}  // namespace kestra::configsvc

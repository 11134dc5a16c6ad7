#include "configsvc/config_match.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace kestra::configsvc {

namespace {

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The general pairing: identity keys first, then host numbers among what is left.
template <class T>
std::vector<Match<T>> pair_up(const std::vector<std::unique_ptr<T>>& a, const std::vector<std::unique_ptr<T>>& b,
                              const std::function<std::string(const T&)>& identity,
                              const std::function<std::int32_t(const T&)>& number,
                              const std::function<bool(const T&, const T&)>& same_class) {
    std::vector<Match<T>> out;
    std::vector<const T*> partner_of_a(a.size(), nullptr);
    std::vector<bool> b_used(b.size(), false);
    std::unordered_multimap<std::string, std::size_t> by_key;
    for (std::size_t i = 0; i < a.size(); ++i) by_key.emplace(identity(*a[i]), i);
    for (std::size_t j = 0; j < b.size(); ++j) {
        auto [first, last] = by_key.equal_range(identity(*b[j]));
        for (auto it = first; it != last; ++it) {
            if (partner_of_a[it->second] == nullptr) {
                partner_of_a[it->second] = b[j].get();
                b_used[j] = true;
                break;
            }
        }
    }
    for (std::size_t j = 0; j < b.size(); ++j) {
        if (b_used[j] || number(*b[j]) == 0) continue;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (partner_of_a[i] == nullptr && number(*a[i]) == number(*b[j]) && same_class(*a[i], *b[j])) {
                partner_of_a[i] = b[j].get();
                b_used[j] = true;
                break;
            }
        }
    }
    for (std::size_t i = 0; i < a.size(); ++i) out.push_back({a[i].get(), partner_of_a[i]});
    for (std::size_t j = 0; j < b.size(); ++j)
        if (!b_used[j]) out.push_back({nullptr, b[j].get()});
    return out;
}

}  // namespace

const std::string& field_label(const model::CConfigField& field) {
    return field.name.empty() ? field.host_name.str() : field.name.str();
}

std::vector<Match<model::CConfigTable>> match_tables(const model::CConfigFile& a, const model::CConfigFile& b) {
    return pair_up<model::CConfigTable>(
        a.tables, b.tables, [](const model::CConfigTable& t) { return folded(t.name.view()); },
        [](const model::CConfigTable& t) { return t.table_number; },
        // A plain table's name is what the catalogue gave it; only a join, which the join editor renames, is
        // followed through a new name by its number.
        [](const model::CConfigTable& x, const model::CConfigTable& y) { return x.join_table && y.join_table; });
}

std::vector<Match<model::CConfigField>> match_fields(const model::CConfigTable& a, const model::CConfigTable& b) {
    return pair_up<model::CConfigField>(
        a.fields, b.fields,
        [](const model::CConfigField& f) {
            return f.field_kind == model::FieldKind::host ? "H " + folded(f.host_name.view())
                                                          : "N " + folded(f.name.view());
        },
        [](const model::CConfigField& f) { return f.tblfieldnum; },
        [](const model::CConfigField& x, const model::CConfigField& y) { return x.field_kind == y.field_kind; });
}

std::vector<Match<model::CPcApplication>> match_applications(const model::CConfigFile& a, const model::CConfigFile& b) {
    return pair_up<model::CPcApplication>(
        a.applications, b.applications, [](const model::CPcApplication& p) { return folded(p.program_name.view()); },
        [](const model::CPcApplication& p) { return p.app_number; },
        [](const model::CPcApplication&, const model::CPcApplication&) { return false; });
}

}  // namespace kestra::configsvc

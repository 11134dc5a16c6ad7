#include "workspace/join_edit_model.h"

#include <algorithm>
#include <numeric>

#include "app/ui_hooks.h"
#include "configsvc/table_field_names.h"
#include "model/config_field.h"
#include "model/join_member.h"
#include "model/table_set.h"

namespace kestra::workspace {

using model::CConfigField;
using model::CConfigTable;
using model::CJoinField;
using model::CJoinMember;
using model::CTableSet;
using model::JoinFieldKind;

namespace {

void reset(CJoinField& field) {
    field.kind = JoinFieldKind::none;
    field.value.clear();
    field.member_number = 0;
}

const CConfigField* field_by_number(const CConfigTable& table, std::int32_t number) {
    for (const auto& f : table.fields)
        if (f && f->tblfieldnum == number) return f.get();
    return nullptr;
}

bool ask(const char* text) {
    return app::message_box(text, {}, app::MessageIcon::Warning, app::MessageButtons::YesNo) == app::MessageResult::Yes;
}

// A set is usable only when every key names a field of the table.
bool set_complete(const CConfigTable& table, const CTableSet& set) {
    return std::all_of(set.keys.begin(), set.keys.end(),
                       [&](const model::CSetKey& key) { return field_by_number(table, key.field_number) != nullptr; });
}

}  // namespace

std::unique_ptr<CConfigTable> copy_join_table(const CConfigTable& join) {
    auto copy = std::make_unique<CConfigTable>();
    copy->name = join.name;
    copy->table_number = join.table_number;
    copy->table_option = join.table_option;
    copy->table_handle = join.table_handle;
    copy->loaded = join.loaded;
    copy->update_allowed = join.update_allowed;
    copy->return_groups = join.return_groups;
    copy->join_table = join.join_table;
    copy->where_condition = join.where_condition;
    copy->changed = join.changed;
    copy->members.reserve(join.members.size());
    for (const auto& m : join.members)
        if (m) copy->members.push_back(std::make_unique<CJoinMember>(*m));
    return copy;
}

std::string set_menu_text(const CConfigTable& table, const CTableSet& set) {
    std::string text = set.set_name.str() + " (";
    for (std::size_t n = 0; n < set.keys.size(); ++n) {
        if (n == kSetKeyNamesShown) {
            text += ", ...";
            break;
        }
        if (n > 0) text += ", ";
        const CConfigField* f = field_by_number(table, set.keys[n].field_number);
        text += f != nullptr ? f->name.str() : "?";
    }
    return text + ")";
}

CJoinEditModel::CJoinEditModel(const model::CConfigFile& file, CConfigTable& join, MemberLoader loader,
                               const CConfigTable* original)
    : file_(file), join_(join), loader_(std::move(loader)), original_(original) {}

CConfigTable* CJoinEditModel::find_plain_table(std::string_view name) const {
    for (const auto& t : file_.tables)
        if (t && !t->join_table && t->name == name) return t.get();
    for (const auto& t : file_.tables)
        if (t && !t->join_table && model::equal_ignoring_case(t->name.view(), name)) return t.get();
    return nullptr;
}

CConfigTable* CJoinEditModel::member_table(std::size_t k) const {
    if (k >= join_.members.size()) return nullptr;
    return find_plain_table(join_.members[k]->sub_table.view());
}

std::size_t CJoinEditModel::join_field_count(std::size_t k) const {
    return k < join_.members.size() ? join_.members[k]->join_fields.size() : 0;
}

std::vector<CConfigTable*> CJoinEditModel::available_tables() const {
    std::vector<CConfigTable*> out;
    for (const auto& t : file_.tables) {
        if (!t || t->join_table) continue;
        const bool member = std::any_of(join_.members.begin(), join_.members.end(), [&](const auto& m) {
            return model::equal_ignoring_case(m->sub_table.view(), t->name.view());
        });
        if (!member) out.push_back(t.get());
    }
    return out;
}

const char* CJoinEditModel::fits(std::size_t before, const CConfigTable& table) const {
    std::size_t total = table.fields.size();
    for (std::size_t m = 0; m < before && m < join_.members.size(); ++m)
        if (const CConfigTable* t = member_table(m)) total += t->fields.size();
    if (total > kJoinFieldLimit) return kJoinTooManyFields;
    for (std::size_t m = 0; m < before && m < join_.members.size(); ++m) {
        const CConfigTable* t = member_table(m);
        if (t == nullptr) continue;
        for (const auto& mine : table.fields)
            for (const auto& theirs : t->fields)
                if (mine->name == theirs->name.view()) return kJoinConflictingNames;
    }
    return nullptr;
}

const CTableSet* CJoinEditModel::active_set(std::size_t k) const {
    const CConfigTable* table = member_table(k);
    if (table == nullptr || join_.members[k]->set.empty()) return nullptr;
    for (const auto& s : table->sets)
        if (s && model::equal_ignoring_case(s->set_name.view(), join_.members[k]->set.view()))
            return set_complete(*table, *s) ? s.get() : nullptr;
    return nullptr;
}

const CConfigField* CJoinEditModel::key_field(std::size_t k, std::size_t i) const {
    const CConfigTable* table = member_table(k);
    if (table == nullptr || i >= join_field_count(k)) return nullptr;
    const CJoinField& jf = *join_.members[k]->join_fields[i];
    if (const CTableSet* set = active_set(k); set != nullptr && i < set->keys.size()) {
        const CConfigField* f = field_by_number(*table, set->keys[i].field_number);
        if (f != nullptr && model::equal_ignoring_case(f->name.view(), jf.field.view())) return f;
        return nullptr;
    }
    // Without its set the stored join field is shown but cannot be rebound.
    return nullptr;
}

int CJoinEditModel::key_type(std::size_t k, std::size_t i) const {
    const CConfigField* f = key_field(k, i);
    return f != nullptr ? expr::ExprFieldType(*f) : expr::kTypeNone;
}

CJoinEditModel::OpenResult CJoinEditModel::open() {
    // Everything is loaded before anything is repaired, so a failed load leaves the join as it came.
    for (std::size_t k = 0; k < join_.members.size(); ++k)
        if (CConfigTable* table = member_table(k); table != nullptr && !loader_(*table)) return OpenResult::failed;
    bool repaired = false;
    for (std::size_t k = 0; k < join_.members.size();) {
        CJoinMember& m = *join_.members[k];
        CConfigTable* table = member_table(k);
        if (table == nullptr) {
            remove_member(k);
            repaired = true;
            continue;
        }
        if (fits(k, *table) != nullptr) {
            remove_member(k);
            repaired = true;
            continue;
        }
        const CTableSet* set = active_set(k);
        const bool missing = !m.set.empty() && set == nullptr;
        // The first member drives the join and may use any set or none; a later one needs the set it names.
        if (k > 0 && (missing || (set != nullptr && set->keys.size() < m.join_fields.size()))) {
            remove_member(k);
            repaired = true;
            continue;
        }
        if (m.set.empty()) {
            if (!m.join_fields.empty()) {
                m.join_fields.clear();
                repaired = true;
            }
        } else if (set != nullptr) {
            if (m.join_fields.size() > set->keys.size()) {
                m.join_fields.resize(set->keys.size());
                repaired = true;
            }
            for (std::size_t i = 0; i < set->keys.size(); ++i) {
                const std::string key = field_by_number(*table, set->keys[i].field_number)->name.str();
                if (i < m.join_fields.size()) {
                    CJoinField& jf = *m.join_fields[i];
                    if (!model::equal_ignoring_case(jf.field.view(), key)) {
                        jf.field.assign(key, model::TextFit::cut);
                        reset(jf);
                        repaired = true;
                    }
                } else {
                    auto jf = std::make_unique<CJoinField>();
                    jf->field.assign(key, model::TextFit::cut);
                    m.join_fields.push_back(std::move(jf));
                }
            }
        }
        for (std::size_t i = 0; i < m.join_fields.size(); ++i) {
            CJoinField& jf = *m.join_fields[i];
            if (jf.kind != JoinFieldKind::field) continue;
            bool good = false;
            if (const CJoinMember* ref = expr::join_value_member(join_, k, jf)) {
                const CConfigTable* ref_table = find_plain_table(ref->sub_table.view());
                const CConfigField* target = ref_table != nullptr ? ref_table->find_field(jf.value.view()) : nullptr;
                const CConfigField* key = key_field(k, i);
                good = target != nullptr && key != nullptr && expr::ExprFieldType(*target) == expr::ExprFieldType(*key);
            }
            if (!good) {
                reset(jf);
                repaired = true;
            }
        }
        ++k;
    }
    join_.changed = repaired;
    return repaired ? OpenResult::repaired : OpenResult::opened;
}

std::string CJoinEditModel::member_text(std::size_t k) const {
    if (k >= join_.members.size()) return {};
    const CJoinMember& m = *join_.members[k];
    std::string text = m.sub_table.str() + " (" + (m.set.empty() ? std::string("DEFAULT") : m.set.str());
    if (k > 0) text += m.join_kind == CJoinMember::kInner ? ", INNER" : ", OUTER";
    if (!m.where_condition.empty()) text += ", WHERE " + m.where_condition.str();
    return text + ")";
}

std::string CJoinEditModel::join_field_text(std::size_t k, std::size_t i) const {
    if (i >= join_field_count(k)) return {};
    const CJoinField& jf = *join_.members[k]->join_fields[i];
    if (jf.kind == JoinFieldKind::none) return jf.field.str();
    if (jf.kind == JoinFieldKind::field) {
        if (const CJoinMember* ref = expr::join_value_member(join_, k, jf))
            return jf.field.str() + " = " + ref->sub_table.str() + "." + jf.value.str();
    }
    return jf.field.str() + " = " + jf.value.str();
}

bool CJoinEditModel::add_table(CConfigTable& table) {
    if (!loader_(table)) return false;
    if (const char* refusal = fits(join_.members.size(), table)) {
        app::message_box(refusal, {}, app::MessageIcon::Warning);
        return false;
    }
    auto m = std::make_unique<CJoinMember>();
    m->sub_table.assign(table.name.view(), model::TextFit::cut);
    join_.members.push_back(std::move(m));
    join_.changed = true;
    return true;
}

bool CJoinEditModel::removal_loses_joins(std::size_t k) const {
    const auto number = static_cast<std::int32_t>(k + 1);
    for (std::size_t j = k + 1; j < join_.members.size(); ++j)
        for (const auto& jf : join_.members[j]->join_fields)
            if (jf->kind == JoinFieldKind::field && jf->member_number == number) return true;
    return false;
}

void CJoinEditModel::remove_member(std::size_t k) {
    if (k >= join_.members.size()) return;
    const auto number = static_cast<std::int32_t>(k + 1);
    for (std::size_t j = k + 1; j < join_.members.size(); ++j) {
        for (auto& jf : join_.members[j]->join_fields) {
            if (jf->kind != JoinFieldKind::field) continue;
            if (jf->member_number == number)
                reset(*jf);
            else if (jf->member_number > number)
                --jf->member_number;
        }
    }
    join_.members.erase(join_.members.begin() + static_cast<std::ptrdiff_t>(k));
    join_.changed = true;
}

bool CJoinEditModel::delete_member(std::size_t k) {
    if (k >= join_.members.size()) return false;
    if (removal_loses_joins(k) && !ask(kJoinAskDelete)) return false;
    remove_member(k);
    return true;
}

namespace {

// New position of each old member index when `from` moves to `to`.
std::vector<std::size_t> move_positions(std::size_t count, std::size_t from, std::size_t to) {
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    order.erase(order.begin() + static_cast<std::ptrdiff_t>(from));
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(to), from);
    std::vector<std::size_t> position(count);
    for (std::size_t p = 0; p < count; ++p) position[order[p]] = p;
    return position;
}

bool loses_member(const CJoinField& jf, std::size_t own, const std::vector<std::size_t>& position) {
    if (jf.kind != JoinFieldKind::field || jf.member_number < 1) return false;
    const auto ref = static_cast<std::size_t>(jf.member_number - 1);
    if (ref >= position.size()) return true;
    return position[ref] >= position[own];
}

}  // namespace

std::size_t CJoinEditModel::move_losses(std::size_t from, std::size_t to) const {
    const std::size_t count = join_.members.size();
    if (from >= count || to >= count) return 0;
    const std::vector<std::size_t> position = move_positions(count, from, to);
    std::size_t losses = 0;
    for (std::size_t k = 0; k < count; ++k)
        for (const auto& jf : join_.members[k]->join_fields)
            if (loses_member(*jf, k, position)) ++losses;
    return losses;
}

bool CJoinEditModel::move_member(std::size_t from, std::size_t to) {
    const std::size_t count = join_.members.size();
    if (from >= count || to >= count || from == to) return false;
    if (move_losses(from, to) > 0 && !ask(kJoinAskMove)) return false;
    const std::vector<std::size_t> position = move_positions(count, from, to);
    for (std::size_t k = 0; k < count; ++k) {
        for (auto& jf : join_.members[k]->join_fields) {
            if (jf->kind != JoinFieldKind::field) continue;
            if (loses_member(*jf, k, position))
                reset(*jf);
            else if (jf->member_number >= 1)
                jf->member_number =
                    static_cast<std::int32_t>(position[static_cast<std::size_t>(jf->member_number - 1)] + 1);
        }
    }
    auto moved = std::move(join_.members[from]);
    join_.members.erase(join_.members.begin() + static_cast<std::ptrdiff_t>(from));
    join_.members.insert(join_.members.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
    join_.changed = true;
    return true;
}

void CJoinEditModel::rebuild_join_fields(std::size_t k, const CTableSet* set) {
    CJoinMember& m = *join_.members[k];
    std::vector<std::unique_ptr<CJoinField>> old = std::move(m.join_fields);
    m.join_fields.clear();
    const CConfigTable* table = member_table(k);
    if (set == nullptr || table == nullptr) return;
    for (const model::CSetKey& key : set->keys) {
        const CConfigField* f = field_by_number(*table, key.field_number);
        const std::string name = f != nullptr ? f->name.str() : std::string();
        // Expressions and constants mean the same under another set; old joins are matched by stored key name.
        auto kept = std::find_if(old.begin(), old.end(), [&](const auto& jf) {
            return jf && (jf->kind == JoinFieldKind::expression || jf->kind == JoinFieldKind::literal) &&
                   model::equal_ignoring_case(jf->field.view(), name);
        });
        if (kept != old.end()) {
            m.join_fields.push_back(std::move(*kept));
            continue;
        }
        auto jf = std::make_unique<CJoinField>();
        jf->field.assign(name, model::TextFit::cut);
        m.join_fields.push_back(std::move(jf));
    }
}

bool CJoinEditModel::change_active_set(std::size_t k, int set_index) {
    const CConfigTable* table = member_table(k);
    if (table == nullptr) return false;
    const CTableSet* set = nullptr;
    if (set_index >= 0) {
        if (static_cast<std::size_t>(set_index) >= table->sets.size()) return false;
        set = table->sets[static_cast<std::size_t>(set_index)].get();
        if (!set_complete(*table, *set)) return false;
    }
    CJoinMember& m = *join_.members[k];
    const bool bound = std::any_of(m.join_fields.begin(), m.join_fields.end(),
                                   [](const auto& jf) { return jf->kind != JoinFieldKind::none; });
    if (bound && !ask(kJoinAskSetChange)) return false;
    if (set != nullptr)
        m.set.assign(set->set_name.view(), model::TextFit::cut);
    else
        m.set.clear();
    rebuild_join_fields(k, set);
    join_.changed = true;
    return true;
}

void CJoinEditModel::set_join_kind(std::size_t k, std::int32_t kind) {
    if (k >= join_.members.size() || join_.members[k]->join_kind == kind) return;
    join_.members[k]->join_kind = kind;
    join_.changed = true;
}

void CJoinEditModel::bind_field(std::size_t k, std::size_t i, std::size_t ref, const std::string& field) {
    if (i >= join_field_count(k) || ref >= k) return;
    CJoinField& jf = *join_.members[k]->join_fields[i];
    jf.kind = JoinFieldKind::field;
    jf.value.assign(field, model::TextFit::cut);
    jf.member_number = static_cast<std::int32_t>(ref + 1);
    join_.changed = true;
}

void CJoinEditModel::unbind(std::size_t k, std::size_t i) {
    if (i >= join_field_count(k)) return;
    reset(*join_.members[k]->join_fields[i]);
    join_.changed = true;
}

bool CJoinEditModel::begin_where_edit(std::size_t k, expr::CExpressionParser& parser) const {
    std::vector<expr::MemberFieldRef> refs;
    return expr::begin_member_where_edit(file_, join_, k, parser, refs);
}

void CJoinEditModel::store_where(std::size_t k, const std::string& text) {
    if (k >= join_.members.size() || join_.members[k]->where_condition == text) return;
    if (!join_.members[k]->where_condition.assign(text)) return;
    join_.changed = true;
}

bool CJoinEditModel::begin_join_value_edit(std::size_t k, std::size_t i, expr::CExpressionParser& parser,
                                           std::vector<expr::MemberFieldRef>& refs) const {
    if (i >= join_field_count(k)) return false;
    const CJoinField& jf = *join_.members[k]->join_fields[i];
    parser = expr::CExpressionParser(expr::join_value_text(join_, k, jf), key_type(k, i));
    refs.clear();
    expr::load_member_fields(file_, join_, 0, k, parser, refs);
    return true;
}

void CJoinEditModel::store_join_value(std::size_t k, std::size_t i, const expr::CExpressionParser& parser,
                                      const std::vector<expr::MemberFieldRef>& refs) {
    if (i >= join_field_count(k) || parser.GetText().size() > model::kMaxWireText) return;
    expr::classify_join_value(parser, refs, *join_.members[k]->join_fields[i]);
    join_.changed = true;
}

std::vector<std::vector<CJoinEditModel::FieldChoice>> CJoinEditModel::field_choices(std::size_t k,
                                                                                    std::size_t i) const {
    std::vector<std::vector<FieldChoice>> out;
    const CConfigField* key = key_field(k, i);
    if (key == nullptr) return out;
    const int type = expr::ExprFieldType(*key);
    for (std::size_t m = 0; m < k; ++m) {
        const CConfigTable* table = member_table(m);
        if (table == nullptr) continue;
        std::vector<FieldChoice> choices;
        for (const auto& f : table->fields)
            if (expr::ExprFieldType(*f) == type) choices.push_back({m, f->name.str()});
        if (!choices.empty()) out.push_back(std::move(choices));
    }
    return out;
}

std::vector<JoinMenuItem> CJoinEditModel::member_menu(std::size_t k) const {
    std::vector<JoinMenuItem> menu;
    if (k >= join_.members.size()) return menu;
    const CJoinMember& m = *join_.members[k];
    JoinMenuItem sets = JoinMenuItem::popup("Active Set");
    if (k == 0) sets.items.push_back(JoinMenuItem::check(join_cmd::kDefaultSet, "DEFAULT", m.set.empty()));
    if (const CConfigTable* table = member_table(k)) {
        for (std::size_t s = 0; s < table->sets.size(); ++s) {
            const CTableSet& set = *table->sets[s];
            JoinMenuItem item =
                JoinMenuItem::check(join_cmd::kFirstSet + static_cast<int>(s), set_menu_text(*table, set),
                                    !m.set.empty() && model::equal_ignoring_case(set.set_name.view(), m.set.view()));
            item.enabled = set_complete(*table, set);
            sets.items.push_back(std::move(item));
        }
    }
    sets.enabled = !sets.items.empty();
    menu.push_back(std::move(sets));
    if (k > 0) {
        menu.push_back(JoinMenuItem::line());
        menu.push_back(JoinMenuItem::check(join_cmd::kInner, "Inner Join", m.join_kind == CJoinMember::kInner));
        menu.push_back(JoinMenuItem::check(join_cmd::kOuter, "Outer Join", m.join_kind != CJoinMember::kInner));
    }
    menu.push_back(JoinMenuItem::line());
    menu.push_back(JoinMenuItem::command(join_cmd::kWhere, "Where Condition..."));
    menu.push_back(JoinMenuItem::command(join_cmd::kDeleteTable, "Delete Table"));
    return menu;
}

std::vector<JoinMenuItem> CJoinEditModel::join_field_menu(std::size_t k, std::size_t i) const {
    std::vector<JoinMenuItem> menu;
    if (i >= join_field_count(k)) return menu;
    const bool usable = key_field(k, i) != nullptr;
    const auto choices = field_choices(k, i);
    int id = join_cmd::kFirstJoinField;
    if (!choices.empty()) {
        JoinMenuItem fields = JoinMenuItem::popup("Join Field");
        for (const auto& member_choices : choices) {
            JoinMenuItem sub = JoinMenuItem::popup(join_.members[member_choices.front().member]->sub_table.str());
            for (const FieldChoice& c : member_choices) sub.items.push_back(JoinMenuItem::command(id++, c.field));
            fields.items.push_back(std::move(sub));
        }
        menu.push_back(std::move(fields));
    }
    JoinMenuItem expression = JoinMenuItem::command(join_cmd::kExpression, "Join Expression...");
    expression.enabled = usable;
    menu.push_back(std::move(expression));
    if (join_.members[k]->join_fields[i]->kind != JoinFieldKind::none)
        menu.push_back(JoinMenuItem::command(join_cmd::kDeleteJoin, "Delete Join"));
    return menu;
}

std::vector<JoinMenuItem> CJoinEditModel::root_menu() const {
    std::vector<JoinMenuItem> menu;
    const auto tables = available_tables();
    if (tables.empty() || join_.members.size() >= kJoinMemberLimit) return menu;
    JoinMenuItem add = JoinMenuItem::popup("Add Table");
    int id = join_cmd::kFirstAddTable;
    for (const CConfigTable* t : tables) add.items.push_back(JoinMenuItem::command(id++, t->name.str()));
    menu.push_back(std::move(add));
    return menu;
}

JoinAction CJoinEditModel::member_command(std::size_t k, int id) {
    if (k >= join_.members.size()) return JoinAction::none;
    switch (id) {
        case join_cmd::kInner:
        case join_cmd::kOuter:
            if (k == 0) return JoinAction::none;
            set_join_kind(k, id == join_cmd::kInner ? CJoinMember::kInner : 1);
            return JoinAction::changed;
        case join_cmd::kWhere:
            return JoinAction::edit_where;
        case join_cmd::kDeleteTable:
            return delete_member(k) ? JoinAction::changed : JoinAction::none;
        case join_cmd::kDefaultSet:
            if (k != 0) return JoinAction::none;
            return change_active_set(k, -1) ? JoinAction::changed : JoinAction::none;
        default:
            if (id >= join_cmd::kFirstSet)
                return change_active_set(k, id - join_cmd::kFirstSet) ? JoinAction::changed : JoinAction::none;
            return JoinAction::none;
    }
}

JoinAction CJoinEditModel::join_field_command(std::size_t k, std::size_t i, int id) {
    if (i >= join_field_count(k)) return JoinAction::none;
    if (id == join_cmd::kExpression) return key_field(k, i) != nullptr ? JoinAction::edit_expression : JoinAction::none;
    if (id == join_cmd::kDeleteJoin) {
        unbind(k, i);
        return JoinAction::changed;
    }
    if (id < join_cmd::kFirstJoinField) return JoinAction::none;
    auto n = static_cast<std::size_t>(id - join_cmd::kFirstJoinField);
    for (const auto& member_choices : field_choices(k, i)) {
        if (n < member_choices.size()) {
            bind_field(k, i, member_choices[n].member, member_choices[n].field);
            return JoinAction::changed;
        }
        n -= member_choices.size();
    }
    return JoinAction::none;
}

JoinAction CJoinEditModel::root_command(int id) {
    if (id < join_cmd::kFirstAddTable || join_.members.size() >= kJoinMemberLimit) return JoinAction::none;
    const auto tables = available_tables();
    const auto n = static_cast<std::size_t>(id - join_cmd::kFirstAddTable);
    if (n >= tables.size()) return JoinAction::none;
    return add_table(*tables[n]) ? JoinAction::changed : JoinAction::none;
}

const char* CJoinEditModel::save(std::string name, std::size_t& bad_member) {
    if (const char* refusal = configsvc::check_join_name(name, file_, original_)) return refusal;
    for (std::size_t k = 0; k < join_.members.size(); ++k) {
        bool ended = false;
        for (const auto& jf : join_.members[k]->join_fields) {
            if (jf->kind == JoinFieldKind::none) {
                ended = true;
            } else if (ended) {
                bad_member = k;
                return kJoinFragmented;
            }
        }
    }
    if (!join_.members.empty()) set_join_kind(0, CJoinMember::kInner);
    join_.name.assign(name, model::TextFit::cut);
    return nullptr;
}

}  // namespace kestra::workspace

#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "expr/search_conditions.h"
#include "model/config_file.h"
#include "model/config_table.h"

namespace kestra::workspace {

inline constexpr const char* kJoinInconsistent =
    "Inconsistencies have been detected in this Table. It has been modified from it's original form.";
inline constexpr const char* kJoinTooManyFields = "Table contains too any fields and will not be added to the join.";
inline constexpr const char* kJoinConflictingNames =
    "Table contains conflicting field names and will not be added to the join.";
inline constexpr const char* kJoinAskSetChange =
    "Changing the active set for this table will cause some of your existing joins to be deleted. Do you want to "
    "continue?";
inline constexpr const char* kJoinAskDelete =
    "Deleting this table will cause some of your existing joins to be deleted. Do you want to continue?";
inline constexpr const char* kJoinAskMove =
    "Moving this table will cause some of your existing joins to be deleted. Do you want to continue?";
inline constexpr const char* kJoinFragmented = "*** Set contains fragmented joins ***";
inline constexpr const char* kJoinRootText = "Join Tables";

inline constexpr std::size_t kJoinMemberLimit = 16;   // the root popup adds tables only below this
inline constexpr std::size_t kJoinFieldLimit = 8192;  // fields of all member tables together
inline constexpr std::size_t kSetKeyNamesShown = 3;   // key names an "Active Set" entry lists

// Commands of the Edit Join popups (menu resources 154, 156 and 158). Ranges start at the first id and count up;
// the same number means different things in different popups.
namespace join_cmd {
inline constexpr int kInner = 4806;
inline constexpr int kOuter = 4807;
inline constexpr int kDeleteTable = 4808;
inline constexpr int kWhere = 4809;
inline constexpr int kDefaultSet = 4810;
inline constexpr int kFirstSet = 4811;
inline constexpr int kDeleteJoin = 4812;
inline constexpr int kExpression = 4813;
inline constexpr int kFirstJoinField = 4815;
inline constexpr int kFirstAddTable = 4819;
inline constexpr int kMemberMenu = 154;
inline constexpr int kJoinFieldMenu = 156;
inline constexpr int kRootMenu = 158;
}  // namespace join_cmd

// One entry of an Edit Join popup.
struct JoinMenuItem {
    enum class Kind { command, separator, submenu };
    Kind kind = Kind::command;
    int id = 0;
    std::string text;
    bool checked = false;
    bool checkable = false;
    bool enabled = true;
    std::vector<JoinMenuItem> items;

    static JoinMenuItem command(int command_id, std::string caption) {
        JoinMenuItem item;
        item.id = command_id;
        item.text = std::move(caption);
        return item;
    }
    static JoinMenuItem check(int command_id, std::string caption, bool on) {
        JoinMenuItem item = command(command_id, std::move(caption));
        item.checkable = true;
        item.checked = on;
        return item;
    }
    static JoinMenuItem line() {
        JoinMenuItem item;
        item.kind = Kind::separator;
        return item;
    }
    static JoinMenuItem popup(std::string caption) {
        JoinMenuItem item;
        item.kind = Kind::submenu;
        item.text = std::move(caption);
        return item;
    }
};

// What the window must do after a popup command.
enum class JoinAction { none, changed, edit_where, edit_expression };

// Loads a member's table with its fields and sets; false with the reason queued on the session.
using MemberLoader = std::function<bool(model::CConfigTable&)>;

// A deep copy of a join table's header and members, which Edit Join changes instead of the model's record.
std::unique_ptr<model::CConfigTable> copy_join_table(const model::CConfigTable& join);

// The Edit Join window without the window: the check that repairs a stored join on opening, the edits of its
// members and join fields, the texts of the tree, the popups and the OK rule. Works on a join record the caller
// owns (a copy, or a new join); member tables are the file's. Confirmations go through app::message_box.
class CJoinEditModel {
  public:
    // `original` is the file's record of the join being edited, nullptr for a new join.
    CJoinEditModel(const model::CConfigFile& file, model::CConfigTable& join, MemberLoader loader,
                   const model::CConfigTable* original = nullptr);

    enum class OpenResult { opened, repaired, failed };
    // The consistency check over every member. `failed` when a member's table could not be loaded (nothing is
    // repaired then); `repaired` when members or join fields were removed or reset.
    OpenResult open();

    const model::CConfigFile& file() const { return file_; }
    model::CConfigTable& join() { return join_; }
    const model::CConfigTable& join() const { return join_; }
    std::size_t member_count() const { return join_.members.size(); }
    std::size_t join_field_count(std::size_t k) const;
    bool changed() const { return join_.changed; }

    // The file's plain table a member names; nullptr when none.
    model::CConfigTable* member_table(std::size_t k) const;
    // Plain tables of the file that are not members, in file order.
    std::vector<model::CConfigTable*> available_tables() const;

    std::string member_text(std::size_t k) const;
    std::string join_field_text(std::size_t k, std::size_t i) const;

    // Adds a table as the last member with the default set, after the field-count and field-name rules; a refusal
    // is shown. False when not added.
    bool add_table(model::CConfigTable& table);
    // Whether removing member k would unbind a later join field.
    bool removal_loses_joins(std::size_t k) const;
    void remove_member(std::size_t k);
    // Delete Table with its confirmation; false when the user declined.
    bool delete_member(std::size_t k);

    // Join fields that would lose their member if member `from` were moved to position `to`.
    std::size_t move_losses(std::size_t from, std::size_t to) const;
    // Moves with Move's confirmation; false when declined or nothing moves.
    bool move_member(std::size_t from, std::size_t to);
    bool can_move_up(std::size_t k) const { return k > 0 && k < member_count(); }
    bool can_move_down(std::size_t k) const { return k + 1 < member_count(); }

    // The member's set when the table has it and every key names a field; nullptr otherwise.
    const model::CTableSet* active_set(std::size_t k) const;
    // Switches to set `set_index` of the member's table (-1: the default set), asking first when bound join fields
    // would go. False when declined.
    bool change_active_set(std::size_t k, int set_index);
    void set_join_kind(std::size_t k, std::int32_t kind);
    // Binds join field i of member k to `field` of earlier member `ref` (0-based).
    void bind_field(std::size_t k, std::size_t i, std::size_t ref, const std::string& field);
    void unbind(std::size_t k, std::size_t i);
    // Expression type of the key field join field i stands for; kTypeNone when unknown.
    int key_type(std::size_t k, std::size_t i) const;

    // The parsers the expression dialog checks with, and what is stored after its OK.
    bool begin_where_edit(std::size_t k, expr::CExpressionParser& parser) const;
    void store_where(std::size_t k, const std::string& text);
    bool begin_join_value_edit(std::size_t k, std::size_t i, expr::CExpressionParser& parser,
                               std::vector<expr::MemberFieldRef>& refs) const;
    void store_join_value(std::size_t k, std::size_t i, const expr::CExpressionParser& parser,
                          const std::vector<expr::MemberFieldRef>& refs);

    // The popups. An empty root menu means no popup.
    std::vector<JoinMenuItem> member_menu(std::size_t k) const;
    std::vector<JoinMenuItem> join_field_menu(std::size_t k, std::size_t i) const;
    std::vector<JoinMenuItem> root_menu() const;
    JoinAction member_command(std::size_t k, int id);
    JoinAction join_field_command(std::size_t k, std::size_t i, int id);
    JoinAction root_command(int id);

    // OK with the typed name: nullptr when accepted (name stored, first member's kind made INNER), else the
    // message; `bad_member` names the member of a fragmented key.
    const char* save(std::string name, std::size_t& bad_member);

  private:
    model::CConfigTable* find_plain_table(std::string_view name) const;
    const char* fits(std::size_t before, const model::CConfigTable& table) const;
    const model::CConfigField* key_field(std::size_t k, std::size_t i) const;
    // The earlier members' fields that match join field i, as the Join Field submenu lists them.
    struct FieldChoice {
        std::size_t member;
        std::string field;
    };
    std::vector<std::vector<FieldChoice>> field_choices(std::size_t k, std::size_t i) const;
    void rebuild_join_fields(std::size_t k, const model::CTableSet* set);

    const model::CConfigFile& file_;
    model::CConfigTable& join_;
    MemberLoader loader_;
    const model::CConfigTable* original_;
};

// "SET (KEY1, KEY2, KEY3, ...)": the set's name and its first key field names.
std::string set_menu_text(const model::CConfigTable& table, const model::CTableSet& set);

}  // namespace kestra::workspace

#include "workspace/field_popup_model.h"

#include <algorithm>

#include "model/date_formats.h"
#include "model/field_edits.h"

namespace kestra::workspace {

using model::CConfigField;
using model::DateKind;
using model::FieldKind;

namespace {

template <class Pred>
bool all_of(const FieldSelection& selection, Pred pred) {
    return std::all_of(selection.begin(), selection.end(), [&](const CConfigField* f) { return pred(*f); });
}

FieldMenuItem command(int id, std::string text, bool checkable = false, bool checked = false) {
    FieldMenuItem item;
    item.id = id;
    item.text = std::move(text);
    item.checkable = checkable;
    item.checked = checked;
    return item;
}

FieldMenuItem format_submenu(std::string text, std::int32_t kind, int first_id, const CConfigField& current) {
    FieldMenuItem menu;
    menu.text = std::move(text);
    const auto formats = model::date_formats(kind);
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const int index = static_cast<int>(i);
        menu.items.push_back(command(first_id + index, std::string(formats[i]), true,
                                     current.date_kind == kind && current.date_format == index));
    }
    // A submenu always has items; give it a harmless id so it is never taken for a separator.
    menu.id = -1;
    return menu;
}

}  // namespace

std::vector<FieldMenuItem> field_popup_menu(const FieldSelection& selection) {
    std::vector<FieldMenuItem> menu;
    if (selection.empty()) return menu;
    const CConfigField& first = *selection.front();
    const auto group = [&menu] {
        if (!menu.empty()) menu.push_back(FieldMenuItem{});
    };

    if (selection.size() == 1) {
        menu.push_back(command(FieldCommand::rename, "&Rename Field..."));
        menu.push_back(FieldMenuItem{});
        if (first.field_kind == FieldKind::host)
            menu.push_back(command(FieldCommand::hide, "Hide", true, !first.visible));
        else
            menu.push_back(command(FieldCommand::hide, "Delete"));
    }

    const bool no_calculated =
        all_of(selection, [](const CConfigField& f) { return f.field_kind != FieldKind::calculated; });
    const bool same_update =
        all_of(selection, [&](const CConfigField& f) { return f.update_allowed == first.update_allowed; });
    if (no_calculated && same_update) {
        group();
        menu.push_back(command(FieldCommand::update_allowed, "&Update Allowed", true, first.update_allowed));
    }

    if (all_of(selection, [&](const CConfigField& f) { return f.date_kind == first.date_kind; })) {
        // Several fields of one kind may have different formats: only a format they all share is checked.
        const bool same_format =
            all_of(selection, [&](const CConfigField& f) { return f.date_format == first.date_format; });
        CConfigField shown = first;
        if (!same_format) shown.date_format = -1;
        group();
        menu.push_back(
            command(FieldCommand::standard, "Mark as &Standard", true, first.date_kind == DateKind::standard));
        menu.push_back(
            command(FieldCommand::currency, "Mark as &Currency", true, first.date_kind == DateKind::currency));
        menu.push_back(format_submenu("Mark as &Date", DateKind::date, FieldCommand::first_date, shown));
        menu.push_back(format_submenu("Mark as &Time", DateKind::time, FieldCommand::first_time, shown));
        menu.push_back(
            format_submenu("Mark as &Timestam&p", DateKind::timestamp, FieldCommand::first_timestamp, shown));
    }
    return menu;
}

HideButtonState hide_button_state(const FieldSelection& selection) {
    if (selection.empty()) return {"&Hide", false};
    const auto is_host = [](const CConfigField& f) { return f.field_kind == FieldKind::host; };
    if (all_of(selection, [&](const CConfigField& f) { return !is_host(f); })) return {"&Delete", true};
    if (all_of(selection, [&](const CConfigField& f) { return is_host(f) && f.visible; })) return {"&Hide", true};
    if (all_of(selection, [&](const CConfigField& f) { return is_host(f) && !f.visible; })) return {"Un&Hide", true};
    return {"&Hide", false};
}

bool format_for_command(int command_id, std::int32_t& kind, std::int32_t& index) {
    if (command_id == FieldCommand::standard || command_id == FieldCommand::currency) {
        kind = command_id == FieldCommand::standard ? DateKind::standard : DateKind::currency;
        index = 0;
        return true;
    }
    for (const auto& [k, first] :
         {std::pair{DateKind::date, FieldCommand::first_date}, std::pair{DateKind::time, FieldCommand::first_time},
          std::pair{DateKind::timestamp, FieldCommand::first_timestamp}}) {
        const int count = static_cast<int>(model::date_formats(k).size());
        if (command_id >= first && command_id < first + count) {
            kind = k;
            index = command_id - first;
            return true;
        }
    }
    return false;
}

void hide_or_delete_fields(model::CConfigTable& table, const FieldSelection& selection) {
    for (CConfigField* f : selection) {
        if (f->field_kind == FieldKind::host)
            model::set_field_visible(*f, !f->visible);
        else
            model::cut_field(table, *f);
    }
}

void toggle_update_allowed(const FieldSelection& selection) {
    for (CConfigField* f : selection) {
        CConfigField& field = *f;
        field.update_allowed = !field.update_allowed;
        field.bModified = true;
    }
}

void set_field_format(const FieldSelection& selection, std::int32_t kind, std::int32_t index) {
    for (CConfigField* f : selection) {
        CConfigField& field = *f;
        field.date_kind = kind;
        field.date_format = index;
        field.bModified = true;
    }
}

}  // namespace kestra::workspace

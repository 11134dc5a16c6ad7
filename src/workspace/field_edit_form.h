#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/config_field.h"
#include "model/config_table.h"
#include "workspace/form_fields.h"

namespace kestra::workspace {

// The format part shared by Field Edit and User Defined Field: a kind and an index into its catalogue. An index
// the catalogue lacks goes back unchanged while nobody touches the kind or the list.
class FieldFormatChoice {
  public:
    void load(std::int32_t kind, std::int32_t index);
    // Another kind starts at its first format; choosing the kind it has changes nothing.
    void choose_kind(std::int32_t kind);
    // A row of the list; ignored outside the catalogue.
    void choose_format(int row);

    std::int32_t kind() const { return kind_; }
    std::int32_t index() const { return index_; }
    // The list is shown for date, time and timestamp.
    bool list_shown() const;
    // The row to select; -1 when the index lies outside the catalogue.
    int list_row() const;

  private:
    std::int32_t kind_ = 0;
    std::int32_t index_ = 0;
};

// Field Edit, for a field of the host record: name, Hide, Update Allowed and the format.
class FieldEditForm {
  public:
    static constexpr int kName = 1098;

    void load(const model::CConfigField& field);
    // Checks the name against the table; on success stores what changed into `field` with its marks.
    std::optional<FormRefusal> apply(model::CConfigTable& table, model::CConfigField& field);

    std::string name;
    bool hidden = false;
    bool update_allowed = false;
    FieldFormatChoice format;

  private:
    std::string original_name_;
};

// Rename Field: the name alone. An identical name is an OK with no change.
std::optional<FormRefusal> rename_checked(model::CConfigTable& table, model::CConfigField& field, std::string name,
                                          int control);

}  // namespace kestra::workspace

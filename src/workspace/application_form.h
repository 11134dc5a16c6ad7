#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/config_file.h"
#include "model/pc_application.h"
#include "workspace/form_fields.h"
#include "workspace/limits_form.h"

namespace kestra::workspace {

// The Application window's values and its table-list operations. The file's tables are read, never changed.
class ApplicationForm {
  public:
    static constexpr int kName = 1037;
    static constexpr std::size_t kNameTyped = 16;

    struct Accessible {
        std::int32_t table_number = 0;
        bool update_allowed = false;
    };

    std::string name;
    bool update_allowed = false;
    bool override_limits = false;
    LimitsForm limits;
    bool table_list = false;
    std::vector<Accessible> accessible;

    // `app` as fetched from the host; a new application's overrides start from the file's limits.
    void load(const model::CConfigFile& file, const model::CPcApplication& app, bool is_new);
    bool is_new() const { return is_new_; }
    // "Add Application" or "Edit Application".
    std::string title() const;

    // The file's tables, the "Available Tables".
    std::size_t available_count() const;
    std::string available_name(std::size_t index) const;
    bool available_red(std::size_t index) const;

    // An accessible entry's shown name: the file's table with its number, else "<table nnnn>".
    std::string accessible_name(std::size_t index) const;
    // Red when its own flag is set, but only while the application may update.
    bool accessible_red(std::size_t index) const;

    // Copies the available tables at `indexes` that are not yet accessible (names compared ignoring case).
    // Returns how many were added.
    std::size_t copy_available(const std::vector<std::size_t>& indexes);
    void remove_accessible(std::vector<std::size_t> indexes);
    void toggle_update(const std::vector<std::size_t>& indexes);

    // "Edit" needs exactly one accessible table, one of the file that allows updates.
    bool can_edit(const std::vector<std::size_t>& selected) const;

    // The name checks, with the refusal for the name field.
    std::optional<FormRefusal> validate();
    // Only after validate() passed.
    void store(model::CPcApplication& app) const;

  private:
    const model::CConfigTable* file_table(std::int32_t number) const;

    const model::CConfigFile* file_ = nullptr;
    std::string opened_name_;
    bool is_new_ = true;
};

}  // namespace kestra::workspace

#pragma once

#include <optional>
#include <string>

#include "model/bounded_text.h"
#include "model/global_options.h"
#include "workspace/form_fields.h"

namespace kestra::workspace {

// The Global Settings window's values as its fields show them: loaded from a file's global options, checked at OK
// and stored back. Texts are Latin-1 bytes.
class GlobalSettingsForm {
  public:
    // Control ids that take the focus on a refusal.
    static constexpr int kDescription = 1016;
    static constexpr int kUsercode = 1113;
    static constexpr int kPriority = 1013;
    static constexpr int kAppName = 1017;
    static constexpr int kTranslation = 1114;
    static constexpr int kGuardfile = 1123;
    static constexpr int kMonth = 1014;
    static constexpr int kDay = 1015;
    static constexpr int kYear = 1170;

    static constexpr std::size_t kDescriptionMax = 999;
    static constexpr std::size_t kAppNameTyped = 17;
    static constexpr const char* kDefaultUsercode = "<default>";

    std::string description;
    std::string usercode;  // "<default>" for none
    std::string priority;  // empty for 0, else two digits
    std::string app_name;
    std::string translation;
    std::string guardfile;
    std::string month, day, year;  // all empty for no date base
    bool ignore_unique_indices = false;
    bool database_libraries = false;
    bool hide_fields = false;
    CodedChoice program_security{3};  // None, Update Only, Update and Inquiry
    CodedChoice security_type{3};     // Private, Public, Guarded
    CodedChoice security_use{4};      // Secured, In, Out, IO

    void load(const model::CGlobalOptions& options, std::string_view file_description);
    // The first refusal in the order of the fields, or nothing when OK may go ahead.
    std::optional<FormRefusal> validate() const;
    // Only after validate() passed.
    void store(model::CGlobalOptions& options, model::WireText& file_description) const;

    // The usercode to keep: blanks trimmed, and none when the text begins with "<" (the "<default>" placeholder).
    static std::string stored_usercode(std::string_view text);

  private:
    bool date_base_set() const;

    model::CGlobalOptions loaded_;
    std::string loaded_description_;
    std::string loaded_usercode_;
};

}  // namespace kestra::workspace

#pragma once

#include <cstdint>
#include <string>

namespace kestra::app {

// Largest lengths of the program-wide texts, without terminator.
constexpr std::size_t kTraceFileNameMax = 255;
constexpr std::size_t kDateSeparatorMax = 15;
constexpr std::size_t kDatePictureMax = 63;

// The application object: the settings every part of the program consults, read once from kestra.ini.
class CAdminApp {
  public:
    CAdminApp() = default;

    // Reads every setting afresh; an empty path means platform::settings_file_path(). Keys that are missing take
    // their defaults, so a missing file gives the defaults throughout. Announces itself in the program trace when
    // that is on.
    void load_settings(const std::string& ini_path = {});
    // Writes the five preferences the dialogs change to the "admin" section. False when the file cannot be written.
    bool save_preferences() const;

    const std::string& settings_path() const { return settings_path_; }

    // "timeouts"
    std::uint8_t transmit_timeout = 255;
    std::uint8_t receive_timeout = 255;
    // "admin"
    int sort_datasets = 0;
    int confirm_config_delete = 1;
    int auto_save_config = 0;
    int new_table_from_cobol = 0;
    int default_table_type = 0;
    int allow_downloads = 0;
    // "odbc"
    int non_host_msg_error = 0;
    // Nesting depth of the wait cursor.
    int wait_count = 0;

    // Program and script trace: the flags and file names do not change once read.
    bool program_trace = false;
    std::string program_trace_file = "admin.txt";
    bool script_trace = false;
    std::string script_trace_file = "admin.txt";

    // Date pictures of the "intl" section.
    std::string date_separator = "/";
    std::string short_date_picture = "M/d/yy";
    std::string long_date_picture = "dddd, mmmm dd, yyyy";

  private:
    std::string settings_path_;
};

// The program's one application object.
CAdminApp& admin_app();

}  // namespace kestra::app

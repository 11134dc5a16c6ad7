#include "app/admin_app.h"

#include <cstdio>

#include "app/trace.h"
#include "platform/profile_file.h"

namespace kestra::app {

namespace {

std::string read_text(const platform::ProfileFile& ini, const char* section, const char* key, const char* dflt,
                      std::size_t max) {
    std::string value = ini.get_string(section, key, dflt);
    if (value.size() > max) value.resize(max);
    return value;
}

}  // namespace

void CAdminApp::load_settings(const std::string& ini_path) {
    settings_path_ = ini_path.empty() ? platform::settings_file_path() : ini_path;
    platform::ProfileFile ini(settings_path_);
    // An unreadable file behaves as an absent one: every key takes its default.
    ini.load();

    date_separator = read_text(ini, "intl", "sDate", "/", kDateSeparatorMax);
    short_date_picture = read_text(ini, "intl", "sShortDate", "M/d/yy", kDatePictureMax);
    long_date_picture = read_text(ini, "intl", "sLongDate", "dddd, mmmm dd, yyyy", kDatePictureMax);

    program_trace = ini.get_int("admin", "trace", 0) != 0;
    program_trace_file = read_text(ini, "admin", "tracefile", "admin.txt", kTraceFileNameMax);
    script_trace = ini.get_int("script", "trace", 0) != 0;
    script_trace_file = read_text(ini, "script", "tracefile", "admin.txt", kTraceFileNameMax);

    // Time-outs are handed to the provider in 8 bits.
    transmit_timeout = static_cast<std::uint8_t>(static_cast<unsigned>(ini.get_int("timeouts", "xmt", 255)) & 0xFFu);
    receive_timeout = static_cast<std::uint8_t>(static_cast<unsigned>(ini.get_int("timeouts", "rcv", 255)) & 0xFFu);

    confirm_config_delete = ini.get_int("admin", "confirm config delete", 1);
    auto_save_config = ini.get_int("admin", "auto save config", 0);
    new_table_from_cobol = ini.get_int("admin", "new table from cobol", 0);
    default_table_type = ini.get_int("admin", "default table type", 0);
    sort_datasets = ini.get_int("admin", "sort datasets", 0);
    allow_downloads = ini.get_int("admin", "allow downloads", 0);
    non_host_msg_error = ini.get_int("odbc", "nonhostmsgerr", 0);

    if (program_trace) write_trace("i'm tracing");
}

bool CAdminApp::save_preferences() const {
    const std::string path = settings_path_.empty() ? platform::settings_file_path() : settings_path_;
    platform::ProfileFile ini(path);
    // Never rewrite a file we could not read: that would lose every other section.
    if (!ini.load()) return false;
    const auto put = [&ini](const char* key, int value) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        ini.set("admin", key, text);
    };
    put("confirm config delete", confirm_config_delete);
    put("auto save config", auto_save_config);
    put("new table from cobol", new_table_from_cobol);
    put("default table type", default_table_type);
    put("sort datasets", sort_datasets);
    return ini.save();
}

CAdminApp& admin_app() {
    static CAdminApp app;
    return app;
}

}  // namespace kestra::app

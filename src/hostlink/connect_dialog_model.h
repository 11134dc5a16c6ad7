#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "corvel/provider_abi.h"

namespace kestra::hostlink {

class CHostSession;

// The logic of the "Connect" dialog: the provider and connection lists, the saved keys and the checks of OK.
// The window only shows what this holds.
class ConnectDialogModel {
public:
    enum class Focus { None, UserId, Password, Provider };
    struct OkResult {
        bool accepted = false;
        bool beep = false;
        Focus focus = Focus::None;
    };

    ConnectDialogModel(CHostSession& session, std::string ini_path);
    ~ConnectDialogModel();
    ConnectDialogModel(const ConnectDialogModel&) = delete;
    ConnectDialogModel& operator=(const ConnectDialogModel&) = delete;

    // Reads the provider names and the saved keys, selects the saved provider (the first when it is unknown) and
    // loads its connection names. Focus goes to the password when a user id was saved.
    void open();

    const std::vector<std::string>& providers() const { return providers_; }
    int selected_provider() const { return selected_provider_; }
    // Selecting another provider reloads the connection names.
    void select_provider(int index);

    const std::vector<std::string>& connection_names() const { return connection_names_; }
    // Index in connection_names() of the session's connection name, or -1.
    int selected_connection() const { return selected_connection_; }
    void select_connection(int index) { selected_connection_ = index; }
    // False whenever no provider is held: before one is bound, after its initialize failed, after OK or Cancel.
    bool configure_enabled() const { return held_provider_ >= 0 && configure_enabled_; }
    // Runs the provider's configuration; a non-zero result reloads the connection names.
    std::int16_t configure(void* owner);

    Focus initial_focus() const { return initial_focus_; }

    // Typed values; each is limited to 18 characters.
    std::string user_id;
    std::string password;
    std::string chargecode;

    // Checks, sets the session's provider and connection names, saves the keys (never the password) and releases
    // the held provider. A refused OK keeps the provider held and says where the focus goes.
    OkResult ok();
    void cancel();
    // The password as the dialog hands it to host_login.
    const std::string& scrambled_password() const { return scrambled_password_; }

private:
    void release_held();
    void load_connection_names(bool bind);

    CHostSession& session_;
    std::string ini_path_;
    std::vector<std::string> providers_;
    int selected_provider_ = -1;
    int held_provider_ = -1;
    ProviderEntryTable held_entries_{};
    std::vector<std::string> connection_names_;
    int selected_connection_ = -1;
    bool configure_enabled_ = false;
    Focus initial_focus_ = Focus::UserId;
    std::string scrambled_password_;
};

}  // namespace kestra::hostlink

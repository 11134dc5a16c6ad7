#include "hostlink/connect_dialog_model.h"

#include <cstring>

#include "app/wait_cursor.h"
#include "corvel/corvel.h"
#include "hostlink/host_session.h"
#include "hostlink/password_scramble.h"
#include "platform/profile_file.h"

namespace kestra::hostlink {

namespace {

constexpr std::size_t kNamesBuffer = 512;
constexpr std::size_t kMaxConnectionNames = 16;
constexpr std::size_t kMaxProviders = 8;

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// Zero-ended names, the list ended by an empty name; never read past the buffer even if the terminator is missing.
std::vector<std::string> parse_names(const char* buffer, std::size_t size, std::size_t max_names) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < size && names.size() < max_names) {
        const void* zero = std::memchr(buffer + at, '\0', size - at);
        std::size_t end = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer) : size;
        if (end == at) break;
        names.emplace_back(buffer + at, end - at);
        at = end + 1;
    }
    return names;
}

}  // namespace

ConnectDialogModel::ConnectDialogModel(CHostSession& session, std::string ini_path)
    : session_(session), ini_path_(std::move(ini_path)) {}

ConnectDialogModel::~ConnectDialogModel() { release_held(); }

void ConnectDialogModel::open() {
    char buffer[CORVEL_LIST_BUFFER] = {};
    corvel_list_providers(buffer);
    providers_ = parse_names(buffer, sizeof buffer, kMaxProviders);

    platform::ProfileFile ini(ini_path_);
    ini.load();
    session_.set_provider_name(ini.get_string("admin", "provider", ""));
    session_.set_connection_name(ini.get_string("admin", "connection", ""));
    user_id = ini.get_string("admin", "UID", "").substr(0, kLoginFieldMax);
    chargecode = ini.get_string("admin", "chargecode", "").substr(0, kLoginFieldMax);
    initial_focus_ = user_id.empty() ? Focus::UserId : Focus::Password;

    int index = corvel_find_provider(session_.provider_name().c_str());
    if (index < 0 || static_cast<std::size_t>(index) >= providers_.size()) index = providers_.empty() ? -1 : 0;
    selected_provider_ = index;
    load_connection_names(true);
}

void ConnectDialogModel::select_provider(int index) {
    if (index == selected_provider_) return;
    selected_provider_ = index;
    load_connection_names(true);
}

void ConnectDialogModel::release_held() {
    if (held_provider_ >= 0) corvel_release_provider(held_provider_);
    held_provider_ = -1;
    configure_enabled_ = false;
    held_entries_ = ProviderEntryTable{};
}

void ConnectDialogModel::load_connection_names(bool bind) {
    connection_names_.clear();
    selected_connection_ = -1;
    if (bind) {
        release_held();
        configure_enabled_ = false;
        if (selected_provider_ < 0) return;
        ProviderEntryTable entries{};
        if (corvel_get_entry_points(selected_provider_, &entries) != 0) return;
        held_entries_ = entries;
        held_provider_ = selected_provider_;
        configure_enabled_ = held_entries_.configure != nullptr;
    }
    if (held_provider_ < 0) return;
    if (held_entries_.initialize == nullptr || held_entries_.initialize() != 0) {
        if (held_entries_.shutdown != nullptr) held_entries_.shutdown();
        release_held();
        return;
    }
    char names[kNamesBuffer] = {};
    if (held_entries_.get_connection_names != nullptr &&
        held_entries_.get_connection_names(names, static_cast<std::uint16_t>(sizeof names)) == 0)
        connection_names_ = parse_names(names, sizeof names, kMaxConnectionNames);
    if (held_entries_.shutdown != nullptr) held_entries_.shutdown();
    for (std::size_t i = 0; i < connection_names_.size(); ++i)
        if (connection_names_[i] == session_.connection_name()) selected_connection_ = static_cast<int>(i);
}

std::int16_t ConnectDialogModel::configure(void* owner) {
    if (held_provider_ < 0 || held_entries_.configure == nullptr) return 0;
    std::int16_t result = held_entries_.configure(owner);
    if (result != 0) load_connection_names(false);
    return result;
}

ConnectDialogModel::OkResult ConnectDialogModel::ok() {
    app::WaitCursor wait;  // ended on every way out
    OkResult result;
    if (user_id.empty() || blank(user_id)) {
        result.beep = true;
        result.focus = Focus::UserId;
        return result;
    }
    if (password.empty() || blank(password)) {
        result.beep = true;
        result.focus = Focus::Password;
        return result;
    }
    scrambled_password_ = scramble_password(password.substr(0, kLoginFieldMax));
    if (selected_provider_ < 0) {
        result.beep = true;
        result.focus = Focus::Provider;
        return result;
    }
    session_.set_provider_name(corvel_provider_name(selected_provider_));
    session_.set_connection_name(
        selected_connection_ >= 0 && static_cast<std::size_t>(selected_connection_) < connection_names_.size()
            ? connection_names_[static_cast<std::size_t>(selected_connection_)]
            : std::string());

    platform::ProfileFile ini(ini_path_);
    if (ini.load()) {
        auto put = [&](const char* key, const std::string& value) {
            if (value.empty())
                ini.remove_key("admin", key);
            else
                ini.set("admin", key, value);
        };
        put("provider", session_.provider_name());
        put("connection", session_.connection_name());
        put("UID", user_id.substr(0, kLoginFieldMax));
        put("chargecode", chargecode.substr(0, kLoginFieldMax));
        ini.save();
    }
    release_held();
    result.accepted = true;
    return result;
}

void ConnectDialogModel::cancel() { release_held(); }

}  // namespace kestra::hostlink

#include <algorithm>

#include "corvel/corvel.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::hostlink {

namespace {
constexpr std::size_t kProviderNameMax = 15;
constexpr std::size_t kConnectionNameMax = 31;
// Below this a message cannot carry a login; above 9999 the header's length field has no room.
constexpr std::uint16_t kSmallestMessage = 128;
constexpr std::uint16_t kLargestMessage = 9999;
}  // namespace

void CHostSession::set_provider_name(std::string name) {
    if (name.size() > kProviderNameMax) name.resize(kProviderNameMax);
    provider_name_ = std::move(name);
}

void CHostSession::set_connection_name(std::string name) {
    if (name.size() > kConnectionNameMax) name.resize(kConnectionNameMax);
    connection_name_ = std::move(name);
}

std::int16_t CHostSession::connect_host(const std::string& user_id, const std::string& password,
                                        const std::string& provider_name, const std::string& connection_name) {
    set_provider_name(provider_name);
    set_connection_name(connection_name);
    const int index = corvel_find_provider(provider_name_.c_str());
    if (index < 0) {
        post_errorf(kSqlConnectFailure, "Invalid communications provider: %s", provider_name_.c_str());
        return kError;
    }
    ProviderEntryTable entries{};
    if (corvel_get_entry_points(index, &entries) != 0) {
        post_error(kSqlConnectFailure, nullptr);
        return kError;
    }
    provider_index_ = index;
    provider_ = entries;
    auto unbind = [this] {
        if (provider_.shutdown != nullptr) provider_.shutdown();
        corvel_release_provider(provider_index_);
        provider_index_ = -1;
        provider_ = ProviderEntryTable{};
    };
    if (provider_.initialize == nullptr || provider_.open_connection == nullptr ||
        provider_.transmit_buffer == nullptr || provider_.get_received_buffer == nullptr ||
        provider_.initialize() != 0) {
        post_error(kSqlConnectFailure, nullptr);
        corvel_release_provider(provider_index_);
        provider_index_ = -1;
        provider_ = ProviderEntryTable{};
        return kError;
    }
    connection_ = 0;
    if (provider_.open_connection(&connection_, connection_name_.c_str(), 0) != 0) {
        // A provider that failed may still have written a number; it names no open connection.
        connection_ = 0;
        post_error(kSqlConnectFailure, nullptr);
        unbind();
        return kError;
    }
    auto close_and_unbind = [&] {
        if (provider_.close_connection != nullptr) provider_.close_connection(connection_);
        connection_ = 0;
        unbind();
    };
    station_ = 0;
    ConnectionInfo info{};
    if (provider_.get_connection_info == nullptr || provider_.get_connection_info(connection_, &info) != 0 ||
        std::min(info.max_send, info.max_receive) < kSmallestMessage) {
        post_error(kSqlConnectFailure, nullptr);
        close_and_unbind();
        return kError;
    }
    set_message_size(std::min<std::uint16_t>({info.max_send, info.max_receive, kLargestMessage}));
    if (run_connect_script(user_id, password, provider_name_, connection_name_) != 0) {
        script_file_.reset();
        close_and_unbind();
        return kError;
    }
    return kSuccess;
}

std::int16_t CHostSession::disconnect_host() {
    if (connection_ > 0) {
        run_disconnect_script();
        if (provider_.close_connection != nullptr) provider_.close_connection(connection_);
        connection_ = 0;
    }
    script_file_.reset();
    if (provider_index_ >= 0) {
        if (provider_.shutdown != nullptr) provider_.shutdown();
        corvel_release_provider(provider_index_);
    }
    provider_index_ = -1;
    provider_ = ProviderEntryTable{};
    logged_in_ = false;
    free_host_msg_buffer();
    return kSuccess;
}

}  // namespace kestra::hostlink

#include "configsvc/catalogue_requests.h"

#include <algorithm>

#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "model/bounded_text.h"

namespace kestra::configsvc {

namespace {

constexpr std::uint16_t kDatabaseListCode = 3;
constexpr std::uint16_t kDatasetListCode = 4;
constexpr std::uint16_t kDescfileListCode = 12;
constexpr std::uint8_t kWaitWithoutLimit = 255;

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string upper_copy(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upper(c);
    return out;
}

int compare_ignore_case(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = upper(a[i]);
        const char y = upper(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The raw texts of requests 3 and 4 carry no length of their own, but the host still reads them into fields that
// the wire bounds; a longer one is refused before anything is sent.
bool text_fits_wire(CConfigClient& client, std::string_view text, const char* failure) {
    if (text.size() <= model::kMaxWireText) return true;
    client.refuse(failure);
    return false;
}

// Puts the session's receive time-out back however the dataset request ends. A time-out met on the way has
// shortened it for the rest of the session; that shorter value is kept.
class ReceiveTimeoutLift {
public:
    explicit ReceiveTimeoutLift(hostlink::CHostSession& session)
        : session_(session), saved_(session.receive_timeout()) {
        session_.set_timeouts(session_.transmit_timeout(), kWaitWithoutLimit);
    }
    ReceiveTimeoutLift(const ReceiveTimeoutLift&) = delete;
    ReceiveTimeoutLift& operator=(const ReceiveTimeoutLift&) = delete;
    ~ReceiveTimeoutLift() {
        std::uint8_t restored = saved_;
        if (session_.receive_timeout() != kWaitWithoutLimit)
            restored = std::min(saved_, session_.receive_timeout());
        session_.set_timeouts(session_.transmit_timeout(), restored);
    }

private:
    hostlink::CHostSession& session_;
    std::uint8_t saved_;
};

}  // namespace

const char* descfile_name_problem(std::string_view name) {
    const std::string body = upper_copy(name) + ".";
    if (body.front() == '.') return kNoDescfileName;
    std::size_t from = std::string::npos;
    if (body.front() == '(') {
        const std::size_t close = body.find(')', 1);
        if (close != std::string::npos) from = close + 1;
    } else if (body.front() == '*') {
        from = 1;
    }
    if (from == std::string::npos || body.find(" ON ", from) == std::string::npos) return kDescfileNameRule;
    return nullptr;
}

std::int16_t get_descfile_list(CConfigClient& client, std::vector<std::string>& names) {
    names.clear();
    BodyWriter body = client.body();
    body.stop();
    ReplyReader reply;
    const std::int16_t rc = client.request(kDescfileListCode, body, Upper::yes, kDescfileListFailure, reply,
                                           kDatabaseListReceiveError);
    if (rc != hostlink::kSuccess) return rc;
    ListReader list(client, reply, 4, kDatabaseListReceiveError);
    while (list.next()) {
        std::string name;
        if (!list.reply().text(name)) {
            list.fail_entry();
            break;
        }
        names.push_back(std::move(name));
    }
    client.done();
    return list.failed() ? hostlink::kError : hostlink::kSuccess;
}

std::int16_t get_descfile_databases(CConfigClient& client, std::string_view descfile_name, DatabaseList& databases) {
    if (const char* problem = descfile_name_problem(descfile_name)) {
        client.refuse(problem);
        return hostlink::kError;
    }
    if (!text_fits_wire(client, descfile_name, kDatabaseListFailure)) return hostlink::kError;
    databases.clear();
    BodyWriter body = client.body();
    body.raw(descfile_name);
    body.stop();
    ReplyReader reply;
    const std::int16_t rc = client.request(kDatabaseListCode, body, Upper::yes, kDatabaseListFailure, reply,
                                           kDatabaseListReceiveError);
    if (rc != hostlink::kSuccess) return rc;
    ListReader list(client, reply, 4, kDatabaseListReceiveError);
    while (list.next()) {
        std::string name;
        if (!list.reply().text(name)) {
            list.fail_entry();
            break;
        }
        auto entry = std::make_unique<model::CDescDatabaseEntry>();
        entry->database_name.assign(name);
        databases.push_back(std::move(entry));
    }
    client.done();
    return list.failed() ? hostlink::kError : hostlink::kSuccess;
}

std::int16_t get_descfile_datasets(CConfigClient& client, std::string_view descfile_name,
                                   model::CDescDatabaseEntry& database) {
    if (!text_fits_wire(client, descfile_name, kDatasetListFailure)) return hostlink::kError;
    database.datasets.clear();
    database.datasets_held = false;
    BodyWriter body = client.body();
    body.raw(descfile_name);
    body.stop();
    body.raw(database.database_name.view());
    body.stop();

    ReceiveTimeoutLift lift(client.session());
    ReplyReader reply;
    const std::int16_t rc = client.request(kDatasetListCode, body, Upper::yes, kDatasetListFailure, reply,
                                           kDatasetListReceiveError);
    if (rc != hostlink::kSuccess) return rc;
    ListReader list(client, reply, 5, kDatasetListReceiveError);
    // A set belongs to the last dataset listed before it; one listed before any dataset has no base.
    std::string base;
    while (list.next()) {
        std::string name;
        const bool named = list.reply().text(name);
        const std::uint32_t type = list.reply().number(1);
        if (!named || list.reply().failed()) {
            list.fail_entry();
            break;
        }
        auto entry = std::make_unique<model::CDescDatasetEntry>();
        entry->name.assign(name);
        entry->dataset_type = static_cast<std::uint8_t>(type);
        if (type == 0) base = name;
        entry->base_dataset.assign(base);
        database.datasets.push_back(std::move(entry));
    }
    client.done();
    if (list.failed()) return hostlink::kError;
    database.datasets_held = true;
    return hostlink::kSuccess;
}

bool dataset_order_less(const model::CDescDatasetEntry& a, const model::CDescDatasetEntry& b) {
    const int base = compare_ignore_case(a.base_dataset.view(), b.base_dataset.view());
    if (base != 0) return base < 0;
    if (a.is_set() != b.is_set()) return !a.is_set();
    if (!a.is_set()) return false;
    return compare_ignore_case(a.name.view(), b.name.view()) < 0;
}

void sort_datasets(DatasetList& datasets) {
    std::stable_sort(datasets.begin(), datasets.end(),
                     [](const auto& a, const auto& b) { return dataset_order_less(*a, *b); });
}

}  // namespace kestra::configsvc

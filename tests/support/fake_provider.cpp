#include "support/fake_provider.h"

#include <cstdio>
#include <cstring>

namespace kestra::testing {

namespace {

FakeProvider& fp() {
    return FakeProvider::instance();
}

int16_t fake_initialize() {
    ++fp().initialize_calls;
    return fp().initialize_result;
}

int16_t fake_shutdown() {
    ++fp().shutdown_calls;
    return 0;
}

int16_t fake_open_connection(uint8_t* connection, const char* name, int32_t) {
    fp().opened_names.emplace_back(name != nullptr ? name : "");
    if (fp().open_result != 0) return fp().open_result;
    if (connection != nullptr) *connection = fp().open_connection_number;
    return 0;
}

int16_t fake_close_connection(uint8_t) {
    ++fp().close_calls;
    return 0;
}

int16_t fake_get_connection_info(uint8_t, ConnectionInfo* info) {
    if (fp().info_result != 0) return fp().info_result;
    if (info != nullptr) *info = fp().info;
    return 0;
}

int16_t fake_get_connection_status(uint8_t, int32_t) {
    return 0;
}

int16_t fake_transmit_buffer(uint8_t, const char* data, uint16_t length, uint8_t timeout) {
    FakeProvider& p = fp();
    std::string sent(data, length);
    p.transmitted.push_back(sent);
    p.transmit_timeouts.push_back(timeout);
    if (p.transmit_result != 0) return p.transmit_result;
    if (p.responder)
        for (auto& reply : p.responder(sent)) p.queue_received(std::move(reply));
    return 0;
}

int16_t fake_get_received_buffer(uint8_t, char** data, uint16_t* length, uint8_t timeout) {
    FakeProvider& p = fp();
    ++p.get_received_calls;
    p.receive_timeouts.push_back(timeout);
    if (p.receives.empty()) return 99;
    FakeProvider::Receive next = std::move(p.receives.front());
    p.receives.pop_front();
    if (next.result != 0) return next.result;
    if (p.held) --p.buffers_outstanding;
    // Exactly the delivered bytes and no terminator; an empty message still gets a distinct block.
    p.held = std::make_unique<char[]>(next.data.empty() ? 1 : next.data.size());
    std::memcpy(p.held.get(), next.data.data(), next.data.size());
    ++p.buffers_outstanding;
    *data = p.held.get();
    *length = static_cast<uint16_t>(next.data.size());
    return 0;
}

int16_t fake_put_into_receive(uint8_t) {
    FakeProvider& p = fp();
    ++p.put_into_receive_calls;
    if (p.held) {
        p.held.reset();
        --p.buffers_outstanding;
    }
    return 0;
}

int16_t fake_get_error_message(int32_t code, char* text) {
    if (text != nullptr) std::snprintf(text, 64, "fake provider error %d", static_cast<int>(code));
    return 0;
}

int16_t fake_configure_connection(void*) {
    return 0;
}

int16_t fake_get_connection_names(char* buffer, uint16_t size) {
    const std::string& names = fp().connection_names;
    if (buffer == nullptr || size == 0) return -1;
    const std::size_t n = names.size() < size - 1u ? names.size() : size - 1u;
    std::memcpy(buffer, names.data(), n);
    buffer[n] = '\0';
    return 0;
}

int16_t fake_get_connection_name(uint8_t, char* name, uint16_t size) {
    if (name == nullptr || size == 0) return -1;
    std::snprintf(name, size, "%s", fp().opened_names.empty() ? "" : fp().opened_names.back().c_str());
    return 0;
}

int16_t fake_configure(void*) {
    return 0;
}

}  // namespace

FakeProvider& FakeProvider::instance() {
    static FakeProvider provider;
    return provider;
}

void FakeProvider::reset() {
    FakeProvider& self = *this;
    self.held.reset();
    self.responder = nullptr;
    self.transmit_result = 0;
    self.open_result = 0;
    self.open_connection_number = 1;
    self.info_result = 0;
    self.info = ConnectionInfo{1920, 1920, 0};
    self.initialize_result = 0;
    self.connection_names.clear();
    self.receives.clear();
    self.transmitted.clear();
    self.transmit_timeouts.clear();
    self.receive_timeouts.clear();
    self.opened_names.clear();
    self.initialize_calls = 0;
    self.shutdown_calls = 0;
    self.close_calls = 0;
    self.get_received_calls = 0;
    self.put_into_receive_calls = 0;
    self.buffers_outstanding = 0;
    self.host_sequence_ = '0';
}

ProviderEntryTable FakeProvider::table() const {
    ProviderEntryTable t{};
    t.initialize = fake_initialize;
    t.shutdown = fake_shutdown;
    t.open_connection = fake_open_connection;
    t.close_connection = fake_close_connection;
    t.get_connection_info = fake_get_connection_info;
    t.get_connection_status = fake_get_connection_status;
    t.transmit_buffer = fake_transmit_buffer;
    t.get_received_buffer = fake_get_received_buffer;
    t.put_into_receive = fake_put_into_receive;
    t.put_into_local = fake_put_into_receive;
    t.get_error_message = fake_get_error_message;
    t.configure_connection = fake_configure_connection;
    t.get_connection_names = fake_get_connection_names;
    t.get_connection_name = fake_get_connection_name;
    t.configure = fake_configure;
    return t;
}

std::string FakeProvider::host_message(char sequence, int kind, int code, std::string_view data) {
    char header[64];
    std::snprintf(header, sizeof header, "#@!%c00%1d%03d%04zu", sequence, kind % 10, code % 1000, data.size() % 10000);
    std::string msg(header, 14);
    msg.append(data);
    return msg;
}

std::string FakeProvider::next_host_message(int kind, int code, std::string_view data) {
    const char sequence = host_sequence_;
    host_sequence_ = host_sequence_ == '9' ? '0' : static_cast<char>(host_sequence_ + 1);
    return host_message(sequence, kind, code, data);
}

}  // namespace kestra::testing

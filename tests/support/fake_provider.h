#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "corvel/provider_abi.h"

namespace kestra::testing {

// An in-memory comms provider. Its entry points are plain functions over one shared instance, as a real
// provider's exports are; reset() between tests. Received buffers are handed out in exactly-sized heap blocks
// without terminator and freed on put_into_receive, so the sanitizers catch reads past the delivered bytes or
// after the release.
class FakeProvider {
  public:
    struct Receive {
        std::int16_t result = 0;
        std::string data;
    };

    static FakeProvider& instance();
    void reset();

    // An entry table with all 15 entries filled.
    ProviderEntryTable table() const;

    // Canned results of get_received_buffer, taken in order; an empty queue answers 99 (time-out).
    void queue_received(std::string data) { receives.push_back({0, std::move(data)}); }
    void queue_receive_result(std::int16_t result) { receives.push_back({result, {}}); }
    // Called with each transmitted buffer; whatever it returns is queued for receiving. Lets a test play a host
    // that answers each request as it comes.
    std::function<std::vector<std::string>(std::string_view sent)> responder;

    // A whole host message: "#@!", sequence, station "00", kind, code, the data length and the data.
    static std::string host_message(char sequence, int kind, int code, std::string_view data);
    // The same with the next sequence character of the fake host ("0" to "9", wrapping).
    std::string next_host_message(int kind, int code, std::string_view data);

    // Programmable results.
    std::int16_t transmit_result = 0;
    std::int16_t open_result = 0;
    std::uint8_t open_connection_number = 1;
    std::int16_t info_result = 0;
    ConnectionInfo info{1920, 1920, 0};
    std::int16_t initialize_result = 0;
    std::string connection_names;  // for get_connection_names: names separated by NULs

    // What happened.
    std::deque<Receive> receives;
    std::vector<std::string> transmitted;
    std::vector<std::uint8_t> transmit_timeouts;
    std::vector<std::uint8_t> receive_timeouts;
    std::vector<std::string> opened_names;
    int initialize_calls = 0;
    int shutdown_calls = 0;
    int close_calls = 0;
    int get_received_calls = 0;
    int put_into_receive_calls = 0;
    int buffers_outstanding = 0;  // handed out and not yet returned

    // The buffer handed out last, until it is returned.
    std::unique_ptr<char[]> held;

  private:
    char host_sequence_ = '0';
};

inline FakeProvider& fake_provider() {
    return FakeProvider::instance();
}

}  // namespace kestra::testing

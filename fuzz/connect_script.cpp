// The connect script as a user writes it, run against a line that answers with the input's texts: every section
// must end (at the end of the file or of the texts), every received buffer go back, and nothing be sent beyond
// the message size.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/admin_app.h"
#include "fuzz_temp_file.h"
#include "hostlink/host_session.h"
#include "memory_provider.h"

namespace hl = kestra::hostlink;
using kestra::fuzz::MemoryProvider;

namespace {

constexpr char kSeparator = '\x1e';

// A kestra.ini naming the scratch script file, written once per process.
struct Settings {
    std::string path;
    explicit Settings(const std::string& script_path) {
        std::string pattern = "/tmp/kestra-fuzz-ini-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) return;
        ::close(fd);
        std::FILE* f = std::fopen(pattern.c_str(), "wb");
        if (f == nullptr) return;
        std::fprintf(f, "[script]\nTavlink_FUZZ_scriptfile=%s\n", script_path.c_str());
        std::fclose(f);
        path = pattern;
    }
    ~Settings() {
        if (!path.empty()) ::unlink(path.c_str());
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t size_byte = data[0];
    const std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t script_end = in.find(kSeparator);
    const std::string_view script = in.substr(0, script_end);
    const std::string path =
        kestra::fuzz::write_temp_file(reinterpret_cast<const std::uint8_t*>(script.data()), script.size());
    if (path.empty()) return 0;
    static const Settings settings(path);
    if (settings.path.empty()) return 0;

    MemoryProvider& provider = MemoryProvider::instance();
    provider.reset();
    if (script_end != std::string_view::npos) {
        for (std::size_t pos = script_end + 1; pos <= in.size() && provider.receives.size() < 64;) {
            const std::size_t sep = in.find(kSeparator, pos);
            provider.receives.emplace_back(in.substr(pos, sep == std::string_view::npos ? std::string_view::npos
                                                                                         : sep - pos));
            if (sep == std::string_view::npos) break;
            pos = sep + 1;
        }
    }

    kestra::app::admin_app() = kestra::app::CAdminApp();
    kestra::app::admin_app().load_settings(settings.path);
    const std::uint16_t message_size = static_cast<std::uint16_t>(16 + size_byte * 8);
    {
        hl::CHostSession session;
        session.set_provider(provider.table());
        session.set_connection(1);
        session.set_message_size(message_size);
        (void)session.run_connect_script("ADMIN", "SECRET", "Tavlink", "FUZZ");
        (void)session.run_disconnect_script();
        if (provider.outstanding != 0) std::abort();
    }
    if (provider.transmitted > in.size() * 8 + static_cast<std::size_t>(message_size) * 64) std::abort();
    provider.reset();
    return 0;
}

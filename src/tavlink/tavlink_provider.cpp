#include "tavlink/tavlink_provider.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile_file.h"
#include "tavlink/frame.h"
#include "tavlink/path_settings.h"
#include "tavlink/setup_library.h"
#include "tavlink/trace_writer.h"
#include "tavlink/translate_table.h"

namespace kestra::tavlink {

namespace {

struct ConnectionEntry {
    bool in_use = false;
    // Set when the stream lost its framing (peer gone, partial frame); every later transfer fails at once.
    bool broken = false;
    int socket = -1;
    std::uint32_t buffer_size = 0;
    std::unique_ptr<char[]> buffer;       // received frames, handed out in place
    std::unique_ptr<char[]> send_buffer;  // outgoing frames, so a send never spoils data handed out
    TranslateTables tables{};
};

struct State {
    TraceWriter trace;
    std::uint16_t global_port = kDefaultPort;
    int init_count = 0;
    bool sockets_started = false;
    std::vector<PathEntry> paths;
    std::array<ConnectionEntry, kMaxConnections> slots;
    std::mutex count_lock;
    std::mutex connection_lock;
};

State& state() {
    static State s;
    return s;
}

bool valid_number(std::uint8_t connection) { return connection >= 1 && connection <= kMaxConnections; }

ConnectionEntry* live_slot(std::uint8_t connection) {
    if (!valid_number(connection)) return nullptr;
    ConnectionEntry& slot = state().slots[connection - 1u];
    return slot.in_use ? &slot : nullptr;
}

// Frees a slot's socket and buffers; caller holds the connection lock.
void free_slot(ConnectionEntry& slot, bool traced) {
    State& s = state();
    if (traced) s.trace.tracef("Closing session");
    if (slot.socket >= 0) {
        if (traced) s.trace.tracef("Close socket");
        ::close(slot.socket);
        slot.socket = -1;
    }
    slot.buffer.reset();
    slot.send_buffer.reset();
    if (traced) s.trace.tracef("close_connection returned");
    slot.in_use = false;
    slot.broken = false;
    slot.buffer_size = 0;
}

// Receives exactly n bytes. 0 on success; otherwise the socket error, or 0 with `closed` set when the peer
// closed the connection.
using Clock = std::chrono::steady_clock;

// Waits until the socket is readable or the deadline has passed; no deadline waits in the read itself. Returns 0
// when there is something to read, ETIMEDOUT at the deadline, else the wait's error.
int wait_readable(int fd, const std::optional<Clock::time_point>& deadline) {
    if (!deadline) return 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
        if (left <= 0) return ETIMEDOUT;
        pollfd p{};
        p.fd = fd;
        p.events = POLLIN;
        const int wait_ms = left > 60000 ? 60000 : static_cast<int>(left);
        const int ready = ::poll(&p, 1, wait_ms);
        if (ready > 0) return 0;
        if (ready < 0 && errno != EINTR) return errno == 0 ? EIO : errno;
    }
}

// Reads exactly n bytes. With a deadline, bytes that have not all come by then make ETIMEDOUT: a host that stops
// in the middle of a frame must not hold the caller for ever.
int receive_exact(int fd, char* out, std::size_t n, bool& closed,
                  const std::optional<Clock::time_point>& deadline = std::nullopt) {
    State& s = state();
    closed = false;
    std::size_t got = 0;
    while (got < n) {
        if (const int waited = wait_readable(fd, deadline); waited != 0) {
            if (waited == ETIMEDOUT)
                s.trace.tracef("frame incomplete at the time-out: %zu of %zu bytes", got, n);
            else
                s.trace.tracef("error on wait err=%d", waited);
            return waited;
        }
        ssize_t r = ::recv(fd, out + got, n - got, 0);
        if (r < 0 && errno == EINTR) continue;
        s.trace.tracef("recv len=%d", static_cast<int>(r));
        if (r < 0) {
            int err = errno;
            s.trace.tracef("error on recv ret=%d err=%d", static_cast<int>(r), err);
            return err == 0 ? EIO : err;
        }
        if (r == 0) {
            closed = true;
            s.trace.tracef("connection closed by peer after %zu of %zu bytes", got, n);
            return 0;
        }
        got += static_cast<std::size_t>(r);
    }
    return 0;
}

}  // namespace

void load_library_settings() {
    State& s = state();
    std::string ini = platform::settings_file_path();
    bool on = platform::get_private_profile_int("tcpip", "trace", 0, ini) != 0;
    std::vector<char> file(256);
    platform::get_private_profile_string("tcpip", "tracefile", "trace.txt", file.data(), file.size(), ini);
    s.trace.configure(on, std::string(file.data()));
    s.global_port = read_global_port(ini);
    s.trace.tracef("Global Port %d", s.global_port);
}

std::int16_t initialize() {
    State& s = state();
    s.trace.tracef("In Initialize");
    std::lock_guard<std::mutex> count_guard(s.count_lock);
    if (++s.init_count > 1) return 0;
    s.trace.tracef_raw("start_winsock winsock_init=%d", s.sockets_started ? 1 : 0);
    if (!s.sockets_started) {
        // Sockets need no start-up here; the trace keeps its line.
        s.trace.tracef("Ret from startup=%d", 0);
        s.sockets_started = true;
    }
    std::lock_guard<std::mutex> conn_guard(s.connection_lock);
    s.paths = read_paths(platform::settings_file_path(), s.global_port);
    for (ConnectionEntry& slot : s.slots) free_slot(slot, false);
    s.trace.tracef("initialize successful");
    return 0;
}

std::int16_t shutdown() {
    State& s = state();
    std::lock_guard<std::mutex> count_guard(s.count_lock);
    s.trace.tracef("Shutdown initialized=%d", s.init_count);
    if (s.init_count > 0) --s.init_count;
    if (s.init_count == 0) {
        {
            std::lock_guard<std::mutex> conn_guard(s.connection_lock);
            for (ConnectionEntry& slot : s.slots)
                if (slot.in_use) free_slot(slot, false);
        }
        s.trace.tracef("cleaning up winsock");
        s.sockets_started = false;
    }
    return 0;
}

std::int16_t open_connection(std::uint8_t* connection, const char* name, std::int32_t /*reserved*/) {
    State& s = state();
    std::lock_guard<std::mutex> guard(s.connection_lock);
    std::string wanted = name != nullptr ? name : "";
    s.trace.tracef("open_connection name=%s", wanted.c_str());
    int index = find_path(s.paths, wanted);
    if (index < 0) {
        s.trace.tracef("Didn't find path");
        return 1;
    }
    s.trace.tracef("Found path at %d", index);
    const PathEntry& path = s.paths[static_cast<std::size_t>(index)];
    if (connection == nullptr) return 1;

    std::size_t free_index = kMaxConnections;
    for (std::size_t i = 0; i < kMaxConnections; ++i)
        if (!s.slots[i].in_use) {
            free_index = i;
            break;
        }
    if (free_index == kMaxConnections) return 1;
    auto number = static_cast<std::uint8_t>(free_index + 1);
    s.trace.tracef("Will return conn=%d", number);
    *connection = number;
    ConnectionEntry& slot = s.slots[free_index];
    slot = ConnectionEntry{};
    slot.in_use = true;

    // A failed open frees the slot again, so no number is ever lost.
    auto fail = [&](std::int16_t code) {
        free_slot(slot, false);
        *connection = 0;
        return code;
    };

    if (path.translate_file.empty()) {
        slot.tables = builtin_tables();
    } else {
        s.trace.tracef("Load translate table file %s", path.translate_file.c_str());
        TraceFn fn;
        if (s.trace.enabled()) fn = [&s](const std::string& line) { s.trace.write_line(line); };
        if (load_translate_file(path.translate_file, slot.tables, fn) != 0) {
            s.trace.tracef("Cannot load translate table file");
            return fail(1);
        }
    }

    s.trace.tracef("Try to get %u bytes for buffer", static_cast<unsigned>(path.buffer_size));
    std::size_t bytes = path.buffer_size + kFrameHeaderSize;
    slot.buffer.reset(new (std::nothrow) char[bytes]);
    slot.send_buffer.reset(new (std::nothrow) char[bytes]);
    if (!slot.buffer || !slot.send_buffer) {
        s.trace.tracef("Cannot get memory for buffer");
        return fail(1);
    }
    slot.buffer_size = path.buffer_size;

    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    s.trace.tracef("socket=%d", fd);
    if (fd < 0) {
        s.trace.tracef("socket returned %d", errno);
        return fail(1);
    }
    slot.socket = fd;
    linger off{};
    off.l_onoff = 0;
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    // A frame is written whole by one send; holding back a second message until the first is acknowledged only
    // adds the host's delayed-acknowledgement time.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // A host that vanished without closing (a cable pulled, a crash) would otherwise leave a receive without a
    // time-out waiting for ever: keep-alive probes after a minute of silence find the dead line within two more.
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
#ifdef TCP_KEEPIDLE
    const int idle = 60;
    const int interval = 10;
    const int probes = 6;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#endif

    s.trace.tracef("host = %s", path.host.c_str());
    s.trace.tracef("Global port %d Using %d", s.global_port, path.port);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(path.port);
    s.trace.tracef("before call to inet_addr");
    bool dotted = ::inet_aton(path.host.c_str(), &addr.sin_addr) != 0;
    s.trace.tracef("after call to inet_addr");
    if (!dotted) {
        s.trace.tracef("before call to gethostbyname");
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        int rc = path.host.empty() ? EAI_NONAME : ::getaddrinfo(path.host.c_str(), nullptr, &hints, &found);
        s.trace.tracef("after call to gethostbyname");
        if (rc != 0 || found == nullptr) {
            s.trace.tracef("gethostbyname returned %d", rc);
            if (found != nullptr) ::freeaddrinfo(found);
            return fail(2);
        }
        addr.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    } else {
        s.trace.tracef("host was dotted pair representation");
    }

    s.trace.tracef("before call to connect");
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        s.trace.tracef("connect returned %d", errno);
        return fail(3);
    }
    s.trace.tracef("after call to connect");
    s.trace.tracef("end of open");
    return 0;
}

std::int16_t close_connection(std::uint8_t connection) {
    State& s = state();
    s.trace.tracef("close_connection");
    if (!valid_number(connection)) return 1;
    std::lock_guard<std::mutex> guard(s.connection_lock);
    ConnectionEntry& slot = s.slots[connection - 1u];
    if (slot.in_use) free_slot(slot, true);
    return 0;
}

std::int16_t get_connection_info(std::uint8_t connection, ConnectionInfo* info) {
    ConnectionEntry* slot = live_slot(connection);
    if (slot == nullptr || info == nullptr) return 1;
    info->max_send = static_cast<std::uint16_t>(slot->buffer_size & 0xFFFFu);
    info->max_receive = static_cast<std::uint16_t>(slot->buffer_size & 0xFFFFu);
    info->flag = 1;
    return 0;
}

std::int16_t get_connection_status(std::uint8_t connection, std::int32_t /*reserved*/) {
    ConnectionEntry* slot = live_slot(connection);
    if (slot == nullptr || slot->socket < 0 || slot->broken) return 1;
    return 0;
}

std::int16_t transmit_buffer(std::uint8_t connection, const char* data, std::uint16_t length, std::uint8_t timeout) {
    State& s = state();
    s.trace.tracef("transmit_buffer conn=%d len=%d timeout=%d", connection, length, timeout);
    ConnectionEntry* slot = live_slot(connection);
    if (slot == nullptr || slot->socket < 0) return 1;
    if (slot->broken) {
        s.trace.tracef("connection %d is broken", connection);
        return 1;
    }
    if (length > slot->buffer_size || length > kMaxFrameLength || (data == nullptr && length > 0)) {
        s.trace.tracef("length %d exceeds buffer size %u", length, static_cast<unsigned>(slot->buffer_size));
        return 1;
    }
    char* out = slot->send_buffer.get();
    encode_frame_header(length, slot->tables.pc_to_host, out);
    if (length > 0) translate(slot->tables.pc_to_host, data, out + kFrameHeaderSize, length);
    s.trace.tracef("Write data and header");
    std::size_t total = std::size_t{length} + kFrameHeaderSize;
    std::size_t sent = 0;
    while (sent < total) {
        ssize_t w = ::send(slot->socket, out + sent, total - sent, MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR) continue;
        s.trace.tracef("send len=%d", static_cast<int>(w));
        if (w <= 0) {
            int err = w < 0 ? errno : EIO;
            s.trace.tracef("error on write ret=%d err=%d", -1, err);
            s.trace.tracef("write data=%d", static_cast<int>(sent));
            // Part of a frame may be on the line: the stream can no longer be trusted.
            slot->broken = true;
            return 1;
        }
        sent += static_cast<std::size_t>(w);
    }
    return 0;
}

std::int16_t get_received_buffer(std::uint8_t connection, char** data, std::uint16_t* length, std::uint8_t timeout) {
    State& s = state();
    s.trace.tracef("get_received_buffer conn=%d timeout=%d", connection, timeout);
    ConnectionEntry* slot = live_slot(connection);
    if (slot == nullptr || slot->socket < 0 || data == nullptr || length == nullptr) return 1;
    if (slot->broken) {
        s.trace.tracef("connection %d is broken", connection);
        return 1;
    }

    // One deadline covers the whole frame, header and data. A poll-only call (0) that finds a frame begun gives
    // the rest of it a second to arrive. 255 waits without limit.
    std::optional<Clock::time_point> deadline;
    if (timeout != 255) deadline = Clock::now() + std::chrono::seconds(timeout == 0 ? 1 : timeout);

    // Waiting without limit is what the blocking read below does anyway; the separate wait is kept where it shows,
    // in the trace, and where it bounds the wait. It cost a system call per reply.
    if (timeout != 255 || s.trace.enabled()) {
        pollfd p{};
        p.fd = slot->socket;
        p.events = POLLIN;
        int wait_ms = timeout == 255 ? -1 : static_cast<int>(timeout) * 1000;
        int ready;
        do {
            ready = ::poll(&p, 1, wait_ms);
        } while (ready < 0 && errno == EINTR);
        s.trace.tracef("select returned %d", ready);
        if (ready == 0) return 99;
        if (ready < 0) return 1;
    }

    char* buffer = slot->buffer.get();
    bool closed = false;
    int err = receive_exact(slot->socket, buffer, kFrameHeaderSize, closed, deadline);
    if (err != 0 || closed) {
        s.trace.tracef("error reading header=%d", err);
        slot->broken = true;
        return 1;
    }
    char header[kFrameHeaderSize + 1];
    translate_frame_header(buffer, slot->tables.host_to_pc, header);
    s.trace.tracef("lenhdr=%s", header);
    std::size_t n = decode_frame_header(buffer, slot->tables.host_to_pc);

    if (n > slot->buffer_size) {
        // Read the frame away so the next one is still found where it should be.
        s.trace.tracef("frame length %zu exceeds buffer size %u, data discarded", n,
                       static_cast<unsigned>(slot->buffer_size));
        std::size_t left = n;
        while (left > 0) {
            std::size_t chunk = left < slot->buffer_size ? left : slot->buffer_size;
            err = receive_exact(slot->socket, buffer, chunk, closed, deadline);
            if (err != 0 || closed) {
                s.trace.tracef("read data error=%d", err);
                slot->broken = true;
                return 1;
            }
            left -= chunk;
        }
        return 1;
    }

    err = receive_exact(slot->socket, buffer, n, closed, deadline);
    if (err != 0 || closed) {
        s.trace.tracef("read data error=%d", err);
        slot->broken = true;
        return 1;
    }
    translate_in_place(slot->tables.host_to_pc, buffer, n);
    *data = buffer;
    *length = static_cast<std::uint16_t>(n);
    s.trace.tracef("read %d chars", static_cast<int>(n));
    return 0;
}

std::int16_t put_into_receive(std::uint8_t /*connection*/) { return 0; }

std::int16_t get_error_message(std::int32_t /*code*/, char* /*text*/) { return 1; }

std::int16_t configure_connection(void* /*owner*/) { return 1; }

namespace {

// The setup library beside this one (or beside the program, when the provider is linked into it).
SetupEntryFn load_setup_entry(std::string& tried) {
    Dl_info info{};
    std::string folder = ".";
    if (::dladdr(reinterpret_cast<void*>(&configure), &info) != 0 && info.dli_fname != nullptr) {
        folder = info.dli_fname;
        const auto slash = folder.rfind('/');
        folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    }
    tried = folder + "/" + kSetupLibraryName;
    // Kept loaded: the window system it brings in is not made to be unloaded.
    void* library = ::dlopen(tried.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<SetupEntryFn>(::dlsym(library, kSetupEntrySymbol));
}

}  // namespace

std::int16_t configure(void* owner) {
    State& s = state();
    s.trace.tracef("in configure");
    if (initialize() != 0) {
        s.trace.tracef("configure cannot do initialize");
        std::fputc('\a', stderr);
        return 0;
    }
    std::string tried;
    const SetupEntryFn run = load_setup_entry(tried);
    int result = 0;
    if (run == nullptr) {
        s.trace.tracef("cannot load setup library %s", tried.c_str());
    } else {
        const std::string ini = platform::settings_file_path();
        result = run(owner, ini.c_str(), s.global_port);
        s.trace.tracef("result from configure dialog=%d", result);
        if (result == 1) {
            // The dialog edited its own copy; the table the names and new connections come from is reloaded
            // under the connection lock. Open connections keep the tables they were opened with.
            std::lock_guard<std::mutex> guard(s.connection_lock);
            s.paths = read_paths(ini, s.global_port);
        }
    }
    shutdown();
    return result == 1 ? 1 : 0;
}

std::int16_t get_connection_names(char* buffer, std::uint16_t size) {
    State& s = state();
    std::lock_guard<std::mutex> guard(s.connection_lock);
    return format_connection_names(s.paths, buffer, size) ? 0 : 1;
}

std::int16_t get_connection_name(std::uint8_t connection, char* /*name*/, std::uint16_t /*size*/) {
    return live_slot(connection) != nullptr ? 0 : 1;
}

void fill_entry_table(ProviderEntryTable* table) {
    table->initialize = [] { return initialize(); };
    table->shutdown = [] { return shutdown(); };
    table->open_connection = open_connection;
    table->close_connection = close_connection;
    table->get_connection_info = get_connection_info;
    table->get_connection_status = get_connection_status;
    table->transmit_buffer = transmit_buffer;
    table->get_received_buffer = get_received_buffer;
    table->put_into_receive = put_into_receive;
    table->put_into_local = put_into_receive;  // one function under two names
    table->get_error_message = get_error_message;
    table->configure_connection = configure_connection;
    table->get_connection_names = get_connection_names;
    table->get_connection_name = get_connection_name;
    table->configure = configure;
}

}  // namespace kestra::tavlink

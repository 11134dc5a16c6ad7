// The host's side of the host file transfer (49, 50, 57): files are read from and stored into the fixture's
// host files. A transfer is one connection's business, so its progress lives in that connection's session.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "body_codec.h"
#include "request_handlers.h"

namespace kestra::hostsim {

struct TransferState {
    enum class Kind { get, put } kind = Kind::get;
    int code = 0;            // the first request's code; later requests must use it
    HostFile file;           // a copy, so a put on another connection cannot change a get under way
    std::int64_t size = 0;
    std::int64_t done = 0;   // bytes sent or received
    std::string received;    // a put's bytes so far
};

namespace {

// Puts are held in memory; anything larger is not a test of this host.
constexpr std::int64_t kMaxPutSize = std::int64_t{256} << 20;
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Digit values by character, -1 for anything else: a lookup, since range tests mispredict on file data.
constexpr std::array<std::int8_t, 256> kHexValues = [] {
    std::array<std::int8_t, 256> t{};
    t.fill(-1);
    for (int c = '0'; c <= '9'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'A' + 10);
    return t;
}();

int hex_value(char c) { return kHexValues[static_cast<unsigned char>(c)]; }

void write_attributes(BodyWriter& w, const FileAttributes& a) {
    w.number(a.a1, 10).number(a.a2, 10).number(a.a3, 10).number(a.frame_size, 5);
    w.number(a.record_size, 10).number(a.a4, 10).number(a.a5, 10).number(a.a6, 10).number(a.record_count, 10);
    w.number(a.f1, 1).number(a.f2, 1).number(a.f3, 1).number(a.f4, 1);
    w.raw(a.raw12).text(a.t1).text(a.t2);
}

bool read_attributes(BodyReader& r, FileAttributes& a) {
    r.number(10, a.a1);
    r.number(10, a.a2);
    r.number(10, a.a3);
    r.number(5, a.frame_size);
    r.number(10, a.record_size);
    r.number(10, a.a4);
    r.number(10, a.a5);
    r.number(10, a.a6);
    r.number(10, a.record_count);
    r.number(1, a.f1);
    r.number(1, a.f2);
    r.number(1, a.f3);
    r.number(1, a.f4);
    r.raw(12, a.raw12);
    r.text(a.t1);
    r.text(a.t2);
    return r.ok();
}

const HostFile* find_file(const HostState& state, const std::string& name) {
    for (const auto& f : state.host_files) {
        if (equals_ignore_case(f.name, name)) return &f;
    }
    return nullptr;
}

// First request: "0", S name. 57 answers the extra block and the attributes, 49 the attributes alone.
void get_first(RequestContext& context, int code, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int zero = -1;
    std::string name;
    r.number(1, zero);
    r.text(name);
    if (!r.ok() || zero != 0 || !r.at_end() || name.empty()) {
        reply.refuse(3, "[Kestra]INVALID FILE REQUEST");
        return;
    }
    auto state = std::make_shared<TransferState>();
    {
        std::lock_guard lock(context.host.mutex);
        const HostFile* file = find_file(context.host.state, name);
        if (file == nullptr) {
            context.session.transfer.reset();
            reply.refuse(3, "[Kestra]FILE NOT FOUND " + name);
            return;
        }
        state->file = *file;
    }
    state->kind = TransferState::Kind::get;
    state->code = code;
    state->size = host_file_size(state->file.attributes);
    BodyWriter w;
    if (code == 57) w.number(static_cast<std::int64_t>(state->file.extra.size()), 3).raw(state->file.extra);
    write_attributes(w, state->file.attributes);
    context.session.transfer = std::move(state);
    reply.ok(w.take());
}

// Later request: "0". The next bytes as hex pairs, as many as one message holds.
void get_data(RequestContext& context, int code, Reply& reply) {
    auto& t = context.session.transfer;
    if (!t || t->kind != TransferState::Kind::get || t->code != code) {
        reply.refuse(3, "[Kestra]NO FILE TRANSFER IN PROGRESS");
        return;
    }
    const std::size_t limit = context.session.data_limit();
    const auto room = static_cast<std::int64_t>(limit > 1 ? (limit - 1) / 2 : 0);
    const std::int64_t n = std::min(room, t->size - t->done);
    // Written in place: the host must not be the slow end of a transfer.
    const auto count = static_cast<std::size_t>(n);
    std::vector<std::uint8_t> bytes(count);
    host_file_bytes(t->file, t->done, count, bytes.data());
    // Both digits of a byte from one lookup.
    static const std::array<std::array<char, 2>, 256> pairs = [] {
        std::array<std::array<char, 2>, 256> table{};
        for (std::size_t b = 0; b < table.size(); ++b) table[b] = {kHexDigits[b >> 4], kHexDigits[b & 0x0F]};
        return table;
    }();
    std::string hex(2 * count, '\0');
    char* p = hex.data();
    for (const std::uint8_t b : bytes) {
        std::memcpy(p, pairs[b].data(), 2);
        p += 2;
    }
    t->done += n;
    if (t->done >= t->size) t.reset();
    reply.ok(std::move(hex));
}

void handle_get(RequestContext& context, int code, std::string_view body, Reply& reply) {
    if (body == "0") {
        get_data(context, code, reply);
    } else {
        get_first(context, code, body, reply);
    }
}

// First request: "0", S name, the attribute block, and for a version-2 archive S extra data. Null when the body
// is not one.
std::shared_ptr<TransferState> parse_put_first(std::string_view body) {
    BodyReader r(body);
    int zero = -1;
    auto state = std::make_shared<TransferState>();
    HostFile& f = state->file;
    r.number(1, zero);
    r.text(f.name);
    read_attributes(r, f.attributes);
    if (r.ok() && !r.at_end()) r.text(f.extra);
    const FileAttributes& a = f.attributes;
    if (!r.ok() || zero != 0 || !r.at_end() || f.name.empty() || a.t1.size() > 31 || a.t2.size() > 127) {
        return nullptr;
    }
    state->kind = TransferState::Kind::put;
    state->code = 50;
    state->size = host_file_size(a);
    return state;
}

void put_first(RequestContext& context, std::shared_ptr<TransferState> state, Reply& reply) {
    context.session.transfer.reset();
    if (!state) {
        reply.refuse(3, "[Kestra]INVALID FILE REQUEST");
        return;
    }
    if (state->size > kMaxPutSize) {
        reply.refuse(3, "[Kestra]FILE TOO LARGE");
        return;
    }
    state->received.reserve(static_cast<std::size_t>(state->size));
    context.session.transfer = std::move(state);
    reply.ok();
}

bool is_hex(std::string_view digits) {
    if (digits.size() % 2 != 0) return false;
    return std::all_of(digits.begin(), digits.end(), [](char c) { return hex_value(c) >= 0; });
}

void store(RequestContext& context, TransferState& t) {
    t.file.contents = std::move(t.received);
    t.file.generated_seed = 0;
    {
        std::lock_guard lock(context.host.mutex);
        auto& files = context.host.state.host_files;
        auto it = std::find_if(files.begin(), files.end(),
                               [&](const HostFile& f) { return equals_ignore_case(f.name, t.file.name); });
        if (it != files.end()) {
            *it = std::move(t.file);
        } else {
            files.push_back(std::move(t.file));
        }
    }
    if (context.request_save) context.request_save();
}

// Later request: "0" and lower-case hex pairs (checked by the caller); the file is stored once its last byte is in.
void put_data(RequestContext& context, std::string_view hex, Reply& reply) {
    auto& t = context.session.transfer;
    const std::size_t start = t->received.size();
    t->received.resize(start + hex.size() / 2);
    char* p = t->received.data() + start;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        *p++ = static_cast<char>((hex_value(hex[i]) << 4) | hex_value(hex[i + 1]));
    }
    t->done += static_cast<std::int64_t>(hex.size() / 2);
    if (t->done == t->size) {
        const std::shared_ptr<TransferState> finished = std::move(t);
        store(context, *finished);
    }
    reply.ok();
}

void handle_put(RequestContext& context, std::string_view body, Reply& reply) {
    auto& t = context.session.transfer;
    if (!t || t->kind != TransferState::Kind::put) {
        put_first(context, parse_put_first(body), reply);
        return;
    }
    // A put under way takes data; a body that is not data it can take may be the PC starting over with the
    // next file after giving up on this one.
    const std::string_view hex = body.empty() ? body : body.substr(1);
    if (!body.empty() && body.front() == '0' && is_hex(hex) &&
        static_cast<std::int64_t>(hex.size() / 2) <= t->size - t->done) {
        put_data(context, hex, reply);
        return;
    }
    auto next = parse_put_first(body);
    if (next) {
        put_first(context, std::move(next), reply);
        return;
    }
    t.reset();
    reply.refuse(3, "[Kestra]INVALID FILE DATA");
}

}  // namespace

void register_transfer_handlers(HandlerTable& table) {
    table.add(2, 57, [](RequestContext& c, std::string_view body, Reply& r) { handle_get(c, 57, body, r); });
    table.add(2, 49, [](RequestContext& c, std::string_view body, Reply& r) { handle_get(c, 49, body, r); });
    table.add(2, 50, [](RequestContext& c, std::string_view body, Reply& r) { handle_put(c, body, r); });
}

}  // namespace kestra::hostsim

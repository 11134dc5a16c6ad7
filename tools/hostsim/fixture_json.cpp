#include "fixture_json.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <set>
#include <stdexcept>

#include "platform/atomic_file.h"

namespace kestra::hostsim {
namespace {

using nlohmann::json;

// Thrown only inside this file; the public functions turn it into an error text.
struct FixtureError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw FixtureError(where + ": " + what);
}

const json* member(const json& object, const char* key) {
    auto it = object.find(key);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

std::int64_t get_int(const json& object, const char* key, std::int64_t fallback, std::int64_t lo, std::int64_t hi,
                     const std::string& where) {
    const json* value = member(object, key);
    if (!value) return fallback;
    if (!value->is_number_integer()) fail(where + "." + key, "must be a whole number");
    const auto n = value->get<std::int64_t>();
    if (n < lo || n > hi) {
        fail(where + "." + key, "must lie between " + std::to_string(lo) + " and " + std::to_string(hi));
    }
    return n;
}

int get_small(const json& object, const char* key, int fallback, int lo, int hi, const std::string& where) {
    return static_cast<int>(get_int(object, key, fallback, lo, hi, where));
}

bool get_bool(const json& object, const char* key, bool fallback, const std::string& where) {
    const json* value = member(object, key);
    if (!value) return fallback;
    if (value->is_boolean()) return value->get<bool>();
    if (value->is_number_integer()) {
        const auto n = value->get<std::int64_t>();
        if (n == 0 || n == 1) return n == 1;
    }
    fail(where + "." + key, "must be true or false");
}

// Every text crosses the wire as a 3-digit length, so 999 is the hard ceiling.
std::string get_text(const json& object, const char* key, const std::string& where, std::size_t max = 999,
                     bool required = false) {
    const json* value = member(object, key);
    if (!value) {
        if (required) fail(where + "." + key, "is required");
        return {};
    }
    if (!value->is_string()) fail(where + "." + key, "must be a text");
    auto text = value->get<std::string>();
    if (text.size() > max) fail(where + "." + key, "is longer than " + std::to_string(max) + " characters");
    if (required && text.empty()) fail(where + "." + key, "must not be empty");
    return text;
}

const json& get_array(const json& object, const char* key, const std::string& where) {
    static const json empty = json::array();
    const json* value = member(object, key);
    if (!value) return empty;
    if (!value->is_array()) fail(where + "." + key, "must be a list");
    return *value;
}

void require_object(const json& value, const std::string& where) {
    if (!value.is_object()) fail(where, "must be an object");
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string decode_hex(const std::string& text, const std::string& where) {
    if (text.size() % 2 != 0) fail(where, "hex text has an odd number of digits");
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = hex_value(text[i]);
        const int lo = hex_value(text[i + 1]);
        if (hi < 0 || lo < 0) fail(where, "hex text holds a character that is not a hex digit");
        out.push_back(static_cast<char>(hi * 16 + lo));
    }
    return out;
}

std::string encode_hex(const std::string& data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(data.size() * 2);
    for (char c : data) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0F]);
    }
    return out;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string decode_base64(const std::string& text, const std::string& where) {
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    std::size_t padding = 0;
    for (char c : text) {
        if (c == '\n' || c == '\r' || c == ' ') continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        if (padding > 0) fail(where, "base64 text continues after its padding");
        const char* pos = nullptr;
        for (const char* p = kBase64; *p; ++p) {
            if (*p == c) pos = p;
        }
        if (!pos) fail(where, "base64 text holds an invalid character");
        bits = (bits << 6) | static_cast<std::uint32_t>(pos - kBase64);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xFFU));
        }
    }
    if (padding > 2) fail(where, "base64 text has too much padding");
    return out;
}

std::string encode_base64(const std::string& data) {
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const auto n = (static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << 16) |
                       (static_cast<std::uint32_t>(static_cast<unsigned char>(data[i + 1])) << 8) |
                       static_cast<std::uint32_t>(static_cast<unsigned char>(data[i + 2]));
        out.push_back(kBase64[(n >> 18) & 63]);
        out.push_back(kBase64[(n >> 12) & 63]);
        out.push_back(kBase64[(n >> 6) & 63]);
        out.push_back(kBase64[n & 63]);
    }
    const std::size_t rest = data.size() - i;
    if (rest > 0) {
        std::uint32_t n = static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << 16;
        if (rest == 2) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i + 1])) << 8;
        out.push_back(kBase64[(n >> 18) & 63]);
        out.push_back(kBase64[(n >> 12) & 63]);
        out.push_back(rest == 2 ? kBase64[(n >> 6) & 63] : '=');
        out.push_back('=');
    }
    return out;
}

// Binary data given as {"text": ...}, {"hex": ...} or {"base64": ...}; a plain string is text.
std::string read_bytes(const json& value, const std::string& where) {
    if (value.is_string()) return value.get<std::string>();
    require_object(value, where);
    if (const json* text = member(value, "text")) {
        if (!text->is_string()) fail(where + ".text", "must be a text");
        return text->get<std::string>();
    }
    if (const json* hex = member(value, "hex")) {
        if (!hex->is_string()) fail(where + ".hex", "must be a text");
        return decode_hex(hex->get<std::string>(), where + ".hex");
    }
    if (const json* b64 = member(value, "base64")) {
        if (!b64->is_string()) fail(where + ".base64", "must be a text");
        return decode_base64(b64->get<std::string>(), where + ".base64");
    }
    fail(where, "needs one of text, hex or base64");
}

json write_bytes(const std::string& data) {
    bool printable = true;
    for (char c : data) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\n' && c != '\r' && c != '\t') || b > 0x7E) printable = false;
    }
    if (printable) return json{{"text", data}};
    return json{{"base64", encode_base64(data)}};
}

// ---- reading ----

Limits read_limits(const json& j, const std::string& where) {
    require_object(j, where);
    Limits l;
    l.where_required = get_bool(j, "where_required", l.where_required, where);
    l.linear_selects = get_bool(j, "linear_selects", l.linear_selects, where);
    l.linear_joins = get_bool(j, "linear_joins", l.linear_joins, where);
    l.row_limit_kind = get_small(j, "row_limit_kind", 0, 0, 2, where);
    l.row_count = get_int(j, "row_count", 0, 0, 2147483647, where);
    return l;
}

GlobalOptions read_global(const json& j, const std::string& where) {
    require_object(j, where);
    GlobalOptions g;
    g.description = get_text(j, "description", where);
    g.usercode = get_text(j, "usercode", where, 17);
    g.translation = get_text(j, "translation", where, 19);
    g.priority = get_small(j, "priority", 0, 0, 99, where);
    g.date_base_month = get_small(j, "date_base_month", 0, 0, 99, where);
    g.date_base_day = get_small(j, "date_base_day", 0, 0, 99, where);
    g.date_base_year = get_small(j, "date_base_year", 0, 0, 9999, where);
    g.library_kind = get_small(j, "library_kind", 0, 0, 9, where);
    g.program_security = get_small(j, "program_security", 0, 0, 9, where);
    g.security_use = get_small(j, "security_use", 2, 0, 9, where);
    g.security_type = get_small(j, "security_type", 0, 0, 9, where);
    g.guard_file = get_text(j, "guard_file", where, 255);
    g.unique_indices = get_small(j, "unique_indices", 0, 0, 9, where);
    g.app_name = get_text(j, "app_name", where, 19);
    g.hide_fields = get_small(j, "hide_fields", 0, 0, 9, where);
    return g;
}

int read_field_kind(const json& j, const std::string& where) {
    const json* value = member(j, "kind");
    if (!value) return 0;
    if (value->is_string()) {
        const auto s = value->get<std::string>();
        if (s == "host") return 0;
        if (s == "user") return 1;
        if (s == "calculated") return 2;
        fail(where + ".kind", "must be \"host\", \"user\" or \"calculated\"");
    }
    return get_small(j, "kind", 0, 0, 2, where);
}

Field read_field(const json& j, const std::string& where) {
    require_object(j, where);
    Field f;
    f.number = get_small(j, "number", 0, 0, 9999, where);
    // Names the host holds may be longer than a person may type; they are served whole.
    f.host_name = get_text(j, "host_name", where);
    f.name = get_text(j, "name", where);
    if (f.host_name.empty() && f.name.empty()) fail(where, "needs a host_name or a name");
    f.kind = read_field_kind(j, where);
    f.visible = get_bool(j, "visible", true, where);
    f.update_allowed = get_bool(j, "update_allowed", false, where);
    f.type = get_small(j, "type", 4, 0, 99, where);
    f.offset = get_small(j, "offset", 0, 0, 9999, where);
    f.length = get_small(j, "length", 0, 0, 9999, where);
    f.decimals = get_small(j, "decimals", 0, 0, 99, where);
    f.date_kind = get_small(j, "date_kind", 0, 0, 9, where);
    f.date_format = get_small(j, "date_format", 0, 0, 99, where);
    f.offset_value = get_small(j, "offset_value", 0, 0, 9999, where);
    f.offset_in_chars = get_bool(j, "offset_in_chars", false, where);
    f.offset_from_start = get_bool(j, "offset_from_start", true, where);
    f.base_field = get_text(j, "base_field", where, 31);
    f.expression = get_text(j, "expression", where, 255);
    if (f.kind == 2 && f.expression.empty()) fail(where, "a calculated field needs an expression");
    return f;
}

std::vector<Field> read_fields(const json& j, const std::string& where, bool number_required) {
    std::vector<Field> fields;
    std::set<int> numbers;
    const auto& list = get_array(j, "fields", where);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string at = where + ".fields[" + std::to_string(i) + "]";
        Field f = read_field(list[i], at);
        if (f.number == 0) {
            if (number_required) fail(at, "needs a number from 1 to 9999");
            f.number = static_cast<int>(i + 1);
        }
        if (!numbers.insert(f.number).second) fail(at, "repeats field number " + std::to_string(f.number));
        fields.push_back(std::move(f));
    }
    return fields;
}

TableSet read_set(const json& j, const std::string& where) {
    require_object(j, where);
    TableSet s;
    s.name = get_text(j, "name", where, 999, true);
    s.first = get_small(j, "first", 0, 0, 9, where);
    s.second = get_small(j, "second", 0, 0, 9, where);
    s.third = get_small(j, "third", 0, 0, 9, where);
    const auto& keys = get_array(j, "keys", where);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string at = where + ".keys[" + std::to_string(i) + "]";
        require_object(keys[i], at);
        SetKey k;
        k.field = get_small(keys[i], "field", 0, 0, 9999, at);
        k.first = get_small(keys[i], "first", 0, 0, 9, at);
        k.second = get_small(keys[i], "second", 0, 0, 9, at);
        s.keys.push_back(k);
    }
    return s;
}

JoinMember read_member(const json& j, const std::string& where) {
    require_object(j, where);
    JoinMember m;
    m.sub_table = get_text(j, "sub_table", where, 999, true);
    m.where = get_text(j, "where", where);
    m.set = get_text(j, "set", where);
    m.join_kind = get_small(j, "join_kind", 0, 0, 9, where);
    const auto& list = get_array(j, "join_fields", where);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string at = where + ".join_fields[" + std::to_string(i) + "]";
        require_object(list[i], at);
        JoinField f;
        f.field = get_text(list[i], "field", at, 999, true);
        f.kind = get_small(list[i], "kind", 2, 0, 2, at);
        f.member = get_small(list[i], "member", 0, 0, 9999, at);
        f.value = get_text(list[i], "value", at);
        m.join_fields.push_back(std::move(f));
    }
    return m;
}

Table read_table(const json& j, const std::string& where) {
    require_object(j, where);
    Table t;
    t.number = get_small(j, "number", 0, 1, 9999, where);
    if (t.number == 0) fail(where, "needs a number from 1 to 9999");
    t.name = get_text(j, "name", where, 999, true);
    t.option = get_small(j, "option", 0, 0, 99999, where);
    t.update_allowed = get_bool(j, "update_allowed", false, where);
    t.return_groups = get_bool(j, "return_groups", false, where);
    t.join = get_bool(j, "join", false, where);
    t.database = get_text(j, "database", where, 17);
    t.dataset = get_text(j, "dataset", where);
    t.set = get_text(j, "set", where, 17);
    t.description_file = get_text(j, "description_file", where);
    t.where = get_text(j, "where", where, 255);
    t.fields = read_fields(j, where, false);
    const auto& sets = get_array(j, "sets", where);
    for (std::size_t i = 0; i < sets.size(); ++i) t.sets.push_back(read_set(sets[i], where + ".sets[" + std::to_string(i) + "]"));
    const auto& members = get_array(j, "members", where);
    if (!members.empty() && !t.join) fail(where, "has members but is not a join table");
    for (std::size_t i = 0; i < members.size(); ++i) {
        t.members.push_back(read_member(members[i], where + ".members[" + std::to_string(i) + "]"));
    }
    return t;
}

Application read_application(const json& j, const std::string& where) {
    require_object(j, where);
    Application a;
    a.number = get_small(j, "number", 0, 1, 999, where);
    if (a.number == 0) fail(where, "needs a number from 1 to 999");
    a.program = get_text(j, "program", where, 19, true);
    a.update_allowed = get_bool(j, "update_allowed", false, where);
    if (const json* limits = member(j, "local_limits")) a.local_limits = read_limits(*limits, where + ".local_limits");
    if (const json* tables = member(j, "tables")) {
        if (!tables->is_array()) fail(where + ".tables", "must be a list");
        std::vector<AppTable> list;
        for (std::size_t i = 0; i < tables->size(); ++i) {
            const std::string at = where + ".tables[" + std::to_string(i) + "]";
            require_object((*tables)[i], at);
            AppTable t;
            t.number = get_small((*tables)[i], "number", 0, 0, 9999, at);
            t.update_allowed = get_bool((*tables)[i], "update_allowed", false, at);
            list.push_back(t);
        }
        a.tables = std::move(list);
    }
    return a;
}

ConfigFile read_config_file(const json& j, const std::string& where, std::set<int>& numbers) {
    require_object(j, where);
    ConfigFile f;
    f.number = get_small(j, "number", 0, 1, 9999, where);
    if (f.number == 0) fail(where, "needs a number from 1 to 9999");
    if (!numbers.insert(f.number).second) fail(where, "repeats configuration file number " + std::to_string(f.number));
    f.name = get_text(j, "name", where, 999, true);
    if (const json* g = member(j, "global_options")) f.global = read_global(*g, where + ".global_options");
    if (const json* l = member(j, "limits")) f.limits = read_limits(*l, where + ".limits");
    std::set<int> table_numbers;
    const auto& tables = get_array(j, "tables", where);
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const std::string at = where + ".tables[" + std::to_string(i) + "]";
        Table t = read_table(tables[i], at);
        if (!table_numbers.insert(t.number).second) fail(at, "repeats table number " + std::to_string(t.number));
        f.tables.push_back(std::move(t));
    }
    std::set<int> app_numbers;
    const auto& apps = get_array(j, "applications", where);
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const std::string at = where + ".applications[" + std::to_string(i) + "]";
        Application a = read_application(apps[i], at);
        if (!app_numbers.insert(a.number).second) fail(at, "repeats application number " + std::to_string(a.number));
        f.applications.push_back(std::move(a));
    }
    const auto& children = get_array(j, "children", where);
    for (std::size_t i = 0; i < children.size(); ++i) {
        f.children.push_back(read_config_file(children[i], where + ".children[" + std::to_string(i) + "]", numbers));
    }
    return f;
}

FileAttributes read_attributes(const json& j, const std::string& where) {
    require_object(j, where);
    constexpr std::int64_t kMax10 = 9999999999LL;
    FileAttributes a;
    a.a1 = get_int(j, "a1", 0, 0, kMax10, where);
    a.a2 = get_int(j, "a2", 0, 0, kMax10, where);
    a.a3 = get_int(j, "a3", 0, 0, kMax10, where);
    a.frame_size = get_small(j, "frame_size", 8, 0, 99999, where);
    a.record_size = get_int(j, "record_size", 0, 0, kMax10, where);
    a.a4 = get_int(j, "a4", 0, 0, kMax10, where);
    a.a5 = get_int(j, "a5", 0, 0, kMax10, where);
    a.a6 = get_int(j, "a6", 0, 0, kMax10, where);
    a.record_count = get_int(j, "record_count", -1, 0, kMax10, where);
    a.f1 = get_small(j, "f1", 0, 0, 9, where);
    a.f2 = get_small(j, "f2", 0, 0, 9, where);
    a.f3 = get_small(j, "f3", 0, 0, 9, where);
    a.f4 = get_small(j, "f4", 0, 0, 9, where);
    if (const json* raw = member(j, "raw12")) {
        a.raw12 = read_bytes(*raw, where + ".raw12");
        if (a.raw12.size() != 12) fail(where + ".raw12", "must hold exactly 12 bytes");
    }
    a.t1 = get_text(j, "t1", where, 31);
    a.t2 = get_text(j, "t2", where, 127);
    return a;
}

// Keeps generated files within what a test machine can stream in reasonable time.
constexpr std::int64_t kMaxHostFileSize = std::int64_t{1} << 34;

HostFile read_host_file(const json& j, const std::string& where) {
    require_object(j, where);
    HostFile f;
    f.name = get_text(j, "name", where, 999, true);
    f.attributes = read_attributes(member(j, "attributes") ? j.at("attributes") : json::object(), where + ".attributes");
    if (const json* extra = member(j, "extra")) f.extra = read_bytes(*extra, where + ".extra");
    if (f.extra.size() > 999) fail(where + ".extra", "is longer than 999 bytes");
    auto& attrs = f.attributes;
    const std::int64_t factor = attrs.frame_size == 8 ? 1 : 6;
    const json* contents = member(j, "contents");
    if (!contents) fail(where, "needs contents");
    if (contents->is_object() && member(*contents, "generate")) {
        const json& gen = contents->at("generate");
        const std::string at = where + ".contents.generate";
        require_object(gen, at);
        f.generated_seed = get_int(gen, "seed", 1, 0, 2147483647, at);
        const std::int64_t size = get_int(gen, "size", -1, 0, kMaxHostFileSize, at);
        if (size >= 0 && attrs.record_count < 0) {
            if (attrs.record_size <= 0 || size % (attrs.record_size * factor) != 0) {
                fail(at, "size must be a whole number of records");
            }
            attrs.record_count = size / (attrs.record_size * factor);
        }
    } else {
        f.contents = read_bytes(*contents, where + ".contents");
        const auto size = static_cast<std::int64_t>(f.contents->size());
        if (attrs.record_count < 0) {
            if (attrs.record_size <= 0 && size == 0) {
                attrs.record_count = 0;
            } else if (attrs.record_size <= 0 || size % (attrs.record_size * factor) != 0) {
                fail(where, "contents must be a whole number of records");
            } else {
                attrs.record_count = size / (attrs.record_size * factor);
            }
        }
    }
    if (attrs.record_count < 0) fail(where + ".attributes", "needs a record_count");
    if (attrs.record_size > 0 && attrs.record_count > kMaxHostFileSize / (attrs.record_size * factor)) {
        fail(where, "is too large");
    }
    if (f.contents && static_cast<std::int64_t>(f.contents->size()) != host_file_size(attrs)) {
        fail(where, "contents do not match record size x record count");
    }
    return f;
}

void read_state(const json& root, HostState& s) {
    require_object(root, "fixture");
    if (const json* v = member(root, "version")) {
        require_object(*v, "version");
        s.version.level = get_small(*v, "level", s.version.level, 0, 99, "version");
        s.version.release = get_small(*v, "release", s.version.release, 0, 999, "version");
        s.version.protocol = get_small(*v, "protocol", 21, 0, 999, "version");
        s.version.admin_protocol = get_small(*v, "admin_protocol", 22, 0, 999, "version");
        if (member(*v, "text")) s.version.text = get_text(*v, "text", "version", 200);
        if (s.version.text.find('.') != std::string::npos) fail("version.text", "must not contain \".\"");
        if (member(*v, "filler")) s.version.filler = get_text(*v, "filler", "version", 3);
        if (s.version.filler.size() != 3) fail("version.filler", "must be 3 characters");
    }
    const auto& users = get_array(root, "users", "fixture");
    for (std::size_t i = 0; i < users.size(); ++i) {
        const std::string at = "users[" + std::to_string(i) + "]";
        require_object(users[i], at);
        HostUser u;
        u.name = get_text(users[i], "name", at, 18, true);
        u.password = get_text(users[i], "password", at, 18);
        u.max_message_size = get_small(users[i], "max_message_size", 9999, 1, 9999, at);
        if (find_user(s, u.name)) fail(at, "repeats user " + u.name);
        s.users.push_back(std::move(u));
    }
    if (const json* o = member(root, "default_options")) {
        require_object(*o, "default_options");
        s.default_options.update_allowed = get_bool(*o, "update_allowed", false, "default_options");
        s.default_options.return_groups = get_bool(*o, "return_groups", false, "default_options");
    }
    std::set<int> numbers;
    const auto& files = get_array(root, "config_files", "fixture");
    for (std::size_t i = 0; i < files.size(); ++i) {
        s.config_files.push_back(read_config_file(files[i], "config_files[" + std::to_string(i) + "]", numbers));
    }
    const auto& descs = get_array(root, "description_files", "fixture");
    for (std::size_t i = 0; i < descs.size(); ++i) {
        const std::string at = "description_files[" + std::to_string(i) + "]";
        require_object(descs[i], at);
        DescriptionFile d;
        d.name = get_text(descs[i], "name", at, 999, true);
        const auto& dbs = get_array(descs[i], "databases", at);
        for (std::size_t k = 0; k < dbs.size(); ++k) {
            const std::string dat = at + ".databases[" + std::to_string(k) + "]";
            require_object(dbs[k], dat);
            DescDatabase db;
            db.name = get_text(dbs[k], "name", dat, 999, true);
            const auto& sets = get_array(dbs[k], "datasets", dat);
            for (std::size_t m = 0; m < sets.size(); ++m) {
                const std::string sat = dat + ".datasets[" + std::to_string(m) + "]";
                require_object(sets[m], sat);
                DescDataset ds;
                ds.name = get_text(sets[m], "name", sat, 999, true);
                ds.type = get_small(sets[m], "type", 0, 0, 9, sat);
                if (m == 0 && ds.type != 0) fail(sat, "a set must follow its dataset");
                db.datasets.push_back(std::move(ds));
            }
            d.databases.push_back(std::move(db));
        }
        s.description_files.push_back(std::move(d));
    }
    const auto& sources = get_array(root, "cobol_sources", "fixture");
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string at = "cobol_sources[" + std::to_string(i) + "]";
        require_object(sources[i], at);
        CobolSource src;
        src.file = get_text(sources[i], "file", at, 999, true);
        const auto& records = get_array(sources[i], "records", at);
        for (std::size_t k = 0; k < records.size(); ++k) {
            const std::string rat = at + ".records[" + std::to_string(k) + "]";
            require_object(records[k], rat);
            CobolRecord r;
            r.fd_name = get_text(records[k], "fd_name", rat);
            r.fd_sequence = get_small(records[k], "fd_sequence", 0, 0, 999999, rat);
            r.level01_name = get_text(records[k], "level01_name", rat);
            r.level01_sequence = get_small(records[k], "level01_sequence", 0, 0, 999999, rat);
            r.option = get_small(records[k], "option", 0, 0, 99999, rat);
            r.fields = read_fields(records[k], rat, false);
            src.records.push_back(std::move(r));
        }
        s.cobol_sources.push_back(std::move(src));
    }
    const auto& host_files = get_array(root, "host_files", "fixture");
    for (std::size_t i = 0; i < host_files.size(); ++i) {
        s.host_files.push_back(read_host_file(host_files[i], "host_files[" + std::to_string(i) + "]"));
    }
    const auto& commands = get_array(root, "environment_commands", "fixture");
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::string at = "environment_commands[" + std::to_string(i) + "]";
        require_object(commands[i], at);
        EnvironmentCommand c;
        c.command = get_text(commands[i], "command", at, 999, true);
        c.response = get_text(commands[i], "response", at);
        s.environment_commands.push_back(std::move(c));
    }
    if (member(root, "default_environment_response")) {
        s.default_environment_response = get_text(root, "default_environment_response", "fixture");
    }
}

// ---- writing ----

json write_limits(const Limits& l) {
    return json{{"where_required", l.where_required}, {"linear_selects", l.linear_selects},
                {"linear_joins", l.linear_joins}, {"row_limit_kind", l.row_limit_kind}, {"row_count", l.row_count}};
}

json write_global(const GlobalOptions& g) {
    return json{{"description", g.description},
                {"usercode", g.usercode},
                {"translation", g.translation},
                {"priority", g.priority},
                {"date_base_month", g.date_base_month},
                {"date_base_day", g.date_base_day},
                {"date_base_year", g.date_base_year},
                {"library_kind", g.library_kind},
                {"program_security", g.program_security},
                {"security_use", g.security_use},
                {"security_type", g.security_type},
                {"guard_file", g.guard_file},
                {"unique_indices", g.unique_indices},
                {"app_name", g.app_name},
                {"hide_fields", g.hide_fields}};
}

json write_field(const Field& f) {
    static const char* const kinds[] = {"host", "user", "calculated"};
    json j{{"number", f.number},   {"host_name", f.host_name}, {"name", f.name},
           {"kind", kinds[f.kind]}, {"visible", f.visible},     {"update_allowed", f.update_allowed},
           {"type", f.type},        {"offset", f.offset},       {"length", f.length},
           {"decimals", f.decimals}, {"date_kind", f.date_kind}, {"date_format", f.date_format}};
    if (f.kind == 1) {
        j["offset_value"] = f.offset_value;
        j["offset_in_chars"] = f.offset_in_chars;
        j["offset_from_start"] = f.offset_from_start;
        j["base_field"] = f.base_field;
    }
    if (f.kind == 2) j["expression"] = f.expression;
    return j;
}

json write_fields(const std::vector<Field>& fields) {
    json list = json::array();
    for (const auto& f : fields) list.push_back(write_field(f));
    return list;
}

json write_table(const Table& t) {
    json sets = json::array();
    for (const auto& s : t.sets) {
        json keys = json::array();
        for (const auto& k : s.keys) keys.push_back(json{{"field", k.field}, {"first", k.first}, {"second", k.second}});
        sets.push_back(json{{"name", s.name}, {"first", s.first}, {"second", s.second}, {"third", s.third}, {"keys", keys}});
    }
    json members = json::array();
    for (const auto& m : t.members) {
        json fields = json::array();
        for (const auto& f : m.join_fields) {
            fields.push_back(json{{"field", f.field}, {"kind", f.kind}, {"member", f.member}, {"value", f.value}});
        }
        members.push_back(json{{"sub_table", m.sub_table}, {"where", m.where}, {"set", m.set},
                               {"join_kind", m.join_kind}, {"join_fields", fields}});
    }
    json j{{"number", t.number},
           {"name", t.name},
           {"option", t.option},
           {"update_allowed", t.update_allowed},
           {"return_groups", t.return_groups},
           {"join", t.join},
           {"database", t.database},
           {"dataset", t.dataset},
           {"set", t.set},
           {"description_file", t.description_file},
           {"where", t.where},
           {"fields", write_fields(t.fields)},
           {"sets", sets}};
    if (t.join) j["members"] = members;
    return j;
}

json write_config_file(const ConfigFile& f) {
    json tables = json::array();
    for (const auto& t : f.tables) tables.push_back(write_table(t));
    json apps = json::array();
    for (const auto& a : f.applications) {
        json app{{"number", a.number}, {"program", a.program}, {"update_allowed", a.update_allowed}};
        if (a.local_limits) app["local_limits"] = write_limits(*a.local_limits);
        if (a.tables) {
            json list = json::array();
            for (const auto& t : *a.tables) list.push_back(json{{"number", t.number}, {"update_allowed", t.update_allowed}});
            app["tables"] = list;
        }
        apps.push_back(app);
    }
    json children = json::array();
    for (const auto& c : f.children) children.push_back(write_config_file(c));
    return json{{"number", f.number},           {"name", f.name},     {"global_options", write_global(f.global)},
                {"limits", write_limits(f.limits)}, {"tables", tables}, {"applications", apps},
                {"children", children}};
}

json write_state(const HostState& s) {
    json users = json::array();
    for (const auto& u : s.users) {
        users.push_back(json{{"name", u.name}, {"password", u.password}, {"max_message_size", u.max_message_size}});
    }
    json files = json::array();
    for (const auto& f : s.config_files) files.push_back(write_config_file(f));
    json descs = json::array();
    for (const auto& d : s.description_files) {
        json dbs = json::array();
        for (const auto& db : d.databases) {
            json sets = json::array();
            for (const auto& ds : db.datasets) sets.push_back(json{{"name", ds.name}, {"type", ds.type}});
            dbs.push_back(json{{"name", db.name}, {"datasets", sets}});
        }
        descs.push_back(json{{"name", d.name}, {"databases", dbs}});
    }
    json sources = json::array();
    for (const auto& src : s.cobol_sources) {
        json records = json::array();
        for (const auto& r : src.records) {
            records.push_back(json{{"fd_name", r.fd_name},
                                   {"fd_sequence", r.fd_sequence},
                                   {"level01_name", r.level01_name},
                                   {"level01_sequence", r.level01_sequence},
                                   {"option", r.option},
                                   {"fields", write_fields(r.fields)}});
        }
        sources.push_back(json{{"file", src.file}, {"records", records}});
    }
    json host_files = json::array();
    for (const auto& f : s.host_files) {
        const auto& a = f.attributes;
        json attrs{{"a1", a.a1},
                   {"a2", a.a2},
                   {"a3", a.a3},
                   {"frame_size", a.frame_size},
                   {"record_size", a.record_size},
                   {"a4", a.a4},
                   {"a5", a.a5},
                   {"a6", a.a6},
                   {"record_count", a.record_count},
                   {"f1", a.f1},
                   {"f2", a.f2},
                   {"f3", a.f3},
                   {"f4", a.f4},
                   {"raw12", json{{"hex", encode_hex(a.raw12)}}},
                   {"t1", a.t1},
                   {"t2", a.t2}};
        json contents = f.contents ? write_bytes(*f.contents) : json{{"generate", json{{"seed", f.generated_seed}}}};
        host_files.push_back(json{{"name", f.name}, {"attributes", attrs}, {"extra", write_bytes(f.extra)}, {"contents", contents}});
    }
    json commands = json::array();
    for (const auto& c : s.environment_commands) commands.push_back(json{{"command", c.command}, {"response", c.response}});
    return json{{"version",
                 json{{"level", s.version.level},
                      {"release", s.version.release},
                      {"protocol", s.version.protocol},
                      {"admin_protocol", s.version.admin_protocol},
                      {"text", s.version.text},
                      {"filler", s.version.filler}}},
                {"users", users},
                {"default_options",
                 json{{"update_allowed", s.default_options.update_allowed},
                      {"return_groups", s.default_options.return_groups}}},
                {"config_files", files},
                {"description_files", descs},
                {"cobol_sources", sources},
                {"host_files", host_files},
                {"environment_commands", commands},
                {"default_environment_response", s.default_environment_response}};
}

}  // namespace

int load_fixture_text(const std::string& text, HostState& state, std::string& error) {
    try {
        const json root = json::parse(text);
        HostState fresh;
        read_state(root, fresh);
        state = std::move(fresh);
        return 0;
    } catch (const FixtureError& e) {
        error = e.what();
    } catch (const json::exception& e) {
        error = std::string("fixture is not valid JSON: ") + e.what();
    } catch (const std::exception& e) {
        error = std::string("fixture cannot be read: ") + e.what();
    }
    return 1;
}

int load_fixture_file(const std::string& path, HostState& state, std::string& error) {
    std::string text;
    if (!platform::read_whole_file(path, text)) {
        error = "cannot read fixture file " + path;
        return 1;
    }
    if (load_fixture_text(text, state, error) != 0) {
        error = path + ": " + error;
        return 1;
    }
    return 0;
}

std::string fixture_text(const HostState& state) {
    try {
        return write_state(state).dump(2, ' ', false, json::error_handler_t::replace) + "\n";
    } catch (const std::exception&) {
        return {};
    }
}

int save_fixture_file(const std::string& path, const HostState& state, std::string& error) {
    const std::string text = fixture_text(state);
    if (text.empty()) {
        error = "cannot encode the host state";
        return 1;
    }
    if (!platform::write_file_atomically(path, text)) {
        error = "cannot write " + path;
        return 1;
    }
    return 0;
}

}  // namespace kestra::hostsim

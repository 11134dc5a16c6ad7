#include "corvel/corvel.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/profile_file.h"

namespace {

struct ProviderSlot {
    std::string name;
    std::string library;                              // empty for a static provider
    CorvelProviderEntryPointsFn static_fn = nullptr;  // set for a static provider
};

struct LoadedLibrary {
    std::string library;
    void* handle = nullptr;
    int references = 0;
};

std::mutex shell_lock;
std::vector<ProviderSlot> static_providers;
std::vector<LoadedLibrary> loaded;
thread_local std::string name_result;

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(const std::string& a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string program_directory() {
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string p(path, static_cast<std::size_t>(n));
    std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

std::string trim(std::string s) {
    std::size_t b = s.find_first_not_of(" \t");
    std::size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The providers named in section "corvel" of kestra.ini, then the static ones; at most 8 in all.
std::vector<ProviderSlot> provider_list() {
    std::vector<ProviderSlot> list;
    kestra::platform::ProfileFile ini(kestra::platform::settings_file_path());
    ini.load();
    std::string dir = program_directory();
    if (!ini.has_section("corvel")) {
        list.push_back({"Tavlink", dir + "/libtavlink.so", nullptr});
    } else {
        std::string names = ini.get_string("corvel", "providers", "");
        std::size_t pos = 0;
        while (pos <= names.size() && list.size() < CORVEL_MAX_PROVIDERS) {
            std::size_t comma = names.find(',', pos);
            std::string name = trim(names.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
            pos = (comma == std::string::npos) ? names.size() + 1 : comma + 1;
            if (name.empty()) continue;
            if (name.size() > CORVEL_MAX_NAME) name.resize(CORVEL_MAX_NAME);
            std::string library = ini.get_string("corvel", name, "");
            if (library.empty()) library = "lib" + name + ".so";
            if (library.front() != '/') library = dir + "/" + library;
            list.push_back({name, library, nullptr});
        }
    }
    for (const ProviderSlot& s : static_providers) {
        if (list.size() >= CORVEL_MAX_PROVIDERS) break;
        list.push_back(s);
    }
    return list;
}

}  // namespace

extern "C" {

int16_t corvel_list_providers(char* buffer) {
    if (buffer == nullptr) return -1;
    std::lock_guard<std::mutex> guard(shell_lock);
    std::size_t at = 0;
    for (const ProviderSlot& p : provider_list()) {
        if (at + p.name.size() + 2 > CORVEL_LIST_BUFFER) break;  // the name, its zero and the final zero
        std::memcpy(buffer + at, p.name.data(), p.name.size());
        at += p.name.size();
        buffer[at++] = '\0';
    }
    buffer[at] = '\0';
    return 0;
}

int16_t corvel_get_entry_points(int index, ProviderEntryTable* table) {
    if (table == nullptr) return 1;
    std::lock_guard<std::mutex> guard(shell_lock);
    std::vector<ProviderSlot> list = provider_list();
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return 1;
    const ProviderSlot& slot = list[static_cast<std::size_t>(index)];
    std::memset(table, 0, sizeof *table);
    if (slot.static_fn != nullptr) return slot.static_fn(table) == 0 ? 0 : 1;

    void* handle = ::dlopen(slot.library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return 2;
    auto fn = reinterpret_cast<CorvelProviderEntryPointsFn>(::dlsym(handle, CORVEL_PROVIDER_ENTRY_SYMBOL));
    if (fn == nullptr || fn(table) != 0) {
        ::dlclose(handle);
        std::memset(table, 0, sizeof *table);
        return 3;
    }
    for (LoadedLibrary& l : loaded) {
        if (l.library == slot.library) {
            ++l.references;
            ::dlclose(handle);  // the first handle keeps the library mapped
            return 0;
        }
    }
    loaded.push_back({slot.library, handle, 1});
    return 0;
}

int16_t corvel_release_provider(int index) {
    std::lock_guard<std::mutex> guard(shell_lock);
    std::vector<ProviderSlot> list = provider_list();
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return 1;
    const ProviderSlot& slot = list[static_cast<std::size_t>(index)];
    if (slot.static_fn != nullptr) return 0;
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        if (loaded[i].library != slot.library) continue;
        if (--loaded[i].references == 0) {
            ::dlclose(loaded[i].handle);
            loaded.erase(loaded.begin() + static_cast<std::ptrdiff_t>(i));
        }
        return 0;
    }
    return 1;
}

int8_t corvel_find_provider(const char* name) {
    if (name == nullptr) return -1;
    std::lock_guard<std::mutex> guard(shell_lock);
    std::vector<ProviderSlot> list = provider_list();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (same_name(list[i].name, name)) return static_cast<int8_t>(i);
    return -1;
}

const char* corvel_provider_name(int index) {
    std::lock_guard<std::mutex> guard(shell_lock);
    std::vector<ProviderSlot> list = provider_list();
    name_result.clear();
    if (index >= 0 && static_cast<std::size_t>(index) < list.size()) name_result = list[static_cast<std::size_t>(index)].name;
    return name_result.c_str();
}

void corvel_register_static_provider(const char* name, CorvelProviderEntryPointsFn entry_points) {
    std::lock_guard<std::mutex> guard(shell_lock);
    if (entry_points == nullptr || name == nullptr) {
        static_providers.clear();
        return;
    }
    std::string n(name);
    if (n.size() > CORVEL_MAX_NAME) n.resize(CORVEL_MAX_NAME);
    for (ProviderSlot& s : static_providers) {
        if (s.name == n) {
            s.static_fn = entry_points;
            return;
        }
    }
    static_providers.push_back({n, std::string(), entry_points});
}

}  // extern "C"

#include "tavlink/setup_model.h"

#include <cstdlib>
#include <utility>

namespace kestra::tavlink {

namespace {

// What a number edit holds; anything that is not a plain number counts as 0, which the range checks then mend.
long number_of(const std::string& text) {
    if (text.empty() || text.size() > 9) return text.empty() ? 0 : 99999999;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

SetupModel::SetupModel(std::string ini_path, std::uint16_t global_port)
    : ini_path_(std::move(ini_path)), global_port_(global_port) {}

void SetupModel::open() {
    paths_ = read_paths(ini_path_, global_port_);
    current_ = -1;
}

std::vector<std::string> SetupModel::names() const {
    std::vector<std::string> out;
    for (const PathEntry& p : paths_) out.push_back(p.name);
    return out;
}

PathFields SetupModel::fields_of(const PathEntry& path) const {
    return {path.host, std::to_string(path.port), std::to_string(path.buffer_size), path.translate_file};
}

void SetupModel::store(const PathFields& shown) {
    if (current_ < 0 || static_cast<std::size_t>(current_) >= paths_.size()) return;
    PathEntry& p = paths_[static_cast<std::size_t>(current_)];
    p.host = shown.host;
    p.translate_file = shown.translate_file;
    p.buffer_size = clamp_buffer_size(number_of(shown.buffer_size));
    p.port = valid_port(number_of(shown.port), global_port_);
}

PathFields SetupModel::select(int index, const PathFields& shown) {
    store(shown);
    if (index < 0 || static_cast<std::size_t>(index) >= paths_.size()) {
        current_ = -1;
        return {};
    }
    current_ = index;
    return fields_of(paths_[static_cast<std::size_t>(index)]);
}

PathFields SetupModel::typed(const std::string& text, const PathFields& shown) {
    return select(find_path(paths_, text), shown);
}

SetupModel::AddResult SetupModel::name_focus_lost(const std::string& text, const PathFields& shown) {
    AddResult result;
    if (text.empty() || find_path(paths_, text) >= 0) {
        result.fields = current_ >= 0 ? shown : PathFields{};
        return result;
    }
    if (paths_.size() >= kMaxPaths) {
        result.beep = true;
        result.fields = shown;
        return result;
    }
    store(shown);
    PathEntry path;
    path.name = text.substr(0, kPathNameMax);
    path.port = global_port_;
    path.buffer_size = kMinBufferSize;
    paths_.push_back(std::move(path));
    current_ = static_cast<int>(paths_.size() - 1);
    result.added = true;
    result.fields = fields_of(paths_.back());
    return result;
}

int SetupModel::remove(const std::string& text) {
    const int index = find_path(paths_, text);
    if (index < 0) return -1;
    paths_.erase(paths_.begin() + index);
    current_ = -1;
    return index;
}

bool SetupModel::ok(const PathFields& shown) {
    store(shown);
    return write_paths(paths_, ini_path_);
}

void SetupModel::cancel() {
    open();
}

}  // namespace kestra::tavlink

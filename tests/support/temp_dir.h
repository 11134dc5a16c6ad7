#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kestra::testing {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string templ = (std::filesystem::temp_directory_path() / "kestra-test-XXXXXX").string();
        if (::mkdtemp(templ.data()) != nullptr) path_ = templ;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::string write(const std::string& name, const std::string& contents) const {
        std::string p = file(name);
        std::ofstream(p, std::ios::binary) << contents;
        return p;
    }
    static std::string read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string path_;
};

// Points $KESTRA_INI at a file for the life of the object.
class ScopedIni {
public:
    explicit ScopedIni(const std::string& path) {
        if (const char* old = std::getenv("KESTRA_INI")) old_ = old, had_ = true;
        ::setenv("KESTRA_INI", path.c_str(), 1);
    }
    ~ScopedIni() {
        if (had_)
            ::setenv("KESTRA_INI", old_.c_str(), 1);
        else
            ::unsetenv("KESTRA_INI");
    }
    ScopedIni(const ScopedIni&) = delete;
    ScopedIni& operator=(const ScopedIni&) = delete;

private:
    std::string old_;
    bool had_ = false;
};

}  // namespace kestra::testing

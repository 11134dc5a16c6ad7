// Program files are whatever a user picks: any bytes must give a name of at most 15 printable characters or one of
// the reader's messages, without reading outside the file.
#include "workspace/module_name_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

namespace ws = kestra::workspace;

namespace {

class Buffer : public ws::ByteSource {
  public:
    Buffer(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset >= size_) return 0;
        const std::size_t n = std::min<std::size_t>(out.size(), size_ - static_cast<std::size_t>(offset));
        if (n > 0) std::memcpy(out.data(), data_ + offset, n);
        return n;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Buffer bytes(data, size);
    const ws::ModuleNameResult r = ws::read_module_name(bytes, "fuzz.exe");
    if (r.ok) {
        if (r.text.size() > 15) std::abort();
        for (const char c : r.text)
            if (static_cast<unsigned char>(c) < 33) std::abort();
    } else if (r.text != ws::kModuleShortHeader && r.text != ws::kModuleNotExe && r.text != ws::kModuleNotWindows) {
        std::abort();
    }
    return 0;
}

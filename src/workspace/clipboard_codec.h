#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestra::workspace {

// A branch of the tree as it travels on the clipboard and in drags.
struct ClipNode {
    std::string name;
    std::int32_t number = 0;  // carried by the plain text only
    bool collapsed = false;
    std::vector<ClipNode> children;
};

// The private format: the name (a 32-bit little-endian length and the bytes), a 16-bit collapsed value, the
// 32-bit count of children, and each child in the same form.
inline constexpr std::size_t kMaxClipDepth = 20;  // the root is depth 0
inline constexpr std::size_t kMaxClipName = 999;
inline constexpr std::size_t kMaxTextLine = 256;  // bytes of a plain-text line, its CR LF included

std::string encode_private(const ClipNode& node);
// Reads the whole of `data` as one branch. Every length and count is checked against what is left before it is
// used; deeper than kMaxClipDepth, a name longer than kMaxClipName, more children than the bytes left could hold,
// or bytes left over reject it all.
std::optional<ClipNode> decode_private(std::string_view data);

// The plain text: one line per node in tree order, ended by CR LF: a TAB per level, the number in exactly two
// digits (zero-padded; a longer number keeps its first two), then the name.
std::string encode_text(const ClipNode& node);

// Reads plain text back. An empty line (or the end) ends the read; so does a second line at the top level. A
// line indented more than one level deeper than the one before, or by kMaxClipDepth TABs or more, a line longer
// than kMaxTextLine, or one without two digits after its TABs rejects it all; `trace` then receives the line the
// program traces. Empty text gives nothing.
std::optional<ClipNode> decode_text(std::string_view text, std::string* trace = nullptr);

inline constexpr const char* kTooManyTabsTrace = "Text file contains too many tabs = aborting read\n";
inline constexpr const char* kTooLongLineTrace = "Text file contains too long a line - aborting read\n";
inline constexpr const char* kNoNumberTrace = "Text file line has no configuration number - aborting read\n";

}  // namespace kestra::workspace

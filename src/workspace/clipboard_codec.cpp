#include "workspace/clipboard_codec.h"

#include <cstring>

namespace kestra::workspace {

namespace {

// The smallest node: an empty name, the collapsed value and a zero count.
constexpr std::size_t kSmallestNode = 4 + 2 + 4;

void put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFFu);
}

void encode_into(std::string& out, const ClipNode& node) {
    put32(out, static_cast<std::uint32_t>(node.name.size()));
    out += node.name;
    out += static_cast<char>(node.collapsed ? 1 : 0);
    out += '\0';
    put32(out, static_cast<std::uint32_t>(node.children.size()));
    for (const ClipNode& child : node.children) encode_into(out, child);
}

class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}
    std::size_t left() const { return data_.size() - at_; }
    bool take(std::size_t n, std::string_view& out) {
        if (n > left()) return false;
        out = data_.substr(at_, n);
        at_ += n;
        return true;
    }
    bool u32(std::uint32_t& v) {
        std::string_view b;
        if (!take(4, b)) return false;
        v = 0;
        for (std::size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[i])) << (8 * i);
        return true;
    }
    bool u16(std::uint16_t& v) {
        std::string_view b;
        if (!take(2, b)) return false;
        v = static_cast<std::uint16_t>(static_cast<unsigned char>(b[0]) | (static_cast<unsigned char>(b[1]) << 8));
        return true;
    }

private:
    std::string_view data_;
    std::size_t at_ = 0;
};

bool decode_node(Reader& in, ClipNode& node, std::size_t depth) {
    if (depth > kMaxClipDepth) return false;
    std::uint32_t length = 0;
    if (!in.u32(length) || length > kMaxClipName) return false;
    std::string_view name;
    if (!in.take(length, name)) return false;
    node.name.assign(name);
    std::uint16_t collapsed = 0;
    if (!in.u16(collapsed)) return false;
    node.collapsed = collapsed != 0;
    std::uint32_t count = 0;
    if (!in.u32(count) || count > in.left() / kSmallestNode) return false;
    node.children.resize(count);
    for (ClipNode& child : node.children)
        if (!decode_node(in, child, depth + 1)) return false;
    return true;
}

void text_into(std::string& out, const ClipNode& node, std::size_t depth) {
    out.append(depth, '\t');
    const std::string digits = std::to_string(node.number < 0 ? 0 : node.number);
    out += digits.size() < 2 ? "0" + digits : digits.substr(0, 2);
    out += node.name;
    out += "\r\n";
    for (const ClipNode& child : node.children) text_into(out, child, depth + 1);
}

bool digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string encode_private(const ClipNode& node) {
    std::string out;
    encode_into(out, node);
    return out;
}

std::optional<ClipNode> decode_private(std::string_view data) {
    Reader in(data);
    ClipNode root;
    if (!decode_node(in, root, 0) || in.left() != 0) return std::nullopt;
    return root;
}

std::string encode_text(const ClipNode& node) {
    std::string out;
    text_into(out, node, 0);
    return out;
}

std::optional<ClipNode> decode_text(std::string_view text, std::string* trace) {
    auto refuse = [trace](const char* why) -> std::optional<ClipNode> {
        if (trace != nullptr) *trace = why;
        return std::nullopt;
    };
    std::optional<ClipNode> root;
    // The path from the root to the node read last: where the next line's parent is found.
    std::vector<ClipNode*> path;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        const bool last = end == std::string_view::npos;
        if (last) end = text.size();
        if (end - at + (last ? 0 : 1) > kMaxTextLine) return refuse(kTooLongLineTrace);
        std::string_view line = text.substr(at, end - at);
        at = last ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) break;
        std::size_t tabs = 0;
        while (tabs < line.size() && line[tabs] == '\t') ++tabs;
        if (tabs >= kMaxClipDepth || tabs > path.size()) return refuse(kTooManyTabsTrace);
        if (line.size() < tabs + 2 || !digit(line[tabs]) || !digit(line[tabs + 1])) return refuse(kNoNumberTrace);
        if (tabs == 0 && root) break;
        ClipNode node;
        node.number = (line[tabs] - '0') * 10 + (line[tabs + 1] - '0');
        node.name.assign(line.substr(tabs + 2));
        path.resize(tabs);
        if (tabs == 0) {
            root = std::move(node);
            path.push_back(&*root);
        } else {
            path.back()->children.push_back(std::move(node));
            path.push_back(&path.back()->children.back());
        }
    }
    return root;
}

}  // namespace kestra::workspace

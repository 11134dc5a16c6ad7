#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestra::model {

// What a setter does with a text longer than its field allows.
enum class TextFit {
    refuse,  // keep the old value and report false
    cut,     // keep the leading characters that fit and report false
};

// Longest text the wire can carry: a 3-digit length prefix.
inline constexpr std::size_t kMaxWireText = 999;

// A text field with a fixed maximum length. Every way in goes through assign(), so a record can never hold more
// than its field allows, whatever the host or the administrator hands it.
template <std::size_t N>
class BoundedText {
public:
    static constexpr std::size_t max_length = N;

    BoundedText() = default;

    // True when the whole text was stored.
    bool assign(std::string_view text, TextFit fit = TextFit::refuse) {
        if (text.size() <= N) {
            value_.assign(text);
            return true;
        }
        if (fit == TextFit::cut) value_.assign(text.substr(0, N));
        return false;
    }

    const std::string& str() const { return value_; }
    std::string_view view() const { return value_; }
    const char* c_str() const { return value_.c_str(); }
    std::size_t size() const { return value_.size(); }
    bool empty() const { return value_.empty(); }
    void clear() { value_.clear(); }

    friend bool operator==(const BoundedText& a, const BoundedText& b) { return a.value_ == b.value_; }
    friend bool operator==(const BoundedText& a, std::string_view b) { return a.value_ == b; }

private:
    std::string value_;
};

// A text whose only bound is what the wire can carry.
using WireText = BoundedText<kMaxWireText>;

}  // namespace kestra::model

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestra::workspace {

inline constexpr const char* kEnterInteger = "Please enter an integer.";

// Why OK was refused: the message and the control (by resource id) that gets the focus.
struct FormRefusal {
    int control = 0;
    std::string message;
    friend bool operator==(const FormRefusal&, const FormRefusal&) = default;
};

// A group of radio buttons standing for a code 0..count-1. The code it opened with goes back when nobody touched
// the group, so a code this program does not know survives an edit; such a code leaves every button unchecked.
class CodedChoice {
  public:
    explicit CodedChoice(int count) : count_(count) {}

    void load(std::int32_t code) {
        opened_ = code;
        chosen_.reset();
    }
    // The button to check, or -1 for none.
    int checked() const {
        const std::int32_t code = stored();
        return code >= 0 && code < count_ ? static_cast<int>(code) : -1;
    }
    // A person checked button `index`; anything outside the group is ignored, never stored.
    void choose(int index) {
        if (index >= 0 && index < count_) chosen_ = index;
    }
    std::int32_t stored() const { return chosen_ ? static_cast<std::int32_t>(*chosen_) : opened_; }

  private:
    int count_;
    std::int32_t opened_ = 0;
    std::optional<int> chosen_;
};

// The text with leading and trailing blanks removed.
std::string trim_blanks(std::string_view text);

// A whole number typed into a field, blanks around it allowed. Refuses with "Please enter an integer." or
// "Please enter an integer between %1 and %2." for `control`.
std::optional<FormRefusal> parse_form_integer(std::string_view text, std::int64_t min, std::int64_t max, int control,
                                              std::int64_t& out);

// A text longer than `max_bytes` (Latin-1, one byte a character) is refused, unless it is the text the field was
// loaded with: host texts go back whole.
std::optional<FormRefusal> check_typed_length(std::string_view text, std::string_view loaded, std::size_t max_bytes,
                                              int control);

}  // namespace kestra::workspace

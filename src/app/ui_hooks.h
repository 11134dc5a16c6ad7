#pragma once

#include <string>

namespace kestra::app {

enum class MessageIcon { None, Information, Warning, Stop, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

// What the program needs from its user interface outside the windows themselves. The windowed front end
// installs its own; without one, message boxes go to standard error and the wait cursor is only counted.
class UiHooks {
  public:
    virtual ~UiHooks() = default;
    // An empty caption means the program's default caption.
    virtual MessageResult message_box(const std::string& text, const std::string& caption, MessageIcon icon,
                                      MessageButtons buttons) = 0;
    virtual void show_wait_cursor() = 0;
    virtual void restore_cursor() = 0;
};

// Writes each message box to standard error and answers it with its first button.
class StderrUiHooks : public UiHooks {
  public:
    MessageResult message_box(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    void show_wait_cursor() override {}
    void restore_cursor() override {}
};

// The hooks in force; never null. Passing null restores the standard-error hooks. The caller keeps ownership.
UiHooks& ui_hooks();
void set_ui_hooks(UiHooks* hooks);

inline MessageResult message_box(const std::string& text, const std::string& caption = {},
                                 MessageIcon icon = MessageIcon::None, MessageButtons buttons = MessageButtons::Ok) {
    return ui_hooks().message_box(text, caption, icon, buttons);
}

}  // namespace kestra::app

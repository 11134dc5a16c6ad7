#pragma once

#include "app/ui_hooks.h"

namespace kestra::ui {

// The program's message boxes and wait cursor as Qt shows them. The wait cursor is an override cursor, so it
// shows over every window while a request runs.
class QtUiHooks : public app::UiHooks {
  public:
    app::MessageResult message_box(const std::string& text, const std::string& caption, app::MessageIcon icon,
                                   app::MessageButtons buttons) override;
    void show_wait_cursor() override;
    void restore_cursor() override;
};

// The caption of message boxes that name none.
inline constexpr const char* kProgramCaption = "Admin";

}  // namespace kestra::ui

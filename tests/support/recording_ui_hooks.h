#pragma once

#include <string>
#include <vector>

#include "app/ui_hooks.h"

namespace kestra::testing {

// Records message boxes and cursor changes instead of showing them; installed for the life of the object.
class RecordingUiHooks : public app::UiHooks {
  public:
    RecordingUiHooks() { app::set_ui_hooks(this); }
    ~RecordingUiHooks() override { app::set_ui_hooks(nullptr); }
    RecordingUiHooks(const RecordingUiHooks&) = delete;
    RecordingUiHooks& operator=(const RecordingUiHooks&) = delete;

    app::MessageResult message_box(const std::string& text, const std::string& caption, app::MessageIcon icon,
                                   app::MessageButtons) override {
        boxes.push_back(text);
        captions.push_back(caption);
        icons.push_back(icon);
        return app::MessageResult::Ok;
    }
    void show_wait_cursor() override { ++shown; }
    void restore_cursor() override { ++restored; }

    std::vector<std::string> boxes;
    std::vector<std::string> captions;
    std::vector<app::MessageIcon> icons;
    int shown = 0;
    int restored = 0;
};

}  // namespace kestra::testing

#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/ui_hooks.h"

namespace kestra::testing {

// Records message boxes and cursor changes instead of showing them; installed for the life of the object. Each
// box takes the next scripted answer, or OK when none is left (Yes for a Yes/No box).
class RecordingUiHooks : public app::UiHooks {
  public:
    RecordingUiHooks() { app::set_ui_hooks(this); }
    ~RecordingUiHooks() override { app::set_ui_hooks(nullptr); }
    RecordingUiHooks(const RecordingUiHooks&) = delete;
    RecordingUiHooks& operator=(const RecordingUiHooks&) = delete;

    app::MessageResult message_box(const std::string& text, const std::string& caption, app::MessageIcon icon,
                                   app::MessageButtons buttons) override {
        boxes.push_back(text);
        captions.push_back(caption);
        icons.push_back(icon);
        if (!answers.empty()) {
            const app::MessageResult answer = answers.front();
            answers.pop_front();
            return answer;
        }
        const bool yes_no = buttons == app::MessageButtons::YesNo || buttons == app::MessageButtons::YesNoCancel;
        return yes_no ? app::MessageResult::Yes : app::MessageResult::Ok;
    }
    // The number of wait cursors still shown.
    int waiting() const { return shown - restored; }
    void show_wait_cursor() override { ++shown; }
    void restore_cursor() override { ++restored; }

    std::vector<std::string> boxes;
    std::vector<std::string> captions;
    std::vector<app::MessageIcon> icons;
    std::deque<app::MessageResult> answers;
    int shown = 0;
    int restored = 0;
};

}  // namespace kestra::testing

#include "app/ui_hooks.h"

#include <cstdio>

namespace kestra::app {

namespace {

StderrUiHooks& stderr_hooks() {
    static StderrUiHooks hooks;
    return hooks;
}

UiHooks* current_hooks = nullptr;

}  // namespace

MessageResult StderrUiHooks::message_box(const std::string& text, const std::string& caption, MessageIcon icon,
                                         MessageButtons buttons) {
    const char* kind = icon == MessageIcon::Stop ? "error" : icon == MessageIcon::Warning ? "warning" : "note";
    std::fprintf(stderr, "%s: %s: %s\n", caption.empty() ? "admin" : caption.c_str(), kind, text.c_str());
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? MessageResult::Yes
                                                                                      : MessageResult::Ok;
}

UiHooks& ui_hooks() {
    return current_hooks != nullptr ? *current_hooks : stderr_hooks();
}

void set_ui_hooks(UiHooks* hooks) {
    current_hooks = hooks;
}

}  // namespace kestra::app

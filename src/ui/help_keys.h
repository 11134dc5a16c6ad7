#pragma once

namespace kestra::ui {

// Makes F1 in any window named dlg_... open that window's help page, Shift+F1 start What's-This there, and a
// What's-This click on a control without a text of its own open its window's page. Windows built later need
// nothing more than their name. Installing it again changes nothing.
void install_help_keys();

}  // namespace kestra::ui

#pragma once

namespace kestra::ui {

// The desktop program: reads the settings, shows the main window where it was, runs the Connect dialog until a
// login succeeds or the user cancels, then the event loop.
int run_admin(int argc, char** argv);

}  // namespace kestra::ui

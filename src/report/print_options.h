#pragma once

namespace kestra::report {

// The six flags of the "Print Options" window, with its defaults. They live as long as the window that owns them
// and are never saved.
struct PrintOptions {
    bool global_options = true;
    bool limits = true;
    bool applications = true;
    bool names = true;  // the tables section
    bool detail = false;
    bool fields = false;

    // What OK does: details or fields of a table are never printed without its name.
    void confirm() {
        if (detail || fields) names = true;
    }
};

}  // namespace kestra::report

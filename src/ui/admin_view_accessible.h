#pragma once

namespace kestra::ui {

// Makes the tree view readable by screen readers: a tree whose items are its visible nodes, each with its name,
// its place and whether it is selected. Installed once, by the first tree view.
void install_admin_view_accessibility();

}  // namespace kestra::ui

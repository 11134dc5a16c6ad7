#pragma once

class QButtonGroup;

namespace kestra::ui {

// Makes a group of exclusive buttons one Tab stop at its checked button (its first while none is checked), kept so
// as the checked button changes. The toolkit on its own keeps the stop at whichever button last had the focus, so
// Tab into a group whose value was set by the program landed on the first button rather than the chosen one.
void tab_stop_on_checked(QButtonGroup* group);

}  // namespace kestra::ui

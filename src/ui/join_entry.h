#pragma once
namespace kestra::ui {
class CClientConfigView;
// Create Table's "Join" choice: Edit Join, empty, titled "New Join"; on OK the join is added and selected.
void new_join(CClientConfigView& view);
// Edits the join table at `index` of the file selected in the view (the view's table list index).
void edit_join(CClientConfigView& view, int index);
}  // namespace kestra::ui

#pragma once

namespace kestra::app {

// Begin and end nest: only the first begin shows the wait cursor and only the matching last end restores it.
// An end without a begin leaves the count at 0.
void begin_wait_cursor();
void end_wait_cursor();

// Shows the wait cursor for the life of the object.
class WaitCursor {
  public:
    WaitCursor() { begin_wait_cursor(); }
    ~WaitCursor() { end_wait_cursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace kestra::app

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tavlink/path_settings.h"

namespace kestra::tavlink {

// The four edits of the setup dialog that belong to the current path, as typed.
struct PathFields {
    std::string host;
    std::string port;
    std::string buffer_size;
    std::string translate_file;
    bool operator==(const PathFields&) const = default;
};

// Typing limits of the setup dialog's fields.
constexpr std::size_t kPathNameMax = 31;
constexpr std::size_t kPathHostMax = 63;
constexpr std::size_t kPathPortMax = 5;
constexpr std::size_t kPathBufferSizeMax = 5;
constexpr std::size_t kPathTranslateFileMax = 254;

// The logic of the "TCP/IP Winsock Transport Setup" dialog over its own copy of the paths in kestra.ini: the names
// in the combo box (item n is path n), the current path whose fields the edits show, adding a name typed in the
// combo box, deleting one, OK writing every path and Cancel discarding every change. The provider's own table is
// not touched; whoever runs the dialog reloads it after OK.
class SetupModel {
  public:
    SetupModel(std::string ini_path, std::uint16_t global_port);

    // Reads the paths; no path is current.
    void open();

    const std::vector<PathEntry>& paths() const { return paths_; }
    std::vector<std::string> names() const;
    // The current path's index, or -1.
    int current() const { return current_; }

    // Puts the edits into the current path (nothing without one); the buffer size is forced into 1920..8192, a
    // port outside 1..65535 becomes the global port.
    void store(const PathFields& shown);
    // A name chosen from the list: the current path is stored from `shown`, the chosen one becomes current, and
    // its fields are returned for the edits.
    PathFields select(int index, const PathFields& shown);
    // Text typed into the combo box: when it names a path (letter case ignored) that path is selected as above;
    // otherwise the current path is stored, no path is current, and the edits are cleared.
    PathFields typed(const std::string& text, const PathFields& shown);

    struct AddResult {
        bool beep = false;   // 16 paths already: nothing added
        bool added = false;  // a new path, now current, at the end of the list
        PathFields fields;   // what the edits show afterwards
    };
    // The combo box losing the focus: a non-empty name that matches no path is added with an empty host and
    // translate file, the global port and buffer size 1920.
    AddResult name_focus_lost(const std::string& text, const PathFields& shown);

    // "Delete": the path of that name (letter case ignored) is removed, later ones move up, and no path is
    // current. -1 when no path has that name (the dialog beeps), else the removed index.
    int remove(const std::string& text);

    // OK: stores the current path and writes every path; false when kestra.ini could not be written.
    bool ok(const PathFields& shown);
    // Cancel: reads the paths again, discarding every change.
    void cancel();

  private:
    PathFields fields_of(const PathEntry& path) const;

    std::string ini_path_;
    std::uint16_t global_port_;
    std::vector<PathEntry> paths_;
    int current_ = -1;
};

}  // namespace kestra::tavlink

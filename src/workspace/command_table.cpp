#include "workspace/command_table.h"

#include <array>

#include "workspace/command_ids.h"

namespace kestra::workspace {

namespace {

using R = CommandRoute;
using E = EnableRule;

constexpr std::array kCommands = {
    CommandInfo{cmd::kNewConnection, "&New Connection...\tCtrl+N", R::app, E::always, "Ctrl+N"},
    CommandInfo{cmd::kCloseConnection, "&Close Connection", R::document, E::always, ""},
    CommandInfo{cmd::kAddConfigFile, "&Add Configuration File...", R::frame, E::always, ""},
    CommandInfo{cmd::kRenameConfigFile, "&Rename Configuration File...", R::frame, E::file_unmodified, ""},
    CommandInfo{cmd::kSaveConfigFile, "&Save Configuration File", R::frame, E::file_modified, ""},
    CommandInfo{cmd::kDeleteConfigFile, "&Delete Configuration File", R::frame, E::file_childless, ""},
    CommandInfo{cmd::kPrint, "&Print\tCtrl+P", R::view, E::file_selected, "Ctrl+P"},
    CommandInfo{cmd::kPrintPreview, "Print Pre&view", R::view, E::file_selected, ""},
    CommandInfo{cmd::kExportPdf, "&Export to PDF...", R::view, E::file_selected, ""},
    CommandInfo{cmd::kPrintSetup, "Print Setup...", R::app, E::always, ""},
    CommandInfo{cmd::kExit, "E&xit", R::app, E::always, ""},
    CommandInfo{cmd::kUndo, "&Undo\tCtrl+Z", R::none, E::never, "Ctrl+Z,Alt+Backspace"},
    CommandInfo{cmd::kCut, "Cu&t Configuration file\tCtrl+X", R::frame, E::file_childless, "Ctrl+X,Shift+Del"},
    CommandInfo{cmd::kCopy, "&Copy Configuration file\tCtrl+C", R::frame, E::file_childless_unmodified,
                "Ctrl+C,Ctrl+Ins"},
    CommandInfo{cmd::kPaste, "&Paste Configuration file\tCtrl+V", R::frame, E::paste, "Ctrl+V,Shift+Ins"},
    CommandInfo{cmd::kExpandOneLevel, "E&xpand One Level\t+", R::view, E::children_collapsed, ""},
    CommandInfo{cmd::kExpandBranch, "Expand &Branch\t*", R::view, E::children, ""},
    CommandInfo{cmd::kExpandAll, "Expand &All\tCtrl+*", R::view, E::root_children, ""},
    CommandInfo{cmd::kCollapseBranch, "&Collapse Branch\t-", R::view, E::children_expanded, ""},
    CommandInfo{cmd::kToolbar, "&Toolbar", R::main_frame, E::always, ""},
    CommandInfo{cmd::kStatusBar, "&Status Bar", R::main_frame, E::always, ""},
    CommandInfo{cmd::kSecAdmin, "Sec &Admin", R::none, E::never, ""},
    CommandInfo{cmd::kDefaultOptions, "Default Options...", R::frame, E::always, ""},
    CommandInfo{cmd::kPreferences, "Preferences...", R::app, E::always, ""},
    CommandInfo{cmd::kEnvironmentCommand, "Environment Command...", R::frame, E::always, ""},
    CommandInfo{cmd::kGetFiles, "Get Files from Host...", R::frame, E::downloads_allowed, ""},
    CommandInfo{cmd::kPutFiles, "Put Files onto Host...", R::frame, E::always, ""},
    CommandInfo{cmd::kCascade, "&Cascade", R::main_frame, E::always, ""},
    CommandInfo{cmd::kTile, "&Tile", R::main_frame, E::always, ""},
    CommandInfo{cmd::kArrangeIcons, "&Arrange Icons", R::main_frame, E::always, ""},
    CommandInfo{cmd::kHelpContents, "&Contents", R::main_frame, E::always, ""},
    CommandInfo{cmd::kHelpSearch, "&Search", R::main_frame, E::always, ""},
    CommandInfo{cmd::kAbout, "&About Admin...", R::app, E::always, ""},
    CommandInfo{cmd::kUpdateAllowed, "&Update Allowed", R::view, E::always, ""},
    CommandInfo{cmd::kNextPane, "", R::frame, E::always, "F6"},
    CommandInfo{cmd::kPrevPane, "", R::frame, E::always, "Shift+F6"},
    CommandInfo{cmd::kContextHelp, "", R::app, E::always, "Shift+F1"},
    CommandInfo{cmd::kHelp, "", R::app, E::always, "F1"},
};

}  // namespace

std::span<const CommandInfo> command_table() {
    return kCommands;
}

const CommandInfo* find_command(int id) {
    for (const CommandInfo& c : kCommands)
        if (c.id == id) return &c;
    return nullptr;
}

std::string_view menu_label(const CommandInfo& command) {
    return command.text.substr(0, command.text.find('\t'));
}

}  // namespace kestra::workspace

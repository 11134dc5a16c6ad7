// Command enabling over the whole command table: what a user can reach in each state of the connection window.
#include "workspace/command_enabling.h"

#include <gtest/gtest.h>

#include <set>

#include "workspace/command_ids.h"
#include "workspace/command_table.h"
#include "workspace/menu_model.h"

namespace ws = kestra::workspace;
namespace cmd = kestra::workspace::cmd;
using ws::CommandState;
using ws::SelectedNode;

namespace {

CommandState file_state() {
    CommandState s;
    s.window = true;
    s.selected = SelectedNode::file;
    s.root_has_children = true;
    return s;
}

CommandState root_state() {
    CommandState s = file_state();
    s.selected = SelectedNode::root;
    s.has_children = true;
    return s;
}

// Every state a window can be in, as far as enabling goes.
std::vector<CommandState> all_states() {
    std::vector<CommandState> out;
    for (int bits = 0; bits < (1 << 9); ++bits) {
        for (SelectedNode sel : {SelectedNode::none, SelectedNode::root, SelectedNode::file}) {
            CommandState s;
            s.window = bits & 1;
            s.has_children = bits & 2;
            s.collapsed = bits & 4;
            s.modified = bits & 8;
            s.root_has_children = bits & 16;
            s.clipboard_owner = bits & 32;
            s.clipboard_has_data = bits & 64;
            s.allow_downloads = bits & 128;
            s.selected = sel;
            out.push_back(s);
        }
    }
    return out;
}

}  // namespace

TEST(CommandEnabling, CommandsOfTheApplicationAndMainWindowNeedNoConnectionWindow) {
    const CommandState none;
    for (int id : {cmd::kNewConnection, cmd::kPrintSetup, cmd::kExit, cmd::kToolbar, cmd::kStatusBar, cmd::kCascade,
                   cmd::kTile, cmd::kArrangeIcons, cmd::kAbout, cmd::kPreferences, cmd::kHelpContents, cmd::kHelpSearch,
                   cmd::kHelp, cmd::kContextHelp})
        EXPECT_TRUE(ws::command_enabled(id, none)) << id;
    // Without a window nothing answers the window's commands, even those that are always on inside one. Help is
    // the main window's: the Help menu of the bar without a connection window must work too.
    for (int id : {cmd::kCloseConnection, cmd::kAddConfigFile, cmd::kDefaultOptions, cmd::kEnvironmentCommand,
                   cmd::kPutFiles, cmd::kNextPane})
        EXPECT_FALSE(ws::command_enabled(id, none)) << id;
}

TEST(CommandEnabling, SecAdminAndUndoAreNeverEnabled) {
    for (const CommandState& s : all_states()) {
        ASSERT_FALSE(ws::command_enabled(cmd::kSecAdmin, s));
        ASSERT_FALSE(ws::command_enabled(cmd::kUndo, s));
    }
}

TEST(CommandEnabling, FileCommandsFollowTheSelectedNode) {
    CommandState s = file_state();
    EXPECT_TRUE(ws::command_enabled(cmd::kRenameConfigFile, s));
    EXPECT_FALSE(ws::command_enabled(cmd::kSaveConfigFile, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kDeleteConfigFile, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kCut, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kCopy, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kPrint, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kPrintPreview, s));

    // A modified file can be saved, but not renamed or copied: the copy would miss the changes.
    s.modified = true;
    EXPECT_TRUE(ws::command_enabled(cmd::kSaveConfigFile, s));
    EXPECT_FALSE(ws::command_enabled(cmd::kRenameConfigFile, s));
    EXPECT_FALSE(ws::command_enabled(cmd::kCopy, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kCut, s));

    // A file with files below it is neither cut, copied nor deleted.
    s = file_state();
    s.has_children = true;
    EXPECT_FALSE(ws::command_enabled(cmd::kDeleteConfigFile, s));
    EXPECT_FALSE(ws::command_enabled(cmd::kCut, s));
    EXPECT_FALSE(ws::command_enabled(cmd::kCopy, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kRenameConfigFile, s));

    // The root is no file: none of them, nor printing.
    s = root_state();
    for (int id : {cmd::kRenameConfigFile, cmd::kSaveConfigFile, cmd::kDeleteConfigFile, cmd::kCut, cmd::kCopy,
                   cmd::kPrint, cmd::kPrintPreview})
        EXPECT_FALSE(ws::command_enabled(id, s)) << id;
    s.modified = true;
    EXPECT_FALSE(ws::command_enabled(cmd::kSaveConfigFile, s));
}

TEST(CommandEnabling, PasteNeedsThisWindowsOwnCopyAndDataOnTheClipboard) {
    CommandState s = root_state();
    s.clipboard_has_data = true;
    EXPECT_FALSE(ws::command_enabled(cmd::kPaste, s)) << "another window copied";
    s.clipboard_owner = true;
    EXPECT_TRUE(ws::command_enabled(cmd::kPaste, s));
    s.clipboard_has_data = false;
    EXPECT_FALSE(ws::command_enabled(cmd::kPaste, s)) << "the clipboard was emptied since";
    s.clipboard_has_data = true;
    s.selected = SelectedNode::none;
    EXPECT_FALSE(ws::command_enabled(cmd::kPaste, s));
    s.selected = SelectedNode::file;
    EXPECT_TRUE(ws::command_enabled(cmd::kPaste, s));
    s.window = false;
    EXPECT_FALSE(ws::command_enabled(cmd::kPaste, s));
}

TEST(CommandEnabling, TreeCommandsFollowChildrenAndCollapsedState) {
    CommandState s = root_state();
    EXPECT_FALSE(ws::command_enabled(cmd::kExpandOneLevel, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kCollapseBranch, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kExpandBranch, s));
    s.collapsed = true;
    EXPECT_TRUE(ws::command_enabled(cmd::kExpandOneLevel, s));
    EXPECT_FALSE(ws::command_enabled(cmd::kCollapseBranch, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kExpandBranch, s));

    // A leaf: collapsed or not, nothing to expand or collapse; Expand All looks only at the root.
    s = file_state();
    s.collapsed = true;
    EXPECT_FALSE(ws::command_enabled(cmd::kExpandOneLevel, s));
    EXPECT_FALSE(ws::command_enabled(cmd::kExpandBranch, s));
    EXPECT_FALSE(ws::command_enabled(cmd::kCollapseBranch, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kExpandAll, s));
    s.root_has_children = false;
    EXPECT_FALSE(ws::command_enabled(cmd::kExpandAll, s));
}

TEST(CommandEnabling, GetFilesFollowsAllowDownloads) {
    CommandState s = root_state();
    EXPECT_FALSE(ws::command_enabled(cmd::kGetFiles, s));
    EXPECT_TRUE(ws::command_enabled(cmd::kPutFiles, s));
    s.allow_downloads = true;
    EXPECT_TRUE(ws::command_enabled(cmd::kGetFiles, s));
    s.window = false;
    EXPECT_FALSE(ws::command_enabled(cmd::kGetFiles, s));
}

TEST(CommandEnabling, EveryCommandOfAWindowIsOffWithoutOne) {
    for (const ws::CommandInfo& c : ws::command_table()) {
        if (c.route == ws::CommandRoute::app || c.route == ws::CommandRoute::main_frame) continue;
        for (const CommandState& s : all_states()) {
            if (!s.window) {
                ASSERT_FALSE(ws::command_enabled(c.id, s)) << c.id;
            }
        }
    }
    EXPECT_FALSE(ws::command_enabled(12345, root_state()));
}

TEST(MenuModel, EveryItemNamesAKnownCommandOnce) {
    auto check = [](const std::vector<ws::MenuItem>& bar) {
        std::set<int> seen;
        for (const ws::MenuItem& menu : bar) {
            EXPECT_TRUE(menu.submenu());
            for (const ws::MenuItem& it : menu.items) {
                if (it.separator()) continue;
                const ws::CommandInfo* c = ws::find_command(it.id);
                EXPECT_TRUE(c != nullptr && !c->text.empty()) << it.id;
                EXPECT_TRUE(seen.insert(it.id).second) << it.id;
            }
        }
        return seen;
    };
    const auto with = check(ws::menu_bar_with_window());
    const auto without = check(ws::menu_bar_without_window());
    // The window's bar offers whatever the bare one does.
    for (int id : without) EXPECT_TRUE(with.count(id)) << id;
    // Every menu command of the table is on the window's bar, but for the list popup's own.
    for (const ws::CommandInfo& c : ws::command_table()) {
        if (!c.text.empty() && c.id != cmd::kUpdateAllowed) {
            EXPECT_TRUE(with.count(c.id)) << c.id;
        }
    }
    for (const ws::MenuItem& it : ws::popup_menu("_SimplePopup_")) {
        if (!it.separator()) {
            EXPECT_NE(ws::find_command(it.id), nullptr) << it.id;
        }
    }
    EXPECT_TRUE(ws::popup_menu("_NoSuchPopup_").empty());
}

#include "workspace/menu_model.h"

#include "workspace/command_ids.h"

namespace kestra::workspace {

namespace {

const MenuItem kSeparator{};

MenuItem item(int id, std::string_view text = {}) {
    return MenuItem{id, text, {}};
}
MenuItem submenu(std::string_view title, std::vector<MenuItem> items) {
    return MenuItem{0, title, std::move(items)};
}

MenuItem help_menu() {
    return submenu("&Help", {item(cmd::kHelpContents), item(cmd::kHelpSearch), kSeparator, item(cmd::kAbout)});
}

}  // namespace

const std::vector<MenuItem>& menu_bar_without_window() {
    static const std::vector<MenuItem> bar = {
        submenu("&File", {item(cmd::kNewConnection), kSeparator, item(cmd::kPrintSetup), kSeparator, item(cmd::kExit)}),
        submenu("&View", {item(cmd::kToolbar), item(cmd::kStatusBar)}),
        help_menu(),
    };
    return bar;
}

const std::vector<MenuItem>& menu_bar_with_window() {
    static const std::vector<MenuItem> bar = {
        submenu("&File", {item(cmd::kNewConnection), item(cmd::kCloseConnection), kSeparator,
                          item(cmd::kAddConfigFile), item(cmd::kRenameConfigFile), item(cmd::kSaveConfigFile),
                          item(cmd::kDeleteConfigFile), kSeparator, item(cmd::kPrint), item(cmd::kPrintPreview),
                          item(cmd::kExportPdf), item(cmd::kPrintSetup), kSeparator, item(cmd::kExit)}),
        submenu("&Edit", {item(cmd::kUndo), kSeparator, item(cmd::kCut), item(cmd::kCopy), item(cmd::kPaste)}),
        submenu("&Tree", {item(cmd::kExpandOneLevel), item(cmd::kExpandBranch), item(cmd::kExpandAll),
                          item(cmd::kCollapseBranch)}),
        submenu("&View", {item(cmd::kToolbar), item(cmd::kStatusBar), kSeparator, item(cmd::kSecAdmin)}),
        submenu("&Special", {item(cmd::kDefaultOptions), item(cmd::kPreferences), item(cmd::kEnvironmentCommand),
                             kSeparator, item(cmd::kGetFiles), item(cmd::kPutFiles)}),
        submenu("&Window", {item(cmd::kCascade), item(cmd::kTile), item(cmd::kArrangeIcons)}),
        help_menu(),
    };
    return bar;
}

const std::vector<MenuItem>& popup_menu(std::string_view name) {
    static const std::vector<MenuItem> simple = {
        item(cmd::kCut, "Cut Configuration file"),
        item(cmd::kCopy, "Copy Configuration file"),
        item(cmd::kPaste, "Paste Configuration file..."),
        item(cmd::kDeleteConfigFile, "Delete Configuration file"),
        kSeparator,
        item(cmd::kRenameConfigFile, "Rename Configuration File..."),
        item(cmd::kAddConfigFile, "Add Configuration File..."),
    };
    static const std::vector<MenuItem> table = {item(cmd::kUpdateAllowed)};
    static const std::vector<MenuItem> none;
    if (name == "_SimplePopup_") return simple;
    if (name == "_TablePopup_") return table;
    return none;
}

}  // namespace kestra::workspace

#pragma once

namespace kestra::workspace::cmd {

// The program's command ids. Windows, menus, the toolbar and tests name commands by these numbers.
inline constexpr int kNewConnection = 57600;
inline constexpr int kCloseConnection = 57602;
inline constexpr int kAddConfigFile = 4769;
inline constexpr int kRenameConfigFile = 4768;
inline constexpr int kSaveConfigFile = 4799;
inline constexpr int kDeleteConfigFile = 4800;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kPrintSetup = 57606;
inline constexpr int kExportPdf = 4900;
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kExpandOneLevel = 4783;
inline constexpr int kExpandBranch = 4784;
inline constexpr int kExpandAll = 4785;
inline constexpr int kCollapseBranch = 4786;
inline constexpr int kDefaultOptions = 4798;
inline constexpr int kPreferences = 4801;
inline constexpr int kEnvironmentCommand = 4803;
inline constexpr int kGetFiles = 4804;
inline constexpr int kPutFiles = 4805;
inline constexpr int kSecAdmin = 4771;
inline constexpr int kUndo = 57643;
inline constexpr int kToolbar = 59392;
inline constexpr int kStatusBar = 59393;
inline constexpr int kCascade = 57650;
inline constexpr int kTile = 57651;
inline constexpr int kArrangeIcons = 57649;
inline constexpr int kHelpContents = 57666;
inline constexpr int kHelpSearch = 4797;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kUpdateAllowed = 4794;
// Reached by accelerators only.
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
inline constexpr int kContextHelp = 57668;
inline constexpr int kHelp = 57670;

}  // namespace kestra::workspace::cmd

#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestra::workspace {

// The help's map from what a user is looking at to the page that explains it, read from the index file kept
// beside the pages. Each line is one of
//   contents <level> <target> <title>   an entry of the contents tree, level 0 at the top
//   topic <name> <target>               the page of a window (dlg_...) or a command (cmd_<id>)
//   key <target> <keyword>              an entry of the keyword index
// where a target is a page file with an optional "#anchor". Empty lines and lines starting with '#' are skipped.
class HelpIndex {
  public:
    struct ContentsEntry {
        int level = 0;
        std::string target;
        std::string title;
    };
    struct Keyword {
        std::string text;
        std::string target;
    };

    // The deepest contents level taken; deeper lines are refused rather than nested without end.
    static constexpr int kMaxLevel = 8;

    // Reads the index text. Bad lines are skipped and described in errors(); the good ones are kept.
    void load(std::string_view text);
    const std::vector<std::string>& errors() const { return errors_; }

    const std::vector<ContentsEntry>& contents() const { return contents_; }
    const std::vector<Keyword>& keywords() const { return keywords_; }
    const std::map<std::string, std::string, std::less<>>& topics() const { return topics_; }

    // The target of a window's object name or a command's cmd_<id>; empty when the index has none.
    std::string topic(std::string_view name) const;
    // Keywords that contain `text`, ignoring case and surrounding blanks: those starting with it first, each group
    // in alphabetical order. An empty text lists every keyword alphabetically.
    std::vector<Keyword> search(std::string_view text) const;

  private:
    std::vector<ContentsEntry> contents_;
    std::vector<Keyword> keywords_;
    std::map<std::string, std::string, std::less<>> topics_;
    std::vector<std::string> errors_;
};

// A menu text as the index lists it: without the key shown after a tab, without mnemonic ampersands ("&&" stays
// one '&'), without a trailing "..." and surrounding blanks.
std::string help_keyword_of(std::string_view menu_text);

// Splits a target into its page and anchor ("edit.html#paste" -> "edit.html", "paste").
struct HelpTarget {
    std::string page;
    std::string anchor;
};
HelpTarget split_help_target(std::string_view target);

// The link targets (href values) and anchor names (name and id values) of a help page's HTML, in page order.
// Only quoted attribute values are read, so page text that merely mentions such words is not taken for a link.
std::vector<std::string> help_links(std::string_view html);
std::vector<std::string> help_anchors(std::string_view html);

}  // namespace kestra::workspace

#include "workspace/help_index.h"

#include <algorithm>
#include <cctype>

namespace kestra::workspace {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// The next blank-separated word of `rest`, which keeps what follows it.
std::string_view next_word(std::string_view& rest) {
    rest = trim(rest);
    std::size_t end = 0;
    while (end < rest.size() && !is_blank(rest[end])) ++end;
    const std::string_view word = rest.substr(0, end);
    rest = trim(rest.substr(end));
    return word;
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower(c);
    return out;
}

bool valid_target(std::string_view target) {
    const HelpTarget t = split_help_target(target);
    return !t.page.empty() && target.find('#') == target.rfind('#');
}

// Every value of attribute `wanted` (lower case) in the tags of `html`.
std::vector<std::string> attribute_values(std::string_view html, std::string_view wanted) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while ((i = html.find('<', i)) != std::string_view::npos) {
        ++i;
        if (html.substr(i, 3) == "!--") {
            const std::size_t end = html.find("-->", i);
            if (end == std::string_view::npos) break;
            i = end + 3;
            continue;
        }
        // The tag's name, then its attributes up to the closing '>'.
        while (i < html.size() && !is_blank(html[i]) && html[i] != '>') ++i;
        while (i < html.size() && html[i] != '>') {
            if (is_blank(html[i]) || html[i] == '/') {
                ++i;
                continue;
            }
            const std::size_t name_start = i;
            while (i < html.size() && !is_blank(html[i]) && html[i] != '=' && html[i] != '>') ++i;
            const std::string name = lowered(html.substr(name_start, i - name_start));
            while (i < html.size() && is_blank(html[i])) ++i;
            if (i >= html.size() || html[i] != '=') continue;
            ++i;
            while (i < html.size() && is_blank(html[i])) ++i;
            if (i >= html.size()) break;
            if (html[i] == '"' || html[i] == '\'') {
                const char quote = html[i];
                const std::size_t end = html.find(quote, i + 1);
                if (end == std::string_view::npos) return out;  // an unclosed value ends the page's tags
                if (name == wanted) out.emplace_back(html.substr(i + 1, end - i - 1));
                i = end + 1;
            } else {
                while (i < html.size() && !is_blank(html[i]) && html[i] != '>') ++i;
            }
        }
    }
    return out;
}

}  // namespace

void HelpIndex::load(std::string_view text) {
    std::size_t line_number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++line_number;
        if (line.empty() || line.front() == '#') continue;
        const auto fail = [&](const char* why) {
            errors_.push_back("line " + std::to_string(line_number) + ": " + why);
        };
        const std::string_view kind = next_word(line);
        if (kind == "contents") {
            const std::string_view level = next_word(line);
            const std::string_view target = next_word(line);
            if (level.size() != 1 || level[0] < '0' || level[0] - '0' > kMaxLevel) {
                fail("contents level must be a digit from 0 to 8");
                continue;
            }
            const int depth = level[0] - '0';
            const int previous = contents_.empty() ? -1 : contents_.back().level;
            if (depth > previous + 1) {
                fail("contents entry is more than one level below the one before");
                continue;
            }
            if (!valid_target(target) || line.empty()) {
                fail("contents entry needs a page and a title");
                continue;
            }
            contents_.push_back({depth, std::string(target), std::string(line)});
        } else if (kind == "topic") {
            const std::string_view name = next_word(line);
            const std::string_view target = next_word(line);
            if (name.empty() || !valid_target(target) || !line.empty()) {
                fail("topic needs a name and a page");
                continue;
            }
            if (!topics_.emplace(std::string(name), std::string(target)).second) fail("topic named twice");
        } else if (kind == "key") {
            const std::string_view target = next_word(line);
            if (!valid_target(target) || line.empty()) {
                fail("keyword needs a page and a text");
                continue;
            }
            keywords_.push_back({std::string(line), std::string(target)});
        } else {
            fail("unknown kind of line");
        }
    }
}

std::string HelpIndex::topic(std::string_view name) const {
    const auto it = topics_.find(name);
    return it != topics_.end() ? it->second : std::string();
}

std::vector<HelpIndex::Keyword> HelpIndex::search(std::string_view text) const {
    const std::string wanted = lowered(trim(text));
    std::vector<std::pair<int, const Keyword*>> hits;
    for (const Keyword& k : keywords_) {
        const std::size_t at = lowered(k.text).find(wanted);
        if (at == std::string::npos) continue;
        hits.emplace_back(at == 0 ? 0 : 1, &k);
    }
    std::stable_sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return lowered(a.second->text) < lowered(b.second->text);
    });
    std::vector<Keyword> out;
    out.reserve(hits.size());
    for (const auto& hit : hits) out.push_back(*hit.second);
    return out;
}

std::string help_keyword_of(std::string_view menu_text) {
    menu_text = menu_text.substr(0, menu_text.find('\t'));
    std::string out;
    for (std::size_t i = 0; i < menu_text.size(); ++i) {
        if (menu_text[i] == '&') {
            // "&&" is a literal ampersand; a lone one only marks the mnemonic.
            if (i + 1 < menu_text.size() && menu_text[i + 1] == '&') out += menu_text[++i];
            continue;
        }
        out += menu_text[i];
    }
    std::string_view view = trim(out);
    while (!view.empty() && view.back() == '.') view.remove_suffix(1);
    return std::string(trim(view));
}

HelpTarget split_help_target(std::string_view target) {
    const std::size_t hash = target.find('#');
    if (hash == std::string_view::npos) return {std::string(target), {}};
    return {std::string(target.substr(0, hash)), std::string(target.substr(hash + 1))};
}

std::vector<std::string> help_links(std::string_view html) {
    return attribute_values(html, "href");
}

std::vector<std::string> help_anchors(std::string_view html) {
    std::vector<std::string> out = attribute_values(html, "name");
    for (std::string& id : attribute_values(html, "id")) out.push_back(std::move(id));
    return out;
}

}  // namespace kestra::workspace

#include "cli/word_splitter.h"

namespace kestra::cli {

bool split_words(std::string_view line, std::vector<std::string>& words, std::string& error) {
    words.clear();
    std::string word;
    bool in_word = false;  // a word has begun, even an empty one ('' is a word)
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            if (in_word) words.push_back(std::move(word));
            word.clear();
            in_word = false;
            ++i;
        } else if (c == '#' && !in_word) {
            break;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) {
                error = "unterminated single quote";
                return false;
            }
            word.append(line.substr(i + 1, close - i - 1));
            in_word = true;
            i = close + 1;
        } else if (c == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const char d = line[i];
                if (d == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < n &&
                    (line[i + 1] == '$' || line[i + 1] == '`' || line[i + 1] == '"' || line[i + 1] == '\\')) {
                    word += line[i + 1];
                    i += 2;
                    continue;
                }
                word += d;
                ++i;
            }
            if (!closed) {
                error = "unterminated double quote";
                return false;
            }
            in_word = true;
        } else if (c == '\\') {
            if (i + 1 >= n) {
                error = "backslash at the end of the line";
                return false;
            }
            word += line[i + 1];
            in_word = true;
            i += 2;
        } else {
            word += c;
            in_word = true;
            ++i;
        }
    }
    if (in_word) words.push_back(std::move(word));
    return true;
}

}  // namespace kestra::cli

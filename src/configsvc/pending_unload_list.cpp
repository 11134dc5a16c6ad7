#include "configsvc/pending_unload_list.h"

#include <algorithm>

namespace kestra::configsvc {

bool CPendingUnloadList::contains(const model::CConfigTable* table) const {
    return std::any_of(entries_.begin(), entries_.end(), [table](const Entry& e) { return e.table == table; });
}

std::optional<CPendingUnloadList::Entry> CPendingUnloadList::take(const model::CConfigTable* table) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [table](const Entry& e) { return e.table == table; });
    if (it == entries_.end()) return std::nullopt;
    Entry entry = *it;
    entries_.erase(it);
    return entry;
}

std::optional<CPendingUnloadList::Entry> CPendingUnloadList::take_oldest() {
    if (entries_.empty()) return std::nullopt;
    Entry entry = entries_.front();
    entries_.pop_front();
    return entry;
}

bool CPendingUnloadList::rebind(const model::CConfigTable* table, model::CConfigTable* replacement) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [table](const Entry& e) { return e.table == table; });
    if (it == entries_.end()) return false;
    it->table = replacement;
    return true;
}

void CPendingUnloadList::append(Entry entry) { entries_.push_back(entry); }

}  // namespace kestra::configsvc

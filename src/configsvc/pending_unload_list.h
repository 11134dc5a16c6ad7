#pragma once

#include <cstddef>
#include <deque>
#include <optional>

namespace kestra::model {
class CConfigTable;
}

namespace kestra::configsvc {

// The tables of one connection window that are unloaded in the model's eyes but still loaded on the host, oldest
// first, so that a table opened again soon need not be loaded again. The list does not own the tables: whoever
// destroys a table record takes it out first (see forget_table in table_requests.h).
class CPendingUnloadList {
public:
    static constexpr std::size_t kMaxEntries = 8;

    struct Entry {
        model::CConfigTable* table = nullptr;
        bool save = false;  // the table's changes are kept when it is finally unloaded
    };

    CPendingUnloadList() = default;
    CPendingUnloadList(const CPendingUnloadList&) = delete;
    CPendingUnloadList& operator=(const CPendingUnloadList&) = delete;

    bool contains(const model::CConfigTable* table) const;
    // Takes the table's entry out; nullopt when it is not pending.
    std::optional<Entry> take(const model::CConfigTable* table);
    // Takes the oldest entry out; nullopt when the list is empty.
    std::optional<Entry> take_oldest();
    // Lets `replacement` take over the entry of `table` in its place; false when `table` is not pending.
    bool rebind(const model::CConfigTable* table, model::CConfigTable* replacement);
    // Appends at the end (the newest). The caller keeps the list within kMaxEntries by taking the oldest out.
    void append(Entry entry);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const std::deque<Entry>& entries() const { return entries_; }

private:
    std::deque<Entry> entries_;
};

}  // namespace kestra::configsvc

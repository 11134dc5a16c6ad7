#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/bounded_text.h"

namespace kestra::model {

// One dataset, or a set of the dataset listed before it, of a description file.
class CDescDatasetEntry {
public:
    virtual ~CDescDatasetEntry() = default;

    bool is_set() const { return dataset_type != 0; }

    WireText name;
    std::uint8_t dataset_type = 0;  // 0 dataset, anything else a set
    WireText base_dataset;          // the dataset itself, or for a set the dataset before it
};

// One database of a description file.
class CDescDatabaseEntry {
public:
    virtual ~CDescDatabaseEntry() = default;

    WireText database_name;
    // Fetched once per selection dialog and kept with the entry; a list that ended early is not held, so the
    // next selection fetches it again.
    std::vector<std::unique_ptr<CDescDatasetEntry>> datasets;
    bool datasets_held = false;
};

}  // namespace kestra::model

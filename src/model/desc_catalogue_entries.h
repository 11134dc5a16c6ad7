#pragma once

#include <cstdint>

#include "model/bounded_text.h"

namespace kestra::model {

// One database of a description file.
class CDescDatabaseEntry {
public:
    virtual ~CDescDatabaseEntry() = default;

    WireText database_name;
};

// One dataset, or a set of the dataset listed before it, of a description file.
class CDescDatasetEntry {
public:
    virtual ~CDescDatasetEntry() = default;

    bool is_set() const { return dataset_type != 0; }

    WireText name;
    std::uint8_t dataset_type = 0;  // 0 dataset, anything else a set
    WireText base_dataset;          // the dataset itself, or for a set the dataset before it
};

}  // namespace kestra::model

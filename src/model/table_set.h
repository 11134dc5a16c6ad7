#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/bounded_text.h"

namespace kestra::model {

// One key of a set: the field's tblfieldnum and two attributes kept as the host sent them.
struct CSetKey {
    std::int32_t field_number = 0;  // 4 digits
    std::int32_t first_attribute = 0;
    std::int32_t second_attribute = 0;

    friend bool operator==(const CSetKey&, const CSetKey&) = default;
};

// One DMSII set by which a table can be read.
class CTableSet {
public:
    CTableSet() = default;
    CTableSet(const CTableSet&) = default;
    CTableSet& operator=(const CTableSet&) = default;
    virtual ~CTableSet() = default;

    WireText set_name;
    std::int32_t first_attribute = 0;   // 1 digit each, kept as received
    std::int32_t second_attribute = 0;
    std::int32_t third_attribute = 0;
    std::vector<CSetKey> keys;
};

}  // namespace kestra::model

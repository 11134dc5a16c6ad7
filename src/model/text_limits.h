#pragma once

#include <cstddef>

namespace kestra::model {

// Longest texts a person may type or a command may set. What the host sends is held whole whatever its length
// (the records keep WireText), so these bound only new values; a loaded value is never cut to them.
inline constexpr std::size_t kTableNameMax = 29;
inline constexpr std::size_t kFieldNameMax = 29;
inline constexpr std::size_t kHostNameMax = 29;
inline constexpr std::size_t kBaseFieldMax = 31;
inline constexpr std::size_t kExpressionMax = 255;
inline constexpr std::size_t kWhereConditionMax = 255;
inline constexpr std::size_t kSetNameMax = 17;
inline constexpr std::size_t kDatabaseNameMax = 17;
inline constexpr std::size_t kGuardfileMax = 255;
inline constexpr std::size_t kUsercodeMax = 17;
inline constexpr std::size_t kAppNameMax = 19;
inline constexpr std::size_t kTranslationMax = 19;
inline constexpr std::size_t kProgramNameMax = 19;

}  // namespace kestra::model

#include "model/config_file.h"

namespace kestra::model {

CConfigTable* CConfigFile::find_table(std::string_view table_name) const {
    for (const auto& table : tables) {
        if (table->name == table_name) return table.get();
    }
    return nullptr;
}

}  // namespace kestra::model

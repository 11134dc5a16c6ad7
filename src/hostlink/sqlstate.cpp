#include "hostlink/sqlstate.h"

namespace kestra::hostlink {

namespace {

const SqlStateEntry kTable[kSqlStateCount] = {
    {"00000", "Success"},
    {"S0002", "Base table not found"},
    {"S0022", "Column not found"},
    {"S1000", "General failure"},
    {"S1001", "Memory allocation failure"},
    {"S1002", "Invalid column number"},
    {"S1009", "Invalid argument value"},
    {"S1010", "Function sequence error"},
    {"S1091", "Descriptor type out of range"},
    {"S1092", "Option type out of range"},
    {"S1096", "Information type out of range"},
    {"S1C00", "Driver not capable"},
    {"01004", "Data truncated"},
    {"08S01", "Communication link failure"},
    {"28000", "Invalid authorization specification"},
    {"37000", "Syntax error or access violation"},
    {"3C000", "Duplicate cursor name: %s"},
    {"08001", "Unable to connect to data source"},
    {"08002", "Connection is already in use"},
    {"08003", "Connection not open"},
    {"IM001", "Driver does not support this function"},
};

}  // namespace

const SqlStateEntry& sqlstate_entry(std::uint16_t index) {
    return index < kSqlStateCount ? kTable[index] : kTable[kSqlGeneralFailure];
}

}  // namespace kestra::hostlink

#pragma once

#include <cstdint>

#include "corvel/provider_abi.h"

// The provider's functions, as the entry table hands them to the comms shell. Any thread may call in; one
// connection must be used by one caller at a time.
namespace kestra::tavlink {

constexpr std::uint8_t kMaxConnections = 8;

// What loading the library does: reads "trace", "tracefile" and "portno" from kestra.ini.
void load_library_settings();

std::int16_t initialize();
std::int16_t shutdown();
std::int16_t open_connection(std::uint8_t* connection, const char* name, std::int32_t reserved);
std::int16_t close_connection(std::uint8_t connection);
std::int16_t get_connection_info(std::uint8_t connection, ConnectionInfo* info);
std::int16_t get_connection_status(std::uint8_t connection, std::int32_t reserved);
std::int16_t transmit_buffer(std::uint8_t connection, const char* data, std::uint16_t length, std::uint8_t timeout);
std::int16_t get_received_buffer(std::uint8_t connection, char** data, std::uint16_t* length, std::uint8_t timeout);
std::int16_t put_into_receive(std::uint8_t connection);
std::int16_t get_error_message(std::int32_t code, char* text);
std::int16_t configure_connection(void* owner);
std::int16_t get_connection_names(char* buffer, std::uint16_t size);
std::int16_t get_connection_name(std::uint8_t connection, char* name, std::uint16_t size);
// The "TCP/IP Winsock Transport Setup" dialog over `owner`, from the setup library beside this one: 1 after OK
// (the paths written and reloaded), 0 after Cancel or when the library or a window system is missing.
std::int16_t configure(void* owner);

// Fills the 15 entries; the reserved bytes belong to the comms shell and are left alone.
void fill_entry_table(ProviderEntryTable* table);

}  // namespace kestra::tavlink

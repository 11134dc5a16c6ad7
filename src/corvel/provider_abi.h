/* The binary interface between the program, the comms shell and every comms provider. */
#ifndef KESTRA_CORVEL_PROVIDER_ABI_H
#define KESTRA_CORVEL_PROVIDER_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ConnectionInfo {
    uint16_t max_send;
    uint16_t max_receive;
    uint8_t flag;
} ConnectionInfo;

typedef struct ProviderEntryTable {
    unsigned char reserved[88];
    int16_t (*initialize)(void);
    int16_t (*shutdown)(void);
    int16_t (*open_connection)(uint8_t* connection, const char* name, int32_t reserved);
    int16_t (*close_connection)(uint8_t connection);
    int16_t (*get_connection_info)(uint8_t connection, ConnectionInfo* info);
    int16_t (*get_connection_status)(uint8_t connection, int32_t reserved);
    int16_t (*transmit_buffer)(uint8_t connection, const char* data, uint16_t length, uint8_t timeout);
    int16_t (*get_received_buffer)(uint8_t connection, char** data, uint16_t* length, uint8_t timeout);
    int16_t (*put_into_receive)(uint8_t connection);
    int16_t (*put_into_local)(uint8_t connection);
    int16_t (*get_error_message)(int32_t code, char* text);
    int16_t (*configure_connection)(void* owner);
    int16_t (*get_connection_names)(char* buffer, uint16_t size);
    int16_t (*get_connection_name)(uint8_t connection, char* name, uint16_t size);
    int16_t (*configure)(void* owner_window);
} ProviderEntryTable;

/* Every provider library exports exactly this one C symbol; it fills the 15 entries (an entry the provider does
   not offer is NULL) and returns 0. One symbol per provider keeps entries such as shutdown from clashing with the
   C library's functions of the same name. */
typedef int (*CorvelProviderEntryPointsFn)(ProviderEntryTable* table);
int corvel_provider_entry_points(ProviderEntryTable* table);

#define CORVEL_PROVIDER_ENTRY_SYMBOL "corvel_provider_entry_points"

#ifdef __cplusplus
}
#endif

#endif

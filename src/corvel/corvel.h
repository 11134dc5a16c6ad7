/* The comms shell: lists the comms providers, loads one by name and hands out its entry table. */
#ifndef KESTRA_CORVEL_CORVEL_H
#define KESTRA_CORVEL_CORVEL_H

#include <stdint.h>

#include "corvel/provider_abi.h"

#define CORVEL_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

#define CORVEL_MAX_PROVIDERS 8
#define CORVEL_MAX_NAME 15
#define CORVEL_LIST_BUFFER 256

/* Ordinal 1: the provider names, each ended by a zero byte, the list ended by an empty name. */
CORVEL_API int16_t corvel_list_providers(char* buffer);
/* Ordinal 2: loads the provider and fills its entry table; 0 on success. Every success is matched by ordinal 3. */
CORVEL_API int16_t corvel_get_entry_points(int index, ProviderEntryTable* table);
/* Ordinal 3: releases what ordinal 2 set up. */
CORVEL_API int16_t corvel_release_provider(int index);
/* Ordinal 4: the index of a provider name (letter case ignored), -1 when unknown. */
CORVEL_API int8_t corvel_find_provider(const char* name);
/* Ordinal 5: the provider's name; "" for an index outside the list. Valid until the next call. */
CORVEL_API const char* corvel_provider_name(int index);

/* Adds a provider that lives in the calling program rather than in a library (tests, tools). It is listed after
   the configured providers. A null function removes every such provider. */
CORVEL_API void corvel_register_static_provider(const char* name, CorvelProviderEntryPointsFn entry_points);

#ifdef __cplusplus
}
#endif

#endif

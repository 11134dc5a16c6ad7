#pragma once

#include <vector>

#include "body_codec.h"
#include "request_handlers.h"

namespace kestra::hostsim {

// This host works on copies, as the real one does:
// - An open file's tables are copied when a table request first touches them (its working tables). Requests 21,
//   22, 34, 51, 52 and 53 read and change that copy; the file's save (40) makes it the stored tables and its close
//   (19) throws it away.
// - Loading a table (23, 55, or 43 for a COBOL record) hands out a table handle naming a copy of that one table
//   (its working copy), valid until request 24 unloads it. The where condition (41), the join members (56) and the
//   field requests (25-28) change only the working copy. Unloading with save hands the copy's where condition,
//   fields, sets and members back to the file's working tables; without save the copy is dropped.
//
// A field handler finds the table it works on with
//     LoadedTable* t = loaded_table_from_body(context, body, reply);   // reads the N(4) handle, refuses if unknown
//     if (t == nullptr) return;
//     t->copy.fields ...                                               // change the working copy only
// All of these must be called with context.host.mutex held; a pointer they return is good only until the lock is
// released.

inline constexpr const char* kInvalidTableHandle = "[Kestra]INVALID TABLE HANDLE";
inline constexpr int kMaxTableHandle = 9999;

struct LoadedTable {
    int handle = 0;
    int file_reference = 0;  // the open file the table belongs to
    int table_number = 0;    // 0 for a table that is not in the file yet (a COBOL record description)
    Table copy;              // the working copy
};

// Hands out a handle (1..9999) for a working copy; 0 when every handle is taken.
int load_table_handle(RequestContext& context, int file_reference, int table_number, Table copy);
// The loaded table of this session's handle; nullptr when unknown.
LoadedTable* find_loaded_table(RequestContext& context, int handle);
// Reads an N(4) table handle from the body and finds its table. When the body is short or the handle names
// nothing, the reply is refused (index 3, kInvalidTableHandle) and nullptr returned.
LoadedTable* loaded_table_from_body(RequestContext& context, BodyReader& body, Reply& reply);
// Ends a handle; with save its details go back to the file's working tables. False when the handle is unknown.
bool unload_table_handle(RequestContext& context, int handle, bool save);

// The working tables of an open file of this session, copied from the stored file on first use; nullptr when the
// reference is not open.
std::vector<Table>* working_tables(RequestContext& context, int file_reference);
// Reads an N(4) file reference and gives its working tables; refuses like open_file_from_body when unknown.
std::vector<Table>* working_tables_from_body(RequestContext& context, BodyReader& body, Reply& reply,
                                             int* file_reference = nullptr);
// The save: the working tables become the stored ones (the copy stays for further work).
void commit_working_tables(RequestContext& context, int file_reference);
// The close: the working tables and every handle loaded from the file are dropped.
void discard_working_tables(RequestContext& context, int file_reference);

}  // namespace kestra::hostsim

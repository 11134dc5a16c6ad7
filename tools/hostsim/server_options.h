#pragma once

#include <optional>
#include <string>

namespace kestra::hostsim {

// Everything the server can be told on its command line. The fault switches are all off by default.
struct ServerOptions {
    std::string listen_host = "127.0.0.1";
    int listen_port = 0;                  // 0: any free port
    std::string port_file;
    std::string data_file;
    std::string save_file;
    std::string translate_file;           // empty: the built-in tables
    std::string request_log;              // file that gets a line per request received
    bool plain = false;                   // identity tables: an ASCII wire
    bool verbose = false;

    bool script_dialogue = false;
    std::string script_greeting = "WELCOME TO KESTRA HOST";
    std::string script_prompt = "ENTER USERCODE:";
    std::string script_expect;            // empty: any reply line will do
    std::string script_accept = "SESSION STARTED";
    std::string script_reject = "INVALID USERCODE";

    bool control_prefix = false;
    bool repeat = false;
    bool foreign = false;
    int delay_ms = 0;
    std::optional<int> drop_after;
    bool older_host = false;
    bool oversize_header = false;
    int faults_after = 0;                 // delay, oversize header and overlong frame spare the first N replies
    std::optional<int> cut_frame_after;   // answer N messages; of the next reply send half a frame, then close
    std::optional<int> stall_frame_after;  // answer N messages; of the next reply send half a frame, then nothing
    std::optional<int> cut_list_after;    // answer N messages; of the next reply send its first message, then close
    std::optional<int> no_status_after;    // answer N messages; the next reply has no data, not even a status
    std::optional<int> bare_refusal_after;  // answer N messages; the next reply is status "2" with no error record
    bool overlong_frame = false;          // administration replies in frames padded to the longest length
    bool extra_file_data = false;         // file data replies carry bytes beyond the file's announced size

    int default_message_size = 1920;      // what the host writes before a login grants a size
};

// Parses the program's arguments. Returns 0 and fills options; 1 with error set on a usage
// error; 2 when help was asked for (help holds the text).
int parse_command_line(int argc, const char* const* argv, ServerOptions& options, std::string& error,
                       std::string& help);

}  // namespace kestra::hostsim

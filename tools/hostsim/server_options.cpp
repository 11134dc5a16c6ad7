#include "server_options.h"

#include <charconv>
#include <string_view>

namespace kestra::hostsim {
namespace {

constexpr const char* kUsage =
    "usage: kestra-hostsim [OPTIONS]\n"
    "A test host server speaking the host message protocol over the Tavlink framing.\n"
    "\n"
    "  --listen HOST:PORT        address to listen on (default 127.0.0.1:0, a free port)\n"
    "  --port-file FILE          write the chosen port to FILE once listening\n"
    "  --data FILE               JSON fixture holding the host's state\n"
    "  --save FILE               write the state back as JSON on shutdown\n"
    "  --translate FILE          translate table file for the host side (default: built-in tables)\n"
    "  --plain                   no translation: the wire carries ASCII\n"
    "  --verbose                 log each request to standard error\n"
    "  --request-log FILE        write each request received to FILE: kind, code and body, a line each\n"
    "\n"
    "Fault switches (all off by default):\n"
    "  --script-dialogue         greet, prompt and read one reply line before the protocol\n"
    "  --script-greeting TEXT    greeting text (default \"WELCOME TO KESTRA HOST\")\n"
    "  --script-prompt TEXT      prompt text (default \"ENTER USERCODE:\")\n"
    "  --script-expect TEXT      text the reply line must contain (default: anything)\n"
    "  --script-accept TEXT      sent when the reply matches (default \"SESSION STARTED\")\n"
    "  --script-reject TEXT      sent before closing when it does not (default \"INVALID USERCODE\")\n"
    "  --control-prefix          put terminal control sequences in front of every reply\n"
    "  --repeat                  send every reply twice with the same sequence character\n"
    "  --foreign                 send a message without \"#@!\" before every reply\n"
    "  --delay-ms N              wait N milliseconds before every reply\n"
    "  --drop-after N            close the connection when request N+1 arrives (N answered)\n"
    "  --older-host              refuse request 57 as an older host does\n"
    "  --oversize-header         administration replies declare 50 more data bytes than sent\n"
    "  --faults-after N          delay, oversize header and overlong frame spare the first N replies\n"
    "  --cut-frame-after N       answer N requests; send half of the next reply's frame, then close\n"
    "  --stall-frame-after N     answer N requests; send half of the next reply's frame, then nothing while the\n"
    "                            connection stays open\n"
    "  --no-status-after N       answer N requests; the next reply has no data, not even its status digit\n"
    "  --bare-refusal-after N    answer N requests; the next reply is status \"2\" with no error record\n"
    "  --cut-list-after N        answer N requests; send the first message of the next reply, then close\n"
    "  --overlong-frame          send administration replies in frames of 9999 characters\n"
    "  --extra-file-data         file data replies carry 16 bytes more than the file has\n"
    "  --help                    show this text\n";

bool parse_int(std::string_view text, int lo, int hi, int& out) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < lo || value > hi) return false;
    out = value;
    return true;
}

}  // namespace

int parse_command_line(int argc, const char* const* argv, ServerOptions& options, std::string& error,
                       std::string& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string& out) -> bool {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto number = [&](int lo, int hi, int& out) -> bool {
            std::string text;
            if (!value(text)) return false;
            if (!parse_int(text, lo, hi, out)) {
                error = std::string(arg) + " needs a number from " + std::to_string(lo) + " to " + std::to_string(hi);
                return false;
            }
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            help = kUsage;
            return 2;
        } else if (arg == "--listen") {
            std::string text;
            if (!value(text)) return 1;
            const auto colon = text.rfind(':');
            if (colon == std::string::npos || colon == 0 ||
                !parse_int(std::string_view(text).substr(colon + 1), 0, 65535, options.listen_port)) {
                error = "--listen needs HOST:PORT";
                return 1;
            }
            options.listen_host = text.substr(0, colon);
        } else if (arg == "--port-file") {
            if (!value(options.port_file)) return 1;
        } else if (arg == "--data") {
            if (!value(options.data_file)) return 1;
        } else if (arg == "--save") {
            if (!value(options.save_file)) return 1;
        } else if (arg == "--translate") {
            if (!value(options.translate_file)) return 1;
        } else if (arg == "--request-log") {
            if (!value(options.request_log)) return 1;
        } else if (arg == "--plain") {
            options.plain = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--script-dialogue") {
            options.script_dialogue = true;
        } else if (arg == "--script-greeting") {
            if (!value(options.script_greeting)) return 1;
        } else if (arg == "--script-prompt") {
            if (!value(options.script_prompt)) return 1;
        } else if (arg == "--script-expect") {
            if (!value(options.script_expect)) return 1;
        } else if (arg == "--script-accept") {
            if (!value(options.script_accept)) return 1;
        } else if (arg == "--script-reject") {
            if (!value(options.script_reject)) return 1;
        } else if (arg == "--control-prefix") {
            options.control_prefix = true;
        } else if (arg == "--repeat") {
            options.repeat = true;
        } else if (arg == "--foreign") {
            options.foreign = true;
        } else if (arg == "--delay-ms") {
            if (!number(0, 600000, options.delay_ms)) return 1;
        } else if (arg == "--drop-after") {
            int n = 0;
            if (!number(0, 1000000, n)) return 1;
            options.drop_after = n;
        } else if (arg == "--older-host") {
            options.older_host = true;
        } else if (arg == "--oversize-header") {
            options.oversize_header = true;
        } else if (arg == "--faults-after") {
            if (!number(0, 1000000, options.faults_after)) return 1;
        } else if (arg == "--cut-frame-after" || arg == "--cut-list-after" || arg == "--stall-frame-after") {
            int n = 0;
            if (!number(0, 1000000, n)) return 1;
            (arg == "--cut-frame-after"    ? options.cut_frame_after
             : arg == "--cut-list-after" ? options.cut_list_after
                                          : options.stall_frame_after) = n;
        } else if (arg == "--no-status-after" || arg == "--bare-refusal-after") {
            int n = 0;
            if (!number(0, 1000000, n)) return 1;
            (arg == "--no-status-after" ? options.no_status_after : options.bare_refusal_after) = n;
        } else if (arg == "--overlong-frame") {
            options.overlong_frame = true;
        } else if (arg == "--extra-file-data") {
            options.extra_file_data = true;
        } else {
            error = "unknown option " + std::string(arg);
            return 1;
        }
    }
    if (options.plain && !options.translate_file.empty()) {
        error = "--plain and --translate exclude each other";
        return 1;
    }
    return 0;
}

}  // namespace kestra::hostsim

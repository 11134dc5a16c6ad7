#include "support/hostsim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace kestra::testing {
namespace {

// Safety nets only: a healthy host starts and stops in a small fraction of these.
constexpr int kStartPolls = 400;   // x 50 ms
constexpr int kStopPolls = 400;

void nap() { ::poll(nullptr, 0, 50); }

}  // namespace

std::string HostsimProcess::program() { return std::string(KESTRA_BIN_DIR) + "/kestra-hostsim"; }

std::string HostsimProcess::sample_fixture() { return std::string(KESTRA_SOURCE_DIR) + "/tools/hostsim/sample/sample.json"; }

HostsimProcess::HostsimProcess() : HostsimProcess(Options{}) {}

HostsimProcess::HostsimProcess(Options options) : options_(std::move(options)) {
    const std::string port_file = dir_.file("port");
    std::vector<std::string> args = {program(), "--listen", "127.0.0.1:0", "--port-file", port_file, "--data",
                                     options_.fixture.empty() ? sample_fixture() : options_.fixture};
    if (options_.plain) args.push_back("--plain");
    args.insert(args.end(), options_.extra_args.begin(), options_.extra_args.end());

    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        if (!options_.stderr_file.empty()) {
            const int fd = ::open(options_.stderr_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd >= 0) ::dup2(fd, STDERR_FILENO);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (pid_ < 0) {
        error_ = "cannot fork";
        return;
    }
    for (int i = 0; i < kStartPolls && port_ == 0; ++i) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "kestra-hostsim exited during start-up";
            return;
        }
        std::ifstream in(port_file);
        int port = 0;
        if (in >> port && port > 0) port_ = port;
        else nap();
    }
    if (port_ == 0) {
        error_ = "kestra-hostsim wrote no port";
        stop();
        return;
    }

    std::string ini = "[tcpip]\r\npaths=1\r\npath0=" + options_.path_name + "\r\nhost0=127.0.0.1\r\nportno0=" +
                      std::to_string(port_) + "\r\nmaxbuffersize0=" + std::to_string(options_.buffer_size) + "\r\n";
    if (options_.plain) {
        ini += "translatefilename0=" + dir_.write("plain.xlt", "[PCTOASERIES]\r\n[ASERIESTOPC]\r\n") + "\r\n";
    }
    ini_path_ = dir_.write("kestra.ini", ini);
}

HostsimProcess::~HostsimProcess() { stop(); }

int HostsimProcess::stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < kStopPolls; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        nap();
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
}

}  // namespace kestra::testing

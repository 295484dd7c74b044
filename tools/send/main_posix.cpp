// lumvox-send on Linux: the network channel only.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "core/action_error.h"
#include "core/text_file_decoder.h"
#include "core/utf.h"
#include "core/network_link.h"
#include "platform/file_source_posix.h"
#include "send_main.h"

namespace {

using namespace lumvox::send;

// A "Name:   1234 kB" line of /proc/self/status, in bytes.
std::optional<uint64_t> StatusKilobytes(const std::string& status, std::string_view name) {
    size_t at = status.find("\n" + std::string(name) + ":");
    if (at == std::string::npos) return std::nullopt;
    std::istringstream line(status.substr(at + name.size() + 2));
    uint64_t kilobytes = 0;
    if (!(line >> kilobytes)) return std::nullopt;
    return kilobytes * 1024;
}

class PosixPlatform final : public SendPlatform {
public:
    // Linux's nearest figures: the resident set, resident anonymous memory as
    // the private bytes, and open file descriptors as the handles.
    ProcessCounters Counters() override {
        ProcessCounters counters;
        std::ifstream file("/proc/self/status");
        std::string status = "\n" + std::string(std::istreambuf_iterator<char>(file), {});
        counters.working_set_bytes = StatusKilobytes(status, "VmRSS");
        counters.private_bytes = StatusKilobytes(status, "RssAnon");
        std::error_code ec;
        uint64_t descriptors = 0;
        for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            ++descriptors;
        if (!ec) counters.handles = descriptors;
        return counters;
    }
    lumvox::core::SendLinks Links() override { return {.network = &net_}; }
    lumvox::core::FileSource& Files() override { return files_; }
    lumvox::core::CodePageDecoder& CodePages() override { return files_; }
    std::string ReadStandardInput() override {
        std::string bytes;
        char chunk[64 * 1024];
        for (;;) {
            const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
            if (got == 0) return bytes;
            if (got < 0) {
                if (errno == EINTR) continue;
                const int error = errno;
                lumvox::core::SendCause cause(lumvox::core::CauseCode::InputUnreadable,
                                              lumvox::core::Utf8ToUtf16(std::strerror(error)).value_or(u""));
                cause.system_code = static_cast<std::uint32_t>(error);
                throw lumvox::core::CauseError(u"Cannot read standard input. " + cause.system_text, cause);
            }
            bytes.append(chunk, static_cast<size_t>(got));
        }
    }

private:
    lumvox::core::HttpNetworkLink net_;
    lumvox::posix::PosixFileSource files_;
};

// A standard descriptor that is closed is held by /dev/null opened the other
// way, so that using it fails as it would have, and no file or socket this
// process opens takes its number (and its output).
void HoldClosedStandardDescriptors() {
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int held = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (held != -1 && held != fd) {
            dup2(held, fd);
            close(held);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    HoldClosedStandardDescriptors();
    // A reader that went away is a failed write, reported with its exit code, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        auto arg = lumvox::core::Utf8ToUtf16(argv[i]);
        if (!arg) {
            std::fprintf(stderr, "usage: argument %d is not UTF-8\n", i);
            return 2;
        }
        args.push_back(std::move(*arg));
    }
    PosixPlatform platform;
    return RunSendMainOn(args, platform, stdout, stderr);
}

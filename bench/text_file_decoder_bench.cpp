// The text-file decoder (mark detection, strict UTF-8, line breaks to CR LF)
// on a 100 MiB UTF-8 file, beside `iconv -f UTF-8 -t UTF-16LE` on the same
// file in the same run. Prints MiB/s, the ratio and the peak memory of read +
// decode.
//
//   text_file_decoder_bench [file] [runs]
// Without a file, one is written into the working folder from the sample
// texts (Korean, ASCII and markup) with LF line breaks, behind a UTF-8 mark.
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/reference_texts.h"
#include "core/text_file_decoder.h"
#include "core/utf.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kMiB = 1024 * 1024;

std::string MakeFile(const std::string& path, size_t size) {
    std::string block;
    for (const auto& sample : lumvox::core::kSampleTexts) {
        std::string utf8 = *lumvox::core::Utf16ToUtf8(sample.text);
        for (size_t pos; (pos = utf8.find("\r\n")) != std::string::npos;) utf8.erase(pos, 1);
        block += utf8 + "\n\xF0\x9F\x98\x80 emoji line\n";
    }
    std::string bytes = "\xEF\xBB\xBF";
    while (bytes.size() + block.size() <= size) bytes += block;
    bytes += std::string(size - bytes.size(), 'x');
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return bytes;
}

// As a window would read it: the size first, then the bytes in one buffer.
std::string ReadFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    std::string bytes(static_cast<size_t>(info.st_size), '\0');
    size_t used = 0;
    while (used < bytes.size()) {
        const ssize_t got = read(fd, bytes.data() + used, bytes.size() - used);
        if (got <= 0) break;
        used += static_cast<size_t>(got);
    }
    close(fd);
    bytes.resize(used);
    return bytes;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F>
double Seconds(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double RunIconv(const std::string& path) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string p = path;
    char* argv[] = {const_cast<char*>("iconv"), const_cast<char*>("-f"), const_cast<char*>("UTF-8"),
                    const_cast<char*>("-t"), const_cast<char*>("UTF-16LE"), p.data(), nullptr};
    int status = 0;
    const double s = Seconds([&] {
        pid_t pid;
        if (posix_spawnp(&pid, "iconv", &actions, nullptr, argv, environ) != 0) std::exit(2);
        waitpid(pid, &status, 0);
    });
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "iconv failed\n");
        std::exit(2);
    }
    return s;
}

// Peak resident memory since the last ResetPeakMemory, from the kernel's own
// high-water mark.
double PeakMemoryMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
    return 0;
}
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "text_file_decoder_bench_100MiB.txt";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (argc <= 1) MakeFile(path, 100 * kMiB);
    const double mib = double(ReadFile(path).size()) / kMiB;

    std::vector<double> decode, read_decode, iconv;
    size_t units = 0;
    double peak = 0;  // MiB above what the process held before the read
    const lumvox::core::AnsiDecoder no_ansi = [](std::string_view) -> std::u16string { std::exit(3); };
    for (int i = 0; i < runs; ++i) {
        // Alternating, so that neither side has the warmer cache throughout.
        iconv.push_back(RunIconv(path));
        ResetPeakMemory();
        const double before = PeakMemoryMiB();
        read_decode.push_back(Seconds([&] { units = lumvox::core::DecodeTextFile(ReadFile(path), no_ansi).size(); }));
        peak = std::max(peak, PeakMemoryMiB() - before);
        const std::string bytes = ReadFile(path);
        decode.push_back(Seconds([&] { units = lumvox::core::DecodeTextFile(bytes, no_ansi).size(); }));
    }
    const double ours = mib / Median(decode), ours_read = mib / Median(read_decode), theirs = mib / Median(iconv);
    std::printf("file: %s, %.1f MiB of UTF-8 -> %zu UTF-16 units, median of %d runs\n", path.c_str(), mib, units,
                runs);
    std::printf("DecodeTextFile, bytes in memory:       %8.1f MiB/s\n", ours);
    std::printf("DecodeTextFile, file read + decode:    %8.1f MiB/s\n", ours_read);
    std::printf("iconv -f UTF-8 -t UTF-16LE > /dev/null: %8.1f MiB/s\n", theirs);
    std::printf("peak memory of read + decode: %.1f MiB (the file %.1f MiB + its UTF-16 text %.1f MiB = %.1f MiB)\n",
                peak, mib, double(units) * 2 / kMiB, mib + double(units) * 2 / kMiB);
    std::printf("ratio (read + decode) / iconv: %.2f; (decode only) / iconv: %.2f\n", ours_read / theirs,
                ours / theirs);
    return 0;
}

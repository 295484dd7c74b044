// The text-file decoder (mark detection, strict UTF-8, line breaks to CR LF)
// on a 100 MiB UTF-8 file, beside iconv in the same run: iconv(3) called here
// on the same bytes (the file mapped and read in place, as the program reads
// it), alternating with the decoder, so the ratio holds however busy the
// machine is; and `iconv -f UTF-8 -t UTF-16LE` as a process. Prints MiB/s,
// the ratios and the peak memory of read + decode.
//
//   text_file_decoder_bench [file] [runs]
// Without a file, one is written into the working folder from the sample
// texts (Korean, ASCII and markup) with LF line breaks, behind a UTF-8 mark.
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/reference_texts.h"
#include "first_touch.h"
#include "core/text_file_decoder.h"
#include "core/utf.h"
#include "platform/file_source_posix.h"

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

std::string ReadFile(const std::string& path) {
    return lumvox::posix::PosixFileSource().ReadAll(*lumvox::core::Utf8ToUtf16(path));
}

// As lumvox-send and the window read a file to decode it: the mapped bytes, lent in place.
template <class Use>
void ReadInPlace(const std::string& path, Use&& use) {
    lumvox::posix::PosixFileSource().ReadInPlace(*lumvox::core::Utf8ToUtf16(path), use);
}

// iconv(3) over the whole input into one buffer the size of the worst case
// (every byte a unit), as the decoder's result holds the whole text too.
size_t IconvToUtf16(iconv_t cd, std::string_view bytes) {
    const size_t capacity = 2 * bytes.size();
    std::unique_ptr<char[]> out(new char[capacity]);
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    char* at = out.get();
    size_t out_left = capacity;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &in_left, &at, &out_left) == size_t(-1)) {
        std::perror("iconv");
        std::exit(2);
    }
    return (capacity - out_left) / 2;
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

    std::vector<double> decode, read_decode, iconv, iconv_decode, iconv_read_decode;
    size_t units = 0, iconv_units = 0;
    double peak = 0;  // MiB above what the process held before the read
    const lumvox::core::AnsiDecoder no_ansi = [](std::string_view) -> std::u16string { std::exit(3); };
    const iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    if (cd == iconv_t(-1)) {
        std::perror("iconv_open");
        return 2;
    }
    const lumvox::bench::FirstTouch touch_before = lumvox::bench::MeasureFirstTouch();
    for (int i = 0; i < runs; ++i) {
        // Alternating, so that neither side has the warmer cache throughout.
        iconv.push_back(RunIconv(path));
        ResetPeakMemory();
        const double before = PeakMemoryMiB();
        read_decode.push_back(Seconds([&] {
            ReadInPlace(path, [&](std::string_view b) { units = lumvox::core::DecodeTextFile(b, no_ansi).size(); });
        }));
        peak = std::max(peak, PeakMemoryMiB() - before);
        iconv_read_decode.push_back(
            Seconds([&] { ReadInPlace(path, [&](std::string_view b) { iconv_units = IconvToUtf16(cd, b); }); }));
        const std::string bytes = ReadFile(path);
        decode.push_back(Seconds([&] { units = lumvox::core::DecodeTextFile(bytes, no_ansi).size(); }));
        iconv_decode.push_back(Seconds([&] { iconv_units = IconvToUtf16(cd, bytes); }));
    }
    iconv_close(cd);
    const lumvox::bench::FirstTouch touch_after = lumvox::bench::MeasureFirstTouch();
    auto rate = [mib](const std::vector<double>& seconds) { return mib / Median(seconds); };
    const double ours = rate(decode), ours_read = rate(read_decode), theirs = rate(iconv);
    const double theirs_here = rate(iconv_decode), theirs_read_here = rate(iconv_read_decode);
    std::printf("file: %s, %.1f MiB of UTF-8 -> %zu UTF-16 units (iconv: %zu, no CR added), median of %d runs\n",
                path.c_str(), mib, units, iconv_units, runs);
    std::printf("DecodeTextFile, bytes in memory:        %8.1f MiB/s\n", ours);
    std::printf("iconv(3) in this process, same bytes:   %8.1f MiB/s\n", theirs_here);
    std::printf("DecodeTextFile, file read + decode:     %8.1f MiB/s\n", ours_read);
    std::printf("iconv(3) in this process, same read:    %8.1f MiB/s\n", theirs_read_here);
    std::printf("iconv -f UTF-8 -t UTF-16LE > /dev/null: %8.1f MiB/s (a process)\n", theirs);
    std::printf("peak memory of read + decode: %.1f MiB (the file %.1f MiB + its UTF-16 text %.1f MiB = %.1f MiB)\n",
                peak, mib, double(units) * 2 / kMiB, mib + double(units) * 2 / kMiB);
    std::printf("in process, alternating: ratio (read + decode) / iconv(3): %.2f; (decode only) / iconv(3): %.2f\n",
                ours_read / theirs_read_here, ours / theirs_here);
    std::printf("against the iconv process: ratio (read + decode) / iconv: %.2f; (decode only) / iconv: %.2f\n",
                ours_read / theirs, ours / theirs);
    // The figures above depend on what fresh memory costs here, which differs by
    // tens of times from machine to machine and with the load: before and after.
    lumvox::bench::PrintFirstTouch(touch_before);
    lumvox::bench::PrintFirstTouch(touch_after);
    return 0;
}

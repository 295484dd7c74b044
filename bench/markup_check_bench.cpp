// The speech-markup check on a few MiB of the workshop's seven samples, repeated:
// writes the text for bench/markup_check_vs_xmllint.sh (as it stands, and wrapped
// in one root element for xmllint) and prints the in-process checking speed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/markup_check.h"
#include "core/reference_texts.h"
#include "core/utf.h"
#include "first_touch.h"

int main(int argc, char** argv) {
    using namespace lumvox::core;
    if (argc < 2) {
        std::fprintf(stderr, "usage: markup_check_bench DIR [MiB]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::size_t mib = argc > 2 ? std::stoul(argv[2]) : 4;
    std::u16string text;
    std::string utf8;
    while (utf8.size() < mib << 20) {
        for (const SampleText& sample : kSampleTexts) {
            text += sample.text;
            text += u"\r\n";
        }
        utf8 = *Utf16ToUtf8(text);
    }
    std::ofstream(dir + "/markup.txt", std::ios::binary) << utf8;
    std::ofstream(dir + "/markup-rooted.xml", std::ios::binary) << "<sapi>" << utf8 << "</sapi>";

    std::vector<double> ms;
    std::size_t findings = 0;
    for (int run = 0; run < 15; ++run) {
        auto start = std::chrono::steady_clock::now();
        findings = CheckMarkup(text).size();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("text: %zu UTF-8 bytes (%.2f MiB), %zu UTF-16 units, %zu findings\n", utf8.size(),
                utf8.size() / 1048576.0, text.size(), findings);
    std::printf("CheckMarkup in process: median %.2f ms of 15 runs, %.0f MiB/s of UTF-8\n", median,
                utf8.size() / 1048576.0 / (median / 1000));
    lumvox::bench::PrintFirstTouch(lumvox::bench::MeasureFirstTouch());
    return 0;
}

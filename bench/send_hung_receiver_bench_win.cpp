// How long SendToSpeechApp holds the calling thread when the receiving
// window's thread does not answer. The bound is the 10 ms time-out plus the
// private copy of the text. Run under Wine by bench/send_hung_receiver.sh.
//
// Three receivers, one "Lumvox" window on its own thread each time:
//   answering  - handles messages (for reference)
//   blocked    - stopped handling messages just now: the send waits out its time-out
//   hung       - stopped for 5 s or more, which the system calls hung: the send returns at once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "copydata_receiver_win.h"
#include "platform/speech_app_link_win.h"

namespace {

using lumvox::win::SendToSpeechApp;
using lumvox::core::testing::CopyDataReceiver;

constexpr int kSends = 15;

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / frequency;
}

struct Figures { double min, median, max; };

template <class F>
Figures Measure(F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < kSends; ++i) {
        const double start = Now();
        f();
        ms.push_back(Now() - start);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2], ms.back()};
}

void Print(const char* what, size_t units, Figures f) {
    std::printf("%-34s %8zu units (%5.2f MiB)  min %7.3f  median %7.3f  max %7.3f ms\n", what, units,
                double(units) * 2 / (1024 * 1024), f.min, f.median, f.max);
}

}  // namespace

int main() {
    std::printf("SendToSpeechApp: time the calling thread is held, %d sends each\n", kSends);
    for (size_t units : {size_t(512) * 1024, size_t(1024) * 1024}) {
        const std::u16string text(units, u'가');
        // As the send takes it: a string keeps a NUL past its end.
        Print("private copy of the text alone", units, Measure([&] { std::u16string copy(text); }));
        {
            CopyDataReceiver receiver(L"Lumvox");
            Print("answering receiver", units, Measure([&] { SendToSpeechApp(text); }));
        }
        {
            CopyDataReceiver receiver(L"Lumvox");
            receiver.Hang();
            Print("blocked receiver (not yet hung)", units, Measure([&] { SendToSpeechApp(text); }));
            // The system calls a thread hung once it has not asked for messages for 5 s.
            const double since = Now();
            while (!IsHungAppWindow(receiver.window()) && Now() - since < 20000) Sleep(100);
            if (!IsHungAppWindow(receiver.window())) {
                std::printf("the receiver was never reported hung\n");
            } else {
                std::printf("  (reported hung after %.1f s)\n", (Now() - since) / 1000);
                Print("hung receiver", units, Measure([&] { SendToSpeechApp(text); }));
            }
            receiver.Release();
        }
    }
    return 0;
}

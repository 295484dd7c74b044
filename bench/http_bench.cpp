// HttpGetText beside libcurl, one fresh connection per exchange, against the
// same loopback server in the same run; EncodeRequestUrl beside
// curl_easy_escape on 1 MiB of Hangul and markup. Prints both ratios.
// Run: cmake --preset linux-bench && cmake --build --preset linux-bench &&
//      build/linux-bench/bench/lumvox_http_bench
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <asio.hpp>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

#include "core/http_client.h"
#include "core/request_url.h"
#include "core/text_rules.h"
#include "core/utf.h"

namespace {

using namespace lumvox::core;
using asio::ip::tcp;

constexpr int kExchanges = 3000;

// Answers every connection with the speech program's usual reply and closes it.
class LoopbackServer {
public:
    LoopbackServer() : acceptor_(io_, tcp::endpoint(asio::ip::address_v4::loopback(), 0)) {
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        stopping_ = true;
        { tcp::socket wake(io_); std::error_code ignored; wake.connect(acceptor_.local_endpoint(), ignored); }
        thread_.join();
    }
    unsigned short port() const { return acceptor_.local_endpoint().port(); }

private:
    void Serve() {
        static constexpr std::string_view kReply = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent";
        std::string request;
        while (!stopping_) {
            tcp::socket socket(io_);
            std::error_code ec;
            acceptor_.accept(socket, ec);
            if (ec || stopping_) continue;
            request.clear();
            asio::read_until(socket, asio::dynamic_buffer(request), "\r\n\r\n", ec);
            if (!ec) asio::write(socket, asio::buffer(kReply), ec);
            socket.shutdown(tcp::socket::shutdown_send, ec);
        }
    }

    asio::io_context io_;
    tcp::acceptor acceptor_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

LoopbackServer* server = nullptr;

EncodedUrl Url(std::u16string_view text) {
    std::string port = std::to_string(server->port());
    return std::get<EncodedUrl>(EncodeRequest(u"http://127.0.0.1:" + std::u16string(port.begin(), port.end()) +
                                              u"/" + WrapNetworkEnvelope(text)));
}

void BM_Exchange_HttpGetText(benchmark::State& state) {
    const EncodedUrl url = Url(u"안녕 하세요");
    for (auto _ : state) {
        std::u16string text = HttpGetText(url);
        if (text != u"sent") state.SkipWithError("unexpected reply");
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_Exchange_HttpGetText)->Iterations(kExchanges)->UseRealTime()->Unit(benchmark::kMicrosecond);

size_t Collect(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

void BM_Exchange_libcurl(benchmark::State& state) {
    const std::string url = *Utf16ToUtf8(Url(u"안녕 하세요").url);
    CURL* curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    // One connection per exchange, as the workshop makes it.
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    for (auto _ : state) {
        body.clear();
        long status = 0;
        if (curl_easy_perform(curl) != CURLE_OK) state.SkipWithError("curl failed");
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (status != 200 || body != "sent") state.SkipWithError("unexpected reply");
    }
    curl_easy_cleanup(curl);
}
BENCHMARK(BM_Exchange_libcurl)->Iterations(kExchanges)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Sample texts and markup, repeated to 1 MiB of UTF-8. No "?" or "#": the whole
// text must stay in the path rather than end up in parameters or a bookmark.
const std::u16string& MebibyteOfText() {
    static const std::u16string text = [] {
        const std::u16string piece =
            u"<pitch middle=\"5\">좋아</pitch> 안녕 하세요, 반갑습니다. <rate speed=\"-2\">천천히 말해요</rate>\r\n"
            u"<emph>중요</emph> <spell>ABC</spell> 100% * [테스트] {괄호} a+b=c\r\n";
        std::u16string out;
        while (Utf16ToUtf8(out)->size() < (1u << 20)) out += piece;
        return out;
    }();
    return text;
}

void BM_Encode_EncodeRequestUrl(benchmark::State& state) {
    const std::u16string url = u"http://127.0.0.1:7070/" + WrapNetworkEnvelope(MebibyteOfText());
    for (auto _ : state) {
        auto encoded = EncodeRequestUrl(url);
        benchmark::DoNotOptimize(encoded);
    }
    state.SetBytesProcessed(state.iterations() * Utf16ToUtf8(MebibyteOfText())->size());
}
BENCHMARK(BM_Encode_EncodeRequestUrl)->Unit(benchmark::kMillisecond);

void BM_Encode_curl_easy_escape(benchmark::State& state) {
    const std::string utf8 = *Utf16ToUtf8(MebibyteOfText());
    CURL* curl = curl_easy_init();
    for (auto _ : state) {
        char* escaped = curl_easy_escape(curl, utf8.data(), static_cast<int>(utf8.size()));
        benchmark::DoNotOptimize(escaped);
        curl_free(escaped);
    }
    curl_easy_cleanup(curl);
    state.SetBytesProcessed(state.iterations() * utf8.size());
}
BENCHMARK(BM_Encode_curl_easy_escape)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's real time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}  // no colour codes in logs
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration) seconds_[run.benchmark_name()] = run.real_accumulated_time / run.iterations;
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* what, const std::string& ours, const std::string& theirs) {
        if (!seconds_.count(ours) || !seconds_.count(theirs)) return;
        double a = seconds_[ours], b = seconds_[theirs];
        std::printf("%s: %.3f (%.1f us vs %.1f us)\n", what, a / b, a * 1e6, b * 1e6);
    }

private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    LoopbackServer loopback;
    server = &loopback;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios, time per operation, lower is faster for the workshop:\n");
    reporter.PrintRatio("HttpGetText / libcurl, one exchange", "BM_Exchange_HttpGetText/iterations:3000/real_time",
                        "BM_Exchange_libcurl/iterations:3000/real_time");
    reporter.PrintRatio("EncodeRequestUrl / curl_easy_escape, 1 MiB", "BM_Encode_EncodeRequestUrl",
                        "BM_Encode_curl_easy_escape");
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}

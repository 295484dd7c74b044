// HttpGetText against nginx from Debian: a real server must parse the request
// (path decoded, headers seen) and its replies must be read by the same rules.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/http_client.h"
#include "core/request_url.h"
#include "core/text_rules.h"
#include "core/utf.h"

extern char** environ;

namespace lumvox::core {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kNginx = "/usr/sbin/nginx";

// A port on 127.0.0.1 that was free a moment ago.
int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

bool Accepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// nginx in the foreground with a configuration of its own in a scratch folder:
// "/" echoes what it understood of the request; "/lumvox=chunked" sends a file
// through a filter, which makes the reply chunked; "/lumvox=missing" is a 404.
class Nginx {
public:
    Nginx() : dir_(MakeScratchDir()), port_(FreePort()) {
        fs::create_directories(dir_ / "www");
        std::ofstream(dir_ / "www/page.txt") << "chunks sent";
        std::ofstream(dir_ / "nginx.conf") << R"(daemon off;
master_process off;
worker_processes 1;
pid )" << (dir_ / "nginx.pid").string() << R"(;
error_log )" << (dir_ / "error.log").string() << R"(;
events { worker_connections 16; }
http {
  access_log off;
  client_body_temp_path body; proxy_temp_path proxy; fastcgi_temp_path fastcgi;
  uwsgi_temp_path uwsgi; scgi_temp_path scgi;
  default_type text/plain;
  server {
    listen 127.0.0.1:)" << port_ << R"(;
    location / { return 200 "sent $uri|$http_host|$http_user_agent|$http_accept|$content_type"; }
    location /lumvox=chunked { root www; sub_filter_types text/plain; sub_filter "x" "y"; try_files /page.txt =404; }
    location /lumvox=missing { return 404 "sent"; }
  }
}
)";
        std::string prefix = dir_.string() + "/", conf = (dir_ / "nginx.conf").string(),
                    log = (dir_ / "error.log").string();
        const char* argv[] = {kNginx, "-p", prefix.c_str(), "-c", conf.c_str(), "-e", log.c_str(), nullptr};
        if (posix_spawn(&pid_, kNginx, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
    }

    ~Nginx() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Waits until nginx accepts connections, or has ended.
    testing::AssertionResult Ready() {
        if (pid_ <= 0) return testing::AssertionFailure() << "could not start " << kNginx;
        for (auto give_up = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < give_up;) {
            if (Accepts(port_)) return testing::AssertionSuccess();
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return testing::AssertionFailure() << "nginx ended at start:\n" << ErrorLog();
            }
            std::this_thread::sleep_for(20ms);
        }
        return testing::AssertionFailure() << "nginx never listened:\n" << ErrorLog();
    }

    int port() const { return port_; }

private:
    static fs::path MakeScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "lumvox-nginx-XXXXXX").string();
        return mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }

    std::string ErrorLog() const {
        std::ifstream in(dir_ / "error.log");
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
    int port_;
    pid_t pid_ = -1;
};

std::u16string Ascii(std::string_view text) { return {text.begin(), text.end()}; }

EncodedUrl UrlFor(int port, std::u16string_view text) {
    return std::get<EncodedUrl>(
        EncodeRequest(u"http://127.0.0.1:" + Ascii(std::to_string(port)) + u"/" + WrapNetworkEnvelope(text)));
}

TEST(RealServer, NginxReadsTheRequestAndAnswers) {
    Nginx nginx;
    ASSERT_TRUE(nginx.Ready());
    std::u16string expected = u"sent /lumvox=안녕 하세요=lumvox|127.0.0.1:" + Ascii(std::to_string(nginx.port())) +
                              u"|Mozilla/3.0 (compatible; Indy Library)"
                              u"|text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"
                              u"|application/x-www-form-urlencoded";
    // nginx keeps the connection open: the reply ends by its Content-Length.
    EXPECT_EQ(ToUtf8Lossy(HttpGetText(UrlFor(nginx.port(), u"안녕 하세요"))), ToUtf8Lossy(expected));
    EXPECT_EQ(HttpGetText(UrlFor(nginx.port(), u"chunked")), u"chunks sent");
    try {
        HttpGetText(UrlFor(nginx.port(), u"missing"));
        ADD_FAILURE() << "a 404 reply was taken as delivered";
    } catch (const HttpFailureError& e) {
        EXPECT_EQ(e.failure(), HttpFailure::NotSuccess) << e.what();
    }
    HttpReply reply = HttpGet(UrlFor(nginx.port(), u"missing"));
    EXPECT_EQ(reply.status, 404);
    EXPECT_EQ(reply.body, "sent");
}

}  // namespace
}  // namespace lumvox::core

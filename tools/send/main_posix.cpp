// lumvox-send on Linux: the network channel only.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "core/text_file_decoder.h"
#include "core/utf.h"
#include "send_main.h"

namespace {

using namespace lumvox::send;

class PosixFiles final : public lumvox::core::FileSource {
public:
    std::string ReadAll(std::u16string_view path) override {
        std::string name = lumvox::core::ToUtf8Lossy(path);
        std::ifstream file(name, std::ios::binary);
        if (!file) {
            std::string reason = std::strerror(errno);
            throw lumvox::core::ActionError(u"Cannot open file \"" + std::u16string(path) + u"\". " +
                                           lumvox::core::Utf8ToUtf16(reason).value_or(u""));
        }
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    std::u16string DecodeAnsi(std::string_view bytes) override { return lumvox::core::DecodeWindows1252(bytes); }
};

class PosixPlatform final : public SendPlatform {
public:
    CaseLinks Links() override { return CaseLinks{nullptr, &net_, nullptr, &net_.record()}; }
    lumvox::core::FileSource& Files() override { return files_; }
    std::string ReadStandardInput() override { return std::string(std::istreambuf_iterator<char>(std::cin), {}); }

private:
    RecordingNetworkLink net_;
    PosixFiles files_;
};

}  // namespace

int main(int argc, char** argv) {
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
    auto write = [](std::FILE* stream) {
        return [stream](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stream);
            std::fflush(stream);
        };
    };
    return RunSendMain(args, platform, write(stdout), write(stderr));
}

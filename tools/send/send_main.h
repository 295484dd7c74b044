#pragma once
// lumvox-send's program logic, shared by the Windows and the Linux build.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/http_client.h"
#include "send_case.h"
#include "send_repeat.h"

namespace lumvox::send {

// What differs between the platforms.
class SendPlatform {
public:
    virtual ~SendPlatform() = default;
    virtual lumvox::core::SendLinks Links() = 0;      // null links: the channel needs Windows
    virtual lumvox::core::FileSource& Files() = 0;      // the window's file loader's source
    virtual lumvox::core::CodePageDecoder& CodePages() = 0;  // files without a byte-order mark
    // Throws CauseError (input-unreadable) when standard input can't be read.
    virtual std::string ReadStandardInput() = 0;
    // This process's memory and handles, as far as the system reports them.
    virtual ProcessCounters Counters() { return {}; }
    // The limits of the network links that --concurrency makes, one per sender.
    virtual lumvox::core::HttpLimits NetworkLimits() { return {}; }
};

using Sink = std::function<void(std::string_view)>;

int RunSendMain(const std::vector<std::u16string>& args, SendPlatform& platform, const Sink& out,
                const Sink& err);

// RunSendMain on two streams, flushed at every write so that a script reading
// the output sees each line as it comes. Output that cannot be written (a full
// disk, a closed descriptor) ends it with kExitOutputFailed, said on standard
// error where that can still be written.
int RunSendMainOn(const std::vector<std::u16string>& args, SendPlatform& platform, std::FILE* out, std::FILE* err);

}  // namespace lumvox::send

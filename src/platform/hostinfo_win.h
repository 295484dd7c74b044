#pragma once
// Module hostinfo: the computer's own IPv4 address and the program's own file version.
// Both never raise and never report: any failure gives empty text.
#include <future>
#include <string>
#include <string_view>

namespace lumvox::win {

std::u16string GetLocalIPAddress();
std::u16string GetOwnFileVersion();

// FileVersion of any file, looked up through its first translation only.
std::u16string FileVersionOf(std::u16string_view path);

struct HostFacts {
    std::u16string address;  // GetLocalIPAddress
    std::u16string version;  // GetOwnFileVersion
};

// Both facts looked up on a thread of their own from the moment this is made:
// the name lookup and the loading of the sockets and version libraries then
// overlap the start-up's other work instead of coming after it. Get waits for
// them; the destructor waits too, so the thread never outlives its owner.
class HostFactsLookup {
public:
    HostFactsLookup();
    const HostFacts& Get();

private:
    std::future<HostFacts> pending_;
    HostFacts facts_;
    bool taken_ = false;
};

}  // namespace lumvox::win

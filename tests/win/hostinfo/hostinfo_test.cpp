#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/hostinfo_win.h"

namespace hostinfo {
namespace {

// The fixtures lie beside the test program.
std::u16string BesideMe(std::u16string_view name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string dir(reinterpret_cast<const char16_t*>(path));
    dir.resize(dir.find_last_of(u"\\/") + 1);
    return dir + std::u16string(name);
}

std::u16string Utf16(const char* ascii) { return std::u16string(ascii, ascii + strlen(ascii)); }

TEST(FileVersionOf, TheWorkshopsOwnVersion) { EXPECT_EQ(lumvox::win::FileVersionOf(Utf16(LUMVOX_WORKSHOP_EXE)), u"2.0.1.10"); }

TEST(FileVersionOf, FollowsTheFirstTranslationOnly) {
    struct Case {
        std::u16string_view file;
        std::u16string_view version;
    };
    constexpr Case kCases[] = {
        {u"version_fixture_korean_first.dll", u"3.1.4.1 한국어"},  // key 041204B0, not 040904E4
        {u"version_fixture_second_only.dll", u""},                 // no table for the first entry
        {u"version_fixture_beta.dll", u"2.0.1.10 beta"},           // as stored
        {u"version_fixture_no_version.dll", u""},
        {u"no_such_file.dll", u""},
    };
    for (const auto& c : kCases) {
        const std::u16string path = BesideMe(c.file);
        ASSERT_TRUE(c.file == u"no_such_file.dll" ||
                    GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str())) != INVALID_FILE_ATTRIBUTES)
            << "fixture missing";
        EXPECT_EQ(lumvox::win::FileVersionOf(path), c.version) << std::string(c.file.begin(), c.file.end());
    }
}

TEST(GetOwnFileVersion, ReadsTheRunningProgram) { EXPECT_EQ(lumvox::win::GetOwnFileVersion(), u"7.7.7.7 test"); }

TEST(GetLocalIPAddress, DottedIPv4AndTheLibraryReleased) {
    const std::u16string address = lumvox::win::GetLocalIPAddress();
    const std::string text(address.begin(), address.end());
    const std::regex octet_quad(R"(^(25[0-5]|2[0-4]\d|1\d\d|[1-9]?\d)(\.(25[0-5]|2[0-4]\d|1\d\d|[1-9]?\d)){3}$)");
    EXPECT_TRUE(std::regex_match(text, octet_quad)) << text;
    EXPECT_EQ(lumvox::win::GetLocalIPAddress(), address) << "every call looks it up afresh, with the same answer";
    // Each call pairs its WSAStartup with WSACleanup: without one of our own, the
    // library is not started any more.
    EXPECT_EQ(gethostbyname(nullptr), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

// Looked up on a thread of its own, the facts are those the direct calls give,
// and the thread's sockets library is released when it ends.
TEST(HostFactsLookup, GivesWhatTheDirectLookupsGive) {
    lumvox::win::HostFactsLookup lookup;
    const lumvox::win::HostFacts& facts = lookup.Get();
    EXPECT_EQ(facts.address, lumvox::win::GetLocalIPAddress());
    EXPECT_EQ(facts.version, u"7.7.7.7 test");
    EXPECT_EQ(&lookup.Get(), &facts) << "a second Get answers from the facts taken, not from the spent future";
    EXPECT_EQ(gethostbyname(nullptr), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

}  // namespace
}  // namespace hostinfo

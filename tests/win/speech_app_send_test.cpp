#include <windows.h>

#include <gtest/gtest.h>

#include <future>

#include "copydata_receiver_win.h"
#include "platform/speech_app_link_win.h"

namespace lumvox::core {
namespace {

using testing::CopyDataReceiver;
using testing::CopyDataRecord;
using testing::kDeadlockGuard;

std::vector<uint8_t> Utf16LeBytes(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

// Every unit value but NUL, so a byte that goes missing or moves shows.
std::u16string Varied(size_t length) {
    std::u16string text(length, u'\0');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char16_t>(1 + (i * 7919) % 0xFFFF);
    return text;
}

TEST(SendToSpeechApp, DeliversIdFullByteCountAndTheUnits) {
    CopyDataReceiver receiver(L"Lumvox");
    ASSERT_TRUE(receiver.window());
    const std::u16string texts[] = {
        u"안녕하세요",
        u"<lumvox>안녕하세요</lumvox>",
        u"a\r\nb",
        u"\xD83D\xDE00",
        u"",
        Varied(32767),
        Varied(32768),  // a 16-bit byte count would be 0 here
        Varied(32769),
        Varied(65536),  // and 0 again here
    };
    size_t expected_records = 0;
    for (const std::u16string& text : texts) {
        lumvox::win::SendToSpeechApp(text);
        const std::vector<CopyDataRecord> records = receiver.WaitForRecords(++expected_records);
        ASSERT_EQ(records.size(), expected_records) << "length " << text.size();
        const CopyDataRecord& got = records.back();
        EXPECT_EQ(got.id, 1024u);
        EXPECT_EQ(got.sender, 0u);
        EXPECT_EQ(got.byte_count, 2 * text.size()) << "the terminator is not counted";
        EXPECT_TRUE(got.bytes == Utf16LeBytes(text)) << "length " << text.size();
    }
}

TEST(SendToSpeechApp, TitleMatchIgnoresLetterCase) {
    CopyDataReceiver receiver(L"LUMVOX");
    lumvox::win::SendToSpeechApp(u"hi");
    const auto records = receiver.WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].bytes == Utf16LeBytes(u"hi"));
}

TEST(SendToSpeechApp, ReturnsWhileTheReceiverIsHung) {
    CopyDataReceiver receiver(L"Lumvox");
    receiver.Hang();
    // On a worker, so that a send that never returns fails here instead of
    // hanging the run.
    auto send = std::async(std::launch::async, [] { lumvox::win::SendToSpeechApp(std::u16string(512 * 1024, u'x')); });
    const bool returned = send.wait_for(kDeadlockGuard) == std::future_status::ready;
    EXPECT_TRUE(returned) << "the send held its thread while the receiver hung";
    EXPECT_TRUE(receiver.Records().empty()) << "the receiver was still hung when the send returned";
    receiver.Release();
}

TEST(SendToSpeechApp, NoWindowMeansNothingHappens) {
    CopyDataReceiver other(L"Lumvox Workshop V2");
    lumvox::win::SendToSpeechApp(u"nobody listens");
    // A message to the wrong window would be handled before this one.
    SendMessageW(other.window(), WM_NULL, 0, 0);
    EXPECT_TRUE(other.Records().empty());
}

}  // namespace
}  // namespace lumvox::core

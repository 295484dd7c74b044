#include <windows.h>

#include <gtest/gtest.h>

#include <future>

#include "copydata_receiver_win.h"
#include "core/page_actions.h"
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
        EXPECT_EQ(lumvox::win::SendToSpeechApp(text).code, CauseCode::None) << "the window's thread took it";
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
    auto send = std::async(std::launch::async, [] { return lumvox::win::SendToSpeechApp(std::u16string(512 * 1024, u'x')); });
    const bool returned = send.wait_for(kDeadlockGuard) == std::future_status::ready;
    EXPECT_TRUE(returned) << "the send held its thread while the receiver hung";
    EXPECT_TRUE(receiver.Records().empty()) << "the receiver was still hung when the send returned";
    if (returned) {
        // Not confirmed rather than lost: the blocked thread may still take it.
        const SendCause cause = send.get();
        EXPECT_EQ(cause.code, CauseCode::NotConfirmed) << CauseTextEnglish(cause);
        EXPECT_NE(cause.hung, Hung::Unknown) << "the system tells a busy thread from a hung one";
    }
    receiver.Release();
}

// The copy-data kinds of failure as the send log records them, through the page action.
TEST(SendToSpeechApp, PageActionRecordsEachCopyDataOutcome) {
    struct NoView final : PageView {
        std::u16string text = u"hi";
        std::vector<std::u16string> shown;
        std::u16string Text(TextField) override { return text; }
        void SetText(TextField, std::u16string_view) override {}
        void AppendLine(TextField, std::u16string_view) override {}
        bool UseProtocol() override { return false; }
        int SelectedCommandIndex() override { return -1; }
        void ShowMessage(std::u16string_view t) override { shown.emplace_back(t); }
        void ShowSendState(SendState, std::u16string_view) override {}
        void ShowNotice(std::u16string_view) override {}
        void RepeatSendState() override {}
        std::optional<std::u16string> ChooseTextFile() override { return std::nullopt; }
    };
    struct NoNetwork final : NetworkLink {
        HttpReply Get(const EncodedUrl&, std::stop_token) override { return {}; }
    };
    struct NoClipboard final : ClipboardLink {
        void PlaceText(std::u16string_view) override {}
    };
    struct NoFiles final : FileSource {
        std::string ReadAll(std::u16string_view) override { return {}; }
        std::u16string DecodeAnsi(std::string_view) override { return {}; }
    };
    NoView view;
    lumvox::win::WindowMessageLink app;
    NoNetwork network;
    NoClipboard clipboard;
    NoFiles files;
    PageActions actions(view, PageLinks{app, network, clipboard, files});

    EXPECT_EQ(actions.SendToApp().cause.code, CauseCode::NoWindow);
    EXPECT_EQ(view.shown.size(), 1u) << "only the missing window has a message";

    CopyDataReceiver receiver(L"Lumvox");
    SendRecord delivered = actions.SendToApp();
    EXPECT_EQ(delivered.outcome, SendOutcome::Delivered);
    EXPECT_EQ(delivered.wire_bytes, 4u);
    receiver.Hang();
    auto hung = std::async(std::launch::async, [&] { return actions.SendToApp(); });
    ASSERT_EQ(hung.wait_for(kDeadlockGuard), std::future_status::ready);
    SendRecord record = hung.get();
    EXPECT_EQ(record.cause.code, CauseCode::NotConfirmed);
    EXPECT_EQ(record.outcome, SendOutcome::NotAcknowledged);
    receiver.Release();
    EXPECT_EQ(view.shown.size(), 1u) << "the window reports nothing after a send";
}

TEST(SendToSpeechApp, NoWindowMeansNothingHappens) {
    CopyDataReceiver other(L"Lumvox Workshop V2");
    EXPECT_EQ(lumvox::win::SendToSpeechApp(u"nobody listens").code, CauseCode::WindowGone);
    // A message to the wrong window would be handled before this one.
    SendMessageW(other.window(), WM_NULL, 0, 0);
    EXPECT_TRUE(other.Records().empty());
}

}  // namespace
}  // namespace lumvox::core

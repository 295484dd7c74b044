// What a listener hears of a session, through the page actions and fake links:
// each send's end says where it went (or why not), numbered; an outcome hidden by
// a box is said again after it; every text an action replaces or empties is said.
#include "core/status_words.h"

#include <gtest/gtest.h>

#include <functional>
#include <span>

#include "core/page_actions.h"
#include "core/reference_texts.h"
#include "core/text_rules.h"
#include "core/utf.h"
#include "page_fakes.h"

namespace lumvox::core {
namespace {

using testing::PageHarness;

constexpr std::u16string_view kNotRunning = u"Lumvox를 실행하고 [어플리케이션에서 메세지 받기]를 선택하십시오!";

// One session: each step runs on the same window, and a listener hears `heard`.
struct Step {
    const char* what;
    std::function<void(PageHarness&)> run;
    std::vector<std::u16string> heard;
};

void Play(PageHarness& h, std::span<const Step> steps) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        h.view.said.clear();
        try {
            step.run(h);
        } catch (const ActionError& e) {
            h.view.said.push_back(u"error report: " + e.message());
        }
        EXPECT_EQ(h.view.said, step.heard) << ToUtf8Lossy(h.view.said.empty() ? u"" : h.view.said.back());
    }
}

TEST(Heard, EachSendSaysWhereItWentNumberedAndABoxIsFollowedByTheWordsAgain) {
    PageHarness h;
    h.view.fields[TextField::NetHostEdit] = u" 127.0.0.1 ";
    const Step steps[] = {
        {"F8", [](PageHarness& h) { h.view.fields[TextField::AppText] = u" hi \r\n"; h.actions.SendToApp(); },
         {u"state: 전송됨: 어플리케이션, 2자 (1번째 전송)"}},
        {"F8 again, the same text: heard again, as a new text",
         [](PageHarness& h) { h.actions.SendToApp(); },
         {u"state: 전송됨: 어플리케이션, 2자 (2번째 전송)"}},
        {"F8 with the envelope", [](PageHarness& h) { h.view.use_protocol = true; h.actions.SendToApp(); },
         {u"state: 전송됨: 어플리케이션, 19자 (3번째 전송)"}},
        {"F8 without the speech program: its box, then the cause again",
         [](PageHarness& h) { h.speech_app.running = false; h.actions.SendToApp(); },
         {u"state: " + CauseTextKorean(SendCause(CauseCode::NoWindow)) + u" (4번째 전송)",
          u"box: " + std::u16string(kNotRunning), u"repeat"}},
        {"F9", [](PageHarness& h) { h.view.fields[TextField::NetText] = u"안녕"; h.actions.SendOverNetwork(); },
         {u"state: 전송됨: 네트워크 127.0.0.1:7070, 16자 (5번째 전송)"}},
        {"Ctrl+B, a text", [](PageHarness& h) { h.view.fields[TextField::ClipText] = u"abc"; h.actions.CopyToClipboard(); },
         {u"state: 전송됨: 클립보드, 20자 (6번째 전송)"}},
        {"Ctrl+B, no text but the envelope",
         [](PageHarness& h) { h.view.fields[TextField::ClipText] = u""; h.actions.CopyToClipboard(); },
         {u"state: 전송됨: 클립보드, 빈 봉투 <lumvox></lumvox>만 (텍스트 없음) (7번째 전송)"}},
        {"Ctrl+B, an empty text", [](PageHarness& h) { h.view.use_protocol = false; h.actions.CopyToClipboard(); },
         {u"state: 전송됨: 클립보드, 빈 텍스트 (0자) (8번째 전송)"}},
        {"Ctrl+B, blanks only: the clipboard takes them as they are",
         [](PageHarness& h) { h.view.fields[TextField::ClipText] = u"  "; h.actions.CopyToClipboard(); },
         {u"state: 전송됨: 클립보드, 2자 (9번째 전송)"}},
        {"Ctrl+B failing: recorded and numbered, then the general error report",
         [](PageHarness& h) { h.clipboard.failure = u"held"; h.actions.CopyToClipboard(); },
         {u"state: " + CauseTextKorean(SendCause(CauseCode::ClipboardFailed, u"held")) + u" (10번째 전송)",
          u"error report: held"}},
    };
    Play(h, steps);
    EXPECT_EQ(h.speech_app.sent.size(), 3u);
}

TEST(Heard, TextsThatAnActionReplacesOrEmptiesAreSaidWithTheirNewLength) {
    PageHarness h;
    h.files.files[u"C:\\texts\\a.txt"] = "one\ntwo";
    const std::u16string plain_sample = std::u16string(kSampleTexts[0].text) + u"\r\n";
    const std::u16string command = WrapCommandEnvelope(kCommandNames[1]);
    const Step steps[] = {
        {"a sample", [](PageHarness& h) { h.actions.InsertSample(0); },
         {u"notice: 첫 페이지 텍스트를 바꿨습니다: 예문 " + std::u16string(kSampleTexts[0].menu_caption) + u", " +
          Utf8ToUtf16(std::to_string(plain_sample.size())).value() + u"자"}},
        {"a command", [](PageHarness& h) { h.view.selected_command = 1; h.actions.InsertSelectedCommand(); },
         {u"notice: 첫 페이지 텍스트를 바꿨습니다: 명령어 " + std::u16string(kCommandNames[1]) + u", " +
          Utf8ToUtf16(std::to_string(command.size())).value() + u"자"}},
        {"a file: its name, not its folder",
         [](PageHarness& h) { h.view.chosen_file = u"C:\\texts\\a.txt"; h.actions.LoadTextFile(); },
         {u"notice: 첫 페이지 텍스트를 바꿨습니다: 파일 a.txt, 8자"}},
        {"the file dialog cancelled: nothing changed, nothing said",
         [](PageHarness& h) { h.view.chosen_file.reset(); h.actions.LoadTextFile(); }, {}},
        {"the box ticked with a text on the third page",
         [](PageHarness& h) { h.view.fields[TextField::ClipText] = u"x"; h.view.use_protocol = true; h.actions.UseProtocolToggled(); },
         {u"notice: 셋째 페이지 텍스트를 비웠습니다 (프로토콜 사용 켬, 0자)"}},
        {"unticked with a text",
         [](PageHarness& h) { h.view.fields[TextField::ClipText] = u"y"; h.view.use_protocol = false; h.actions.UseProtocolToggled(); },
         {u"notice: 셋째 페이지 텍스트를 비웠습니다 (프로토콜 사용 끔, 0자)"}},
        {"ticked with the text already empty: nothing changed", [](PageHarness& h) { h.actions.UseProtocolToggled(); }, {}},
    };
    Play(h, steps);
    EXPECT_EQ(h.view.fields[TextField::AppText], u"one\r\ntwo");
}

}  // namespace
}  // namespace lumvox::core

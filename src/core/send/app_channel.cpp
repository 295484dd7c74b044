// The first page's channel: a copy-data message to the speech program's window.
#include "core/hex_dump.h"
#include "core/page_messages.h"
#include "core/send/recording_links.h"
#include "core/send/request.h"
#include "core/speech_app_link.h"
#include "core/wire_warnings.h"

namespace lumvox::core {
namespace {

void SendByCopyData(const SendRequest& request, const SendLinks& links, std::stop_token, SendRecord& record) {
    // Wrapping comes before the empty test: a blank text with the box ticked
    // still delivers the bare envelope.
    record.handed_over = HandoverOf(request).text;
    const std::u16string& text = record.handed_over;
    record.warnings = NulWarnings(text);
    if (text.empty()) {
        record.SetCause(SendCause(CauseCode::EmptyText));
    } else if (!links.speech_app->IsRunning()) {
        record.SetCause(SendCause(CauseCode::NoWindow));
    } else {
        SendCause cause = links.speech_app->Send(text);
        // Nothing crossed when the window had gone; otherwise its copy did.
        if (cause.code != CauseCode::WindowGone) record.wire_bytes = text.size() * sizeof(char16_t);
        record.SetCause(std::move(cause));
    }
}

std::string DryRunWords(const RecordingLinks& recorded) {
    if (!recorded.app.sent) return "";
    const std::u16string_view text = *recorded.app.sent;
    return "copy-data to the top-level window \"Lumvox\"\n"
           "dwData: " + std::to_string(kCopyDataTextId) + "\n"
           "cbData: " + std::to_string(text.size() * 2) + "\n"
           "bytes (UTF-16LE): " + HexOfUtf16Le(text) + "\n";
}

}  // namespace

extern const ChannelRow kAppChannel;
const ChannelRow kAppChannel = {
    SendChannel::App, "app", u"어플리케이션", true, true, messages::kEmptyText, u"",
    "the copy-data message went to the speech program's window", false,
    "by copy-data message to the window \"Lumvox\"", &DryRunWords,
    [](const SendLinks& links) { return links.speech_app != nullptr; }, &SendByCopyData,
};

}  // namespace lumvox::core

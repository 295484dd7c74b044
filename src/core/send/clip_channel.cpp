// The third page's channel: the clipboard, which the speech program reads.
#include "core/action_error.h"
#include "core/send/recording_links.h"
#include "core/send/request.h"
#include "core/utf.h"
#include "core/wire_warnings.h"

namespace lumvox::core {
namespace {

void SendByClipboard(const SendRequest& request, const SendLinks& links, std::stop_token, SendRecord& record) {
    record.handed_over = HandoverOf(request).text;
    record.warnings = NulWarnings(record.handed_over);
    try {
        links.clipboard->PlaceText(record.handed_over);
        record.wire_bytes = (record.handed_over.size() + 1) * sizeof(char16_t);
    } catch (const CauseError& error) {
        record.SetCause(error.cause());
        record.error_report = error.message();
    } catch (const ActionError& error) {
        record.SetCause(SendCause(CauseCode::ClipboardFailed, error.message()));
        record.error_report = error.message();
    }
}

std::string DryRunWords(const RecordingLinks& recorded) {
    if (!recorded.clip.placed) return "";
    const std::u16string_view text = *recorded.clip.placed;
    return "clipboard: one CF_UNICODETEXT item, " + std::to_string(text.size() * 2 + 2) +
           " bytes (the text and its terminating NUL)\ntext: " + ToUtf8Lossy(text) + "\n";
}

}  // namespace

extern const ChannelRow kClipChannel;
const ChannelRow kClipChannel = {
    SendChannel::Clip, "clip", u"클립보드", false, true, u"", u"", "the clipboard holds the text", false,
    "through the clipboard", &DryRunWords, [](const SendLinks& links) { return links.clipboard != nullptr; }, &SendByClipboard,
};

}  // namespace lumvox::core

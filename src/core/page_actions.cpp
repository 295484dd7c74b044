#include "page_actions.h"

#include <string>
#include <variant>

#include "page_messages.h"
#include "reference_texts.h"
#include "request_url.h"
#include "text_file_decoder.h"
#include "text_rules.h"

namespace lumvox::core {
namespace {

constexpr std::u16string_view kAcknowledgement = u"sent";

std::u16string ListIndexError(int index) {
    std::u16string message = u"List index out of bounds (";
    for (char c : std::to_string(index)) message.push_back(static_cast<char16_t>(c));
    return message + u")";
}

}  // namespace

void PageActions::SendToApp() {
    std::u16string text = TrimText(view_.Text(TextField::AppText));
    // Wrapping comes before the empty test: a blank text with the box ticked
    // still delivers the bare envelope.
    if (view_.UseProtocol()) text = WrapProtocolEnvelope(text);
    if (text.empty()) return view_.ShowMessage(messages::kEmptyText);
    if (!links_.speech_app.IsRunning()) return view_.ShowMessage(messages::kNotRunning);
    links_.speech_app.Send(text);
}

void PageActions::SendOverNetwork() {
    const std::u16string host = TrimText(view_.Text(TextField::NetHostEdit));
    if (host.empty()) return view_.ShowMessage(messages::kNoDestination);
    const std::u16string port = TrimText(view_.Text(TextField::NetPortEdit));
    if (port.empty()) return view_.ShowMessage(messages::kNoDestination);
    const std::u16string message = TrimText(view_.Text(TextField::NetText));
    if (message.empty()) return view_.ShowMessage(messages::kNoNetworkMessage);

    const std::u16string url = u"http://" + host + u":" + port + u"/" + WrapNetworkEnvelope(message);
    const EncodeResult encoded = EncodeRequestUrl(url);
    const auto* encoded_url = std::get_if<std::u16string>(&encoded);
    if (!encoded_url) return view_.ShowMessage(messages::kConnectivity);
    std::u16string reply;
    try {
        reply = links_.network.GetText(*encoded_url);
    } catch (...) {
        // Every failure of the exchange is the one message; its own text is never shown.
        return view_.ShowMessage(messages::kConnectivity);
    }
    if (reply.find(kAcknowledgement) == std::u16string::npos) view_.ShowMessage(messages::kSendError);
}

void PageActions::PreviewNetworkText() {
    view_.ShowMessage(WrapNetworkEnvelope(view_.Text(TextField::NetText)));
}

void PageActions::CopyToClipboard() {
    std::u16string text = view_.Text(TextField::ClipText);
    if (view_.UseProtocol()) text = WrapProtocolEnvelope(text);
    links_.clipboard.PlaceText(text);
}

void PageActions::ClearClipText() { view_.SetText(TextField::ClipText, u""); }

void PageActions::UseProtocolToggled() { view_.SetText(TextField::ClipText, u""); }

void PageActions::InsertSample(size_t sample_index) {
    const SampleText& sample = kSampleTexts.at(sample_index);
    view_.SetText(TextField::AppText, u"");
    view_.AppendLine(TextField::AppText, sample.text);
}

void PageActions::InsertSelectedCommand() {
    const int index = view_.SelectedCommandIndex();
    if (index < 0 || static_cast<size_t>(index) >= kCommandNames.size())
        throw ActionError(ListIndexError(index));
    view_.SetText(TextField::AppText, WrapCommandEnvelope(kCommandNames[static_cast<size_t>(index)]));
}

void PageActions::ClearAppText() { view_.SetText(TextField::AppText, u""); }

void PageActions::LoadTextFile() {
    const std::optional<std::u16string> path = view_.ChooseTextFile();
    if (!path) return;
    // Emptied before the file is opened, so a file that fails leaves it empty.
    view_.SetText(TextField::AppText, u"");
    const std::string bytes = links_.files.ReadAll(*path);
    view_.SetText(TextField::AppText,
                  DecodeTextFile(bytes, [this](std::string_view b) { return links_.files.DecodeAnsi(b); }));
}

}  // namespace lumvox::core

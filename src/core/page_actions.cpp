#include "page_actions.h"

#include <string>

#include "reference_texts.h"
#include "status_words.h"
#include "text_file_decoder.h"
#include "text_rules.h"

namespace lumvox::core {
namespace {

std::u16string ListIndexError(int index) {
    std::u16string message = u"List index out of bounds (";
    for (char c : std::to_string(index)) message.push_back(static_cast<char16_t>(c));
    return message + u")";
}

// The last part of a path, after its last "\\" or "/".
std::u16string_view FileNameOf(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

SendRequest PageActions::RequestOf(SendChannel channel) {
    SendRequest request;
    request.channel = channel;
    switch (channel) {
    case SendChannel::App: request.text = view_.Text(TextField::AppText); break;
    case SendChannel::Net:
        request.host = view_.Text(TextField::NetHostEdit);
        request.port = view_.Text(TextField::NetPortEdit);
        request.text = view_.Text(TextField::NetText);
        break;
    case SendChannel::Clip: request.text = view_.Text(TextField::ClipText); break;
    }
    if (ChannelOf(channel).takes_protocol) request.protocol = view_.UseProtocol();
    return request;
}

SendRecord PageActions::SendFromPage(SendChannel channel) {
    SendRecord record = Send(RequestOf(channel), Links());
    Report(record);
    return record;
}

void PageActions::Report(const SendRecord& record) {
    if (journal_) journal_->Record(record);
    view_.ShowSendState(SendState::Ended, SendEndedWords(record, ++sends_));
    if (std::u16string_view message = WindowMessage(record); !message.empty()) {
        view_.ShowMessage(message);
        view_.RepeatSendState();
    }
    // The clipboard's failures go on to the general error report once recorded.
    if (!record.error_report.empty()) throw CauseError(record.error_report, record.cause);
}

bool PageActions::StartNetworkSend(std::function<void()> ended) {
    if (background_.UnderWay()) return false;
    SendRequest request = RequestOf(SendChannel::Net);
    view_.ShowSendState(SendState::UnderWay, SendingWords(request));
    return background_.Start(std::move(request), Links(), std::move(ended));
}

std::optional<SendRecord> PageActions::EndNetworkSend() {
    std::optional<SendRecord> record = background_.TakeRecord();
    if (record) Report(*record);
    return record;
}

SendRecord PageActions::SendToApp() { return SendFromPage(SendChannel::App); }
SendRecord PageActions::SendOverNetwork() { return SendFromPage(SendChannel::Net); }
SendRecord PageActions::CopyToClipboard() { return SendFromPage(SendChannel::Clip); }

void PageActions::PreviewNetworkText() {
    view_.ShowMessage(WrapNetworkEnvelope(view_.Text(TextField::NetText)));
}

void PageActions::ClearClipText() { view_.SetText(TextField::ClipText, u""); }

void PageActions::UseProtocolToggled() {
    const bool had_text = !view_.Text(TextField::ClipText).empty();
    view_.SetText(TextField::ClipText, u"");
    if (had_text) view_.ShowNotice(ClipTextEmptiedWords(view_.UseProtocol()));
}

void PageActions::InsertSample(size_t sample_index) {
    const SampleText& sample = kSampleTexts.at(sample_index);
    view_.SetText(TextField::AppText, u"");
    view_.AppendLine(TextField::AppText, sample.text);
    view_.ShowNotice(FirstPageReplacedWords(TextSource::Sample, sample.menu_caption,
                                            view_.Text(TextField::AppText).size()));
}

void PageActions::InsertSelectedCommand() {
    const int index = view_.SelectedCommandIndex();
    if (index < 0 || static_cast<size_t>(index) >= kCommandNames.size())
        throw ActionError(ListIndexError(index));
    const std::u16string_view command = kCommandNames[static_cast<size_t>(index)];
    const std::u16string text = WrapCommandEnvelope(command);
    view_.SetText(TextField::AppText, text);
    view_.ShowNotice(FirstPageReplacedWords(TextSource::Command, command, text.size()));
}

void PageActions::ClearAppText() { view_.SetText(TextField::AppText, u""); }

void PageActions::LoadTextFile() {
    const std::optional<std::u16string> path = view_.ChooseTextFile();
    if (!path) return;
    // Emptied before the file is opened, so a file that fails leaves it empty.
    view_.SetText(TextField::AppText, u"");
    const std::u16string text = ReadTextFile(links_.files, *path);
    view_.SetText(TextField::AppText, text);
    view_.ShowNotice(FirstPageReplacedWords(TextSource::File, FileNameOf(*path), text.size()));
}

}  // namespace lumvox::core

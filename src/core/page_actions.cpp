#include "page_actions.h"

#include <chrono>
#include <string>
#include <variant>

#include "http_reply_reader.h"
#include "http_request.h"
#include "reference_texts.h"
#include "request_url.h"
#include "text_file_decoder.h"
#include "text_rules.h"
#include "wire_warnings.h"

namespace lumvox::core {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::u16string_view kAcknowledgement = u"sent";
constexpr size_t kBodyStartChars = 200;

std::u16string ListIndexError(int index) {
    std::u16string message = u"List index out of bounds (";
    for (char c : std::to_string(index)) message.push_back(static_cast<char16_t>(c));
    return message + u")";
}

SendRecord Begin(SendChannel channel) {
    SendRecord record;
    record.channel = channel;
    record.start = std::chrono::system_clock::now();
    return record;
}

void SetCause(SendRecord& record, SendCause cause) {
    record.outcome = OutcomeOf(cause.code);
    record.cause = std::move(cause);
}

SendCause Cause(CauseCode code) {
    SendCause cause;
    cause.code = code;
    return cause;
}

SendCause CauseOf(const HttpFailureError& error, const UrlParts& parts) {
    const HttpFailureFacts& facts = error.facts();
    SendCause cause;
    cause.address = facts.address;
    cause.limit = facts.limit;
    cause.limit_value = facts.limit_value;
    cause.after_ms = facts.after_ms;
    cause.status = facts.status;
    cause.reason = facts.reason;
    cause.offset = facts.offset;
    cause.system_text = Utf8ToUtf16(facts.system_text).value_or(u"");
    switch (error.failure()) {
    case HttpFailure::BadUrl: cause.code = CauseCode::EmptyHost; break;
    case HttpFailure::BadPort:
        cause.code = CauseCode::BadPort;
        cause.port = parts.port;
        break;
    case HttpFailure::NoAddress:
        cause.code = CauseCode::NoAddress;
        cause.host = parts.host;
        break;
    case HttpFailure::Refused: cause.code = CauseCode::ConnectionRefused; break;
    case HttpFailure::ConnectFailed: cause.code = CauseCode::ConnectFailed; break;
    case HttpFailure::TimedOut: cause.code = CauseCode::TimedOut; break;
    case HttpFailure::Broken: cause.code = CauseCode::ConnectionReset; break;
    case HttpFailure::ClosedEarly:
        cause.code = CauseCode::ClosedEarly;
        cause.system_text = Utf8ToUtf16(error.what()).value_or(u"");
        break;
    case HttpFailure::BadStatusLine: cause.code = CauseCode::BadStatusLine; break;
    case HttpFailure::OverLimit: cause.code = CauseCode::OverLimit; break;
    case HttpFailure::NotSuccess: cause.code = CauseCode::NotSuccess; break;
    case HttpFailure::NotUtf8: cause.code = CauseCode::NotUtf8; break;
    }
    return cause;
}

// Whether the failure came after a connection was made, so the request went out.
bool RequestWentOut(const HttpFailureError& error) {
    switch (error.failure()) {
    case HttpFailure::BadUrl:
    case HttpFailure::BadPort:
    case HttpFailure::NoAddress:
    case HttpFailure::Refused:
    case HttpFailure::ConnectFailed: return false;
    case HttpFailure::TimedOut: return error.facts().limit != "connect";
    default: return true;
    }
}

}  // namespace

SendRecord PageActions::Finish(SendRecord record) {
    record.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now() -
                                                                           record.start);
    if (journal_) journal_->Record(record);
    if (std::u16string_view message = WindowMessage(record); !message.empty()) view_.ShowMessage(message);
    return record;
}

SendRecord PageActions::SendToApp() {
    SendRecord record = Begin(SendChannel::App);
    record.text = view_.Text(TextField::AppText);
    record.protocol = view_.UseProtocol();
    std::u16string text = TrimText(record.text);
    // Wrapping comes before the empty test: a blank text with the box ticked
    // still delivers the bare envelope.
    if (record.protocol) text = WrapProtocolEnvelope(text);
    record.handed_over = text;
    record.warnings = NulWarnings(text);
    if (text.empty()) {
        SetCause(record, Cause(CauseCode::EmptyText));
    } else if (!links_.speech_app.IsRunning()) {
        SetCause(record, Cause(CauseCode::NoWindow));
    } else {
        SendCause cause = links_.speech_app.Send(text);
        // Nothing crossed when the window had gone; otherwise its copy did.
        if (cause.code != CauseCode::WindowGone) record.wire_bytes = text.size() * sizeof(char16_t);
        SetCause(record, std::move(cause));
    }
    return Finish(std::move(record));
}

SendRecord PageActions::SendOverNetwork() {
    SendRecord record = Begin(SendChannel::Net);
    record.host = view_.Text(TextField::NetHostEdit);
    record.port = view_.Text(TextField::NetPortEdit);
    record.text = view_.Text(TextField::NetText);
    const std::u16string host = TrimText(record.host);
    const std::u16string port = TrimText(record.port);
    const std::u16string message = TrimText(record.text);
    if (host.empty() || port.empty()) {
        SetCause(record, Cause(CauseCode::EmptyDestination));
        return Finish(std::move(record));
    }
    if (message.empty()) {
        SetCause(record, Cause(CauseCode::EmptyText));
        return Finish(std::move(record));
    }

    const std::u16string prefix = u"http://" + host + u":" + port + u"/";
    record.handed_over = WrapNetworkEnvelope(message);
    EncodeRequestResult encoded = EncodeRequest(prefix + record.handed_over);
    auto* url = std::get_if<EncodedUrl>(&encoded);
    if (!url) {
        const bool surrogate = std::get<EncodeFailure>(encoded) == EncodeFailure::UnpairedSurrogate;
        SetCause(record, Cause(surrogate ? CauseCode::UnpairedSurrogate : CauseCode::EmptyHost));
        return Finish(std::move(record));
    }
    record.warnings = NetworkWarnings(url->parts, prefix.size() + 7, message);
    record.request = RequestBytes(url->parts);
    HttpReply reply;
    std::u16string text;
    try {
        reply = links_.network.Get(*url);
        record.wire_bytes = record.request.size();
        record.status = reply.status;
        record.body = reply.body;
        text = ReplyText(reply);  // throws for a status outside 2xx and for a body not UTF-8
    } catch (const HttpFailureError& error) {
        // Every failure of the exchange is the one message in the window; the cause goes to the log.
        SetCause(record, CauseOf(error, url->parts));
        if (RequestWentOut(error)) record.wire_bytes = record.request.size();
        return Finish(std::move(record));
    } catch (const std::exception& error) {
        SendCause cause = Cause(CauseCode::ExchangeFailed);
        cause.system_text = Utf8ToUtf16(error.what()).value_or(u"");
        SetCause(record, std::move(cause));
        return Finish(std::move(record));
    } catch (...) {
        SetCause(record, Cause(CauseCode::ExchangeFailed));
        return Finish(std::move(record));
    }
    if (text.find(kAcknowledgement) == std::u16string::npos) {
        SendCause cause = Cause(CauseCode::NoAcknowledgement);
        cause.status = reply.status;
        cause.body_length = reply.body.size();
        cause.body_start = EscapedStart(text, kBodyStartChars);
        SetCause(record, std::move(cause));
    }
    return Finish(std::move(record));
}

void PageActions::PreviewNetworkText() {
    view_.ShowMessage(WrapNetworkEnvelope(view_.Text(TextField::NetText)));
}

SendRecord PageActions::CopyToClipboard() {
    SendRecord record = Begin(SendChannel::Clip);
    record.text = view_.Text(TextField::ClipText);
    record.protocol = view_.UseProtocol();
    record.handed_over = record.protocol ? WrapProtocolEnvelope(record.text) : record.text;
    record.warnings = NulWarnings(record.handed_over);
    try {
        links_.clipboard.PlaceText(record.handed_over);
        record.wire_bytes = (record.handed_over.size() + 1) * sizeof(char16_t);
    } catch (const CauseError& error) {
        SetCause(record, error.cause());
        Finish(std::move(record));
        throw;
    } catch (const ActionError& error) {
        SendCause cause = Cause(CauseCode::ClipboardFailed);
        cause.system_text = error.message();
        SetCause(record, std::move(cause));
        Finish(std::move(record));
        throw;
    }
    return Finish(std::move(record));
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

// The second page's channel: one HTTP GET whose path carries the text, answered "sent".
#include <variant>

#include "core/http_reply_reader.h"
#include "core/http_request.h"
#include "core/page_messages.h"
#include "core/request_url.h"
#include "core/send/recording_links.h"
#include "core/send/request.h"
#include "core/text_rules.h"
#include "core/utf.h"
#include "core/wire_warnings.h"

namespace lumvox::core {
namespace {

constexpr std::u16string_view kAcknowledgement = u"sent";
constexpr std::size_t kBodyStartChars = 200;
constexpr std::size_t kNetworkOpening = 7;  // "lumvox="

// The host and port fields as written (trimmed), which failures quote: the
// URL's split of a host like "h:1:2" would name a port nobody wrote.
struct Fields {
    std::u16string_view host, port;
};

SendCause CauseOf(const HttpFailureError& error, const Fields& fields) {
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
    case HttpFailure::BadUrl:
        cause.code = CauseCode::EmptyHost;
        cause.host = fields.host;
        break;
    case HttpFailure::BadPort:
        // A port field that is a good number went wrong through the host's own ":".
        if (ParsePortNumber(fields.port)) {
            cause.code = CauseCode::BadHost;
            cause.host = fields.host;
        } else {
            cause.code = CauseCode::BadPort;
            cause.port = fields.port;
        }
        break;
    case HttpFailure::BadHost:
        cause.code = CauseCode::BadHost;
        cause.host = fields.host;
        break;
    case HttpFailure::NoAddress:
        cause.code = CauseCode::NoAddress;
        cause.host = fields.host;
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
    case HttpFailure::Cancelled: cause.code = CauseCode::Cancelled; break;
    }
    return cause;
}

// Whether the failure came after a connection was made, so the request went out.
bool RequestWentOut(const HttpFailureError& error) {
    switch (error.failure()) {
    case HttpFailure::BadUrl:
    case HttpFailure::BadPort:
    case HttpFailure::BadHost:
    case HttpFailure::NoAddress:
    case HttpFailure::Refused:
    case HttpFailure::ConnectFailed: return false;
    case HttpFailure::TimedOut:
    case HttpFailure::Cancelled: return error.facts().limit != "connect";
    default: return true;
    }
}

// The reply's text, or the failure of the exchange (or of the reply) as a value.
std::variant<std::u16string, SendCause> Exchange(NetworkLink& network, const EncodedUrl& url, const Fields& fields,
                                                 std::stop_token stop,
                                                 SendRecord& record) {
    try {
        const HttpReply reply = network.Get(url, std::move(stop));
        record.wire_bytes = record.request.size();
        record.status = reply.status;
        record.body = reply.body;
        ReplyTextResult text = ReplyText(reply);
        if (auto* failure = std::get_if<HttpFailureError>(&text)) return CauseOf(*failure, fields);
        std::u16string decoded = std::get<std::u16string>(std::move(text));
        if (decoded.find(kAcknowledgement) != std::u16string::npos) return decoded;
        if (reply.unreadable_chunk_size) {
            // The body was cut by the broken framing, not answered without "sent".
            SendCause cause(CauseCode::BadChunk);
            cause.status = reply.status;
            cause.body_length = reply.body.size();
            cause.chunk_size = *reply.unreadable_chunk_size;
            return cause;
        }
        SendCause cause(CauseCode::NoAcknowledgement);
        cause.status = reply.status;
        cause.body_length = reply.body.size();
        cause.body_start = EscapedStart(decoded, kBodyStartChars);
        return cause;
    } catch (const HttpFailureError& error) {
        if (RequestWentOut(error)) record.wire_bytes = record.request.size();
        return CauseOf(error, fields);
    } catch (const std::exception& error) {
        return SendCause(CauseCode::ExchangeFailed, Utf8ToUtf16(error.what()).value_or(u""));
    } catch (...) {
        return SendCause(CauseCode::ExchangeFailed);
    }
}

void SendOverHttp(const SendRequest& request, const SendLinks& links, std::stop_token stop, SendRecord& record) {
    record.host = request.host;
    record.port = request.port;
    const std::u16string_view host = TrimmedPart(request.host);
    const std::u16string_view port = TrimmedPart(request.port);
    const std::u16string message = HandoverOf(request).text;
    if (host.empty() || port.empty()) return record.SetCause(SendCause(CauseCode::EmptyDestination));
    if (message.empty()) return record.SetCause(SendCause(CauseCode::EmptyText));

    const std::u16string prefix = u"http://" + std::u16string(host) + u":" + std::u16string(port) + u"/";
    record.handed_over = WrapNetworkEnvelope(message);
    EncodeRequestResult encoded = EncodeRequest(prefix + record.handed_over);
    const auto* url = std::get_if<EncodedUrl>(&encoded);
    if (!url) {
        const bool surrogate = std::get<EncodeFailure>(encoded) == EncodeFailure::UnpairedSurrogate;
        SendCause cause(surrogate ? CauseCode::UnpairedSurrogate : CauseCode::EmptyHost);
        if (!surrogate) cause.host = host;
        return record.SetCause(std::move(cause));
    }
    record.warnings = NetworkWarnings(url->parts, prefix.size() + kNetworkOpening, message);
    record.request = RequestBytes(url->parts);
    for (WireWarning& warning : RequestLineWarnings(record.request)) record.warnings.push_back(std::move(warning));
    // Every failure of the exchange is the one message in the window; the cause goes to the log.
    auto result = Exchange(*links.network, *url, Fields{host, port}, std::move(stop), record);
    if (auto* cause = std::get_if<SendCause>(&result)) record.SetCause(std::move(*cause));
}

std::string DryRunWords(const RecordingLinks& recorded) {
    if (!recorded.net.url) return "";
    const EncodedUrl& url = *recorded.net.url;
    return "URL: " + ToUtf8Lossy(url.url) + "\nconnect: " + ToUtf8Lossy(url.parts.host) + " port " +
           std::to_string(recorded.net.target.port) + "\nrequest:\n" + RequestBytes(url.parts);
}

}  // namespace

extern const ChannelRow kNetChannel;
const ChannelRow kNetChannel = {
    SendChannel::Net, "net", u"네트워크", true, false, messages::kNoNetworkMessage, messages::kConnectivity,
    "the speech program answered with \"sent\"", true, "over the network to", &DryRunWords,
    [](const SendLinks& links) { return links.network != nullptr; },
    &SendOverHttp,
};

}  // namespace lumvox::core

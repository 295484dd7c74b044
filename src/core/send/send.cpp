#include "core/send/request.h"

#include <array>
#include <chrono>
#include <stdexcept>

#include "core/page_messages.h"
#include "core/text_rules.h"

namespace lumvox::core {

extern const ChannelRow kAppChannel, kNetChannel, kClipChannel;

namespace {

// In the order of SendChannel.
const std::array<const ChannelRow*, 3> kChannels = {&kAppChannel, &kNetChannel, &kClipChannel};

constexpr std::u16string_view kProtocolOpening = u"<lumvox>";

}  // namespace

const ChannelRow& ChannelOf(SendChannel channel) {
    const auto index = static_cast<std::size_t>(channel);
    if (index >= kChannels.size()) throw std::out_of_range("no such channel");
    return *kChannels[index];
}

std::span<const ChannelRow* const> AllChannels() { return kChannels; }

std::string_view ChannelName(SendChannel channel) { return ChannelOf(channel).name; }

std::optional<SendChannel> ChannelFromName(std::string_view name) {
    for (const ChannelRow* row : kChannels)
        if (row->name == name) return row->channel;
    return std::nullopt;
}

HandoverParts HandoverPartsOf(SendChannel channel, std::u16string_view text, bool protocol) {
    const ChannelRow& row = ChannelOf(channel);
    HandoverParts parts;
    parts.kept = row.trims ? TrimmedPart(text) : text;
    parts.text_begin = static_cast<std::size_t>(parts.kept.data() - text.data());
    parts.enveloped = row.takes_protocol && protocol;
    return parts;
}

Handover HandoverOf(const HandoverParts& parts) {
    Handover handover;
    handover.text_begin = parts.text_begin;
    handover.text_length = parts.kept.size();
    if (parts.enveloped) {
        handover.text = WrapProtocolEnvelope(parts.kept);
        handover.lead = kProtocolOpening.size();
    } else {
        handover.text = parts.kept;
    }
    return handover;
}

Handover HandoverOf(const SendRequest& request) {
    return HandoverOf(HandoverPartsOf(request.channel, request.text, request.protocol));
}

std::u16string_view WindowMessage(const SendRecord& record) {
    const ChannelRow& channel = ChannelOf(record.channel);
    if (record.cause.code == CauseCode::EmptyText) return channel.empty_text_message;
    // The user ended it; the status line says so.
    if (record.cause.code == CauseCode::Cancelled) return u"";
    if (std::u16string_view text = CauseWindowText(record.cause.code); !text.empty()) return text;
    // Every other failure of the network is the one connectivity message; the
    // copy-data send reports nothing after the probe; the clipboard's errors
    // go to the general error report.
    if (record.outcome != SendOutcome::Delivered) return channel.failure_message;
    return u"";
}

std::u16string OutcomeWords(const SendRecord& record) {
    if (record.outcome == SendOutcome::Delivered) return std::u16string(messages::kDelivered);
    return CauseTextKorean(record.cause);
}

std::u16string SendingWords(const SendRequest& request) {
    return u"전송 중: " + std::u16string(TrimmedPart(request.host)) + u":" + std::u16string(TrimmedPart(request.port)) +
           u" (Esc: 취소)";
}

SendRecord Send(const SendRequest& request, const SendLinks& links, std::stop_token stop) {
    const ChannelRow& row = ChannelOf(request.channel);
    // Callers ask has_link first: a platform without the link has no such send.
    if (!row.has_link(links)) throw std::logic_error("no link for the channel " + std::string(row.name));
    SendRecord record;
    record.channel = request.channel;
    record.start = std::chrono::system_clock::now();
    record.text = request.text;
    record.protocol = row.takes_protocol && request.protocol;
    row.send(request, links, std::move(stop), record);
    record.elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now() - record.start);
    return record;
}

}  // namespace lumvox::core

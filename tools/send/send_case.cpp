#include "send_case.h"

#include <chrono>
#include <cstdio>

#include "common/markup_json.h"
#include "json/send_record_json.h"
#include "core/http_request.h"
#include "core/request_url.h"
#include "core/request_markup.h"
#include "core/send/recording_links.h"
#include "core/speech_app_link.h"
#include "core/utf.h"

namespace lumvox::send {
namespace {

using namespace lumvox::core;

// The members --batch reads a case from, written as the send log writes them.
void AppendCaseMembers(lumvox::json::JsonLine& json, const SendRequest& request) {
    const ChannelRow& channel = ChannelOf(request.channel);
    json.Text("text", request.text);
    if (channel.to_destination) json.Text("destination", DestinationAsGiven(request.host, request.port));
    if (channel.takes_protocol) json.Flag("protocol", request.protocol);
}

}  // namespace

CaseResult RunCase(const SendRequest& request, const SendLinks& links) {
    const ChannelRow& channel = ChannelOf(request.channel);
    CaseResult result;
    result.channel = request.channel;
    if (!channel.has_link(links)) {
        result.outcome = Outcome::Usage;
        result.plain = "the --" + std::string(channel.name) + " channel needs Windows";
        return result;
    }
    const SendRecord record = Send(request, links);
    result.outcome = OutcomeOfCause(record.cause);
    result.cause = record.cause;
    result.warnings = record.warnings;
    result.plain = record.outcome == SendOutcome::Delivered ? std::string(channel.delivered_english)
                                                             : CauseTextEnglish(record.cause);
    // A failure the window leaves to its general error report shows that report's text.
    result.message = record.error_report.empty() ? std::u16string(WindowMessage(record)) : record.error_report;
    result.elapsed_ms = record.elapsed.count();
    if (record.status) {
        result.reply.status = record.status;
        result.reply.body = record.body;
    }
    return result;
}

MarkupFindings CheckCaseMarkup(const SendRequest& request, bool channel_named) {
    if (channel_named) return CheckRequestMarkup(request);
    // No channel: the text as it stands, which is what the clipboard hands over.
    return CheckHandoverMarkup(SendChannel::Clip, request.text, request.protocol);
}

std::string FindingsLeftOutLine(std::string_view source, const MarkupFindings& findings) {
    if (!findings.left_out) return {};
    return std::string(source) + ": " + std::to_string(findings.left_out) + " more findings left out (the first " +
           std::to_string(lumvox::core::kMarkupFindingsKept) + " are listed)\n";
}

std::string FindingLine(std::string_view source, const MarkupFinding& f) {
    return std::string(source) + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " +
           std::string(SeverityName(f.severity)) + ": " + std::string(CodeName(f.code)) + ": " + MessageEn(f) + "\n";
}

CaseResult DryRunCase(const SendRequest& request) {
    RecordingLinks recording;
    CaseResult result = RunCase(request, recording.Links());
    result.reply = {};
    result.preview = ChannelOf(request.channel).dry_run_words(recording);
    if (result.outcome == Outcome::Delivered) result.plain = "dry run: nothing was sent";
    return result;
}

std::string DescribeOutcome(const CaseResult& result) {
    std::string warnings;
    for (const WireWarning& w : result.warnings) warnings += "warning: " + WarningTextEnglish(w) + "\n";
    std::string line = warnings + std::string(OutcomeName(result.outcome)) + ": " + result.plain;
    if (!result.message.empty()) line += " (" + ToUtf8Lossy(result.message) + ")";
    return line + "\n";
}

void AppendOutcomeFields(lumvox::json::JsonLine& json, const CaseResult& result) {
    json.Text("channel", lumvox::core::ChannelName(result.channel))
        .Text("outcome", OutcomeName(result.outcome))
        .Number("exitCode", ExitCode(result.outcome))
        .Text("message", result.message)
        .Text("detail", result.plain)
        .Number("elapsedMs", result.elapsed_ms);
    if (result.request) AppendCaseMembers(json, *result.request);
    if (result.outcome != Outcome::Usage) {
        lumvox::json::AppendCause(json, result.cause, {"status"});
        lumvox::json::AppendWarnings(json, result.warnings);
    }
    if (ChannelOf(result.channel).to_destination) {
        if (result.reply.status) json.Number("status", *result.reply.status);
        else json.Null("status");
        if (result.reply.body) json.Text("body", *result.reply.body);
        else json.Null("body");
    }
    if (!result.preview.empty()) json.Text("dryRun", result.preview);
    if (result.findings) json.Value("findings", lumvox::json::FindingsJson(*result.findings));
    if (result.findings && result.findings->left_out)
        json.Number("findingsLeftOut", static_cast<int64_t>(result.findings->left_out));
}

std::string CheckJson(std::string_view source, std::optional<SendChannel> channel, const MarkupFindings& findings,
                      int exit_code) {
    lumvox::json::JsonLine json(kJsonEscapes);
    json.Text("source", source);
    if (channel) json.Text("channel", lumvox::core::ChannelName(*channel));
    else json.Null("channel");
    json.Value("findings", lumvox::json::FindingsJson(findings));
    if (findings.left_out) json.Number("findingsLeftOut", static_cast<int64_t>(findings.left_out));
    json.Number("exitCode", exit_code);
    return json.Finish() + "\n";
}

std::string OutcomeJson(const CaseResult& result) {
    lumvox::json::JsonLine json(kJsonEscapes);
    AppendOutcomeFields(json, result);
    return json.Finish() + "\n";
}

}  // namespace lumvox::send

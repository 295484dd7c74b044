#include "send_case.h"

#include <chrono>
#include <cstdio>

#include "common/markup_json.h"
#include "common/send_record_json.h"
#include "core/http_request.h"
#include "core/request_url.h"
#include "core/speech_app_link.h"
#include "common/hex_dump.h"
#include "core/utf.h"

namespace lumvox::send {
namespace {

using namespace lumvox::core;

// The window's fields, filled from the command line; records what the action shows.
class CaseView final : public PageView {
public:
    explicit CaseView(const CaseInput& input) : input_(input) {}

    std::u16string Text(TextField field) override {
        switch (field) {
        case TextField::AppText:
        case TextField::NetText:
        case TextField::ClipText: return input_.text;
        case TextField::NetHostEdit: return input_.host;
        case TextField::NetPortEdit: return input_.port;
        }
        return {};
    }
    void SetText(TextField, std::u16string_view) override {}
    void AppendLine(TextField, std::u16string_view) override {}
    bool UseProtocol() override { return input_.protocol; }
    int SelectedCommandIndex() override { return -1; }
    void ShowMessage(std::u16string_view text) override { message = text; }
    std::optional<std::u16string> ChooseTextFile() override { return std::nullopt; }

    std::optional<std::u16string> message;

private:
    const CaseInput& input_;
};

class NoFiles final : public FileSource {
public:
    std::string ReadAll(std::u16string_view) override { return {}; }
    std::u16string DecodeAnsi(std::string_view) override { return {}; }
};

class DryRunApp final : public SpeechAppLink {
public:
    bool IsRunning() override { return true; }
    SendCause Send(std::u16string_view text) override {
        sent = text;
        return {};
    }
    std::optional<std::u16string> sent;
};

class DryRunNet final : public NetworkLink {
public:
    HttpReply Get(const EncodedUrl& encoded) override {
        url = encoded;
        return HttpReply{200, "sent", "OK"};
    }
    std::optional<EncodedUrl> url;
};

// Keeps the record of the one send.
class LastRecord final : public SendJournal {
public:
    void Record(const SendRecord& record) override { last = record; }
    std::optional<SendRecord> last;
};

class DryRunClip final : public ClipboardLink {
public:
    void PlaceText(std::u16string_view text) override { placed = text; }
    std::optional<std::u16string> placed;
};

std::string AppPreview(std::u16string_view text) {
    return "copy-data to the top-level window \"Lumvox\"\n"
           "dwData: " + std::to_string(kCopyDataTextId) + "\n"
           "cbData: " + std::to_string(text.size() * 2) + "\n"
           "bytes (UTF-16LE): " + tools::HexOfUtf16Le(text) + "\n";
}

std::string NetPreview(const EncodedUrl& encoded) {
    const UrlParts& parts = encoded.parts;
    auto port = PortToConnect(parts);
    std::string connect = port ? "connect: " + ToUtf8Lossy(parts.host) + " port " + std::to_string(*port)
                               : "connect: none; the port is not a whole number from 1 to 65535, so the exchange fails";
    return "URL: " + ToUtf8Lossy(encoded.url) + "\n" + connect + "\nrequest:\n" + RequestBytes(parts);
}

std::string ClipPreview(std::u16string_view text) {
    return "clipboard: one CF_UNICODETEXT item, " + std::to_string(text.size() * 2 + 2) +
           " bytes (the text and its terminating NUL)\ntext: " + ToUtf8Lossy(text) + "\n";
}

Outcome FromRecord(SendOutcome outcome) {
    switch (outcome) {
    case SendOutcome::Delivered: return Outcome::Delivered;
    case SendOutcome::Refused: return Outcome::Refused;
    case SendOutcome::Unreachable: return Outcome::Unreachable;
    case SendOutcome::NotAcknowledged: return Outcome::NotAcknowledged;
    case SendOutcome::Failed: return Outcome::Failed;
    }
    return Outcome::Failed;
}

const char* DeliveredWords(Channel channel) {
    switch (channel) {
    case Channel::App: return "the copy-data message went to the speech program's window";
    case Channel::Net: return "the speech program answered with \"sent\"";
    case Channel::Clip: return "the clipboard holds the text";
    }
    return "";
}

class UnavailableApp final : public SpeechAppLink {
public:
    bool IsRunning() override { return false; }
    SendCause Send(std::u16string_view) override { return {}; }
};
class UnavailableNet final : public NetworkLink {
public:
    HttpReply Get(const EncodedUrl&) override { throw ActionError(u"no network link"); }
};
class UnavailableClip final : public ClipboardLink {
public:
    void PlaceText(std::u16string_view) override { throw ActionError(u"no clipboard link"); }
};

void RunAction(Channel channel, PageActions& actions) {
    switch (channel) {
    case Channel::App: actions.SendToApp(); break;
    case Channel::Net: actions.SendOverNetwork(); break;
    case Channel::Clip: actions.CopyToClipboard(); break;
    }
}

bool Available(Channel channel, const CaseLinks& links) {
    switch (channel) {
    case Channel::App: return links.app != nullptr;
    case Channel::Net: return links.net != nullptr;
    case Channel::Clip: return links.clip != nullptr;
    }
    return false;
}

}  // namespace

CaseResult RunCase(const CaseInput& input, const CaseLinks& links) {
    CaseResult result;
    result.channel = input.channel;
    if (!Available(input.channel, links)) {
        result.outcome = Outcome::Usage;
        result.plain = std::string("the --") + ChannelName(input.channel) + " channel needs Windows";
        return result;
    }
    UnavailableApp no_app;
    UnavailableNet no_net;
    UnavailableClip no_clip;
    NoFiles no_files;
    CaseView view(input);
    LastRecord journal;
    PageActions actions(view,
                        PageLinks{links.app ? *links.app : no_app, links.net ? *links.net : no_net,
                                  links.clip ? *links.clip : no_clip, no_files},
                        &journal);
    std::u16string error_text;
    try {
        RunAction(input.channel, actions);
    } catch (const ActionError& error) {
        error_text = error.message();  // the general error report's text
    }
    if (!journal.last) {
        result.outcome = Outcome::Failed;
        result.plain = "the action failed";
        result.message = error_text;
        return result;
    }
    const SendRecord& record = *journal.last;
    result.outcome = FromRecord(record.outcome);
    result.cause = record.cause;
    result.warnings = record.warnings;
    result.plain = record.outcome == SendOutcome::Delivered ? DeliveredWords(input.channel) : CauseTextEnglish(record.cause);
    result.message = error_text.empty() ? std::u16string(WindowMessage(record)) : error_text;
    result.elapsed_ms = record.elapsed.count();
    if (input.channel == Channel::Net && record.status) {
        result.reply.status = record.status;
        result.reply.body = record.body;
    }
    return result;
}

MarkupFindings CheckCaseMarkup(const CaseInput& input, bool channel_named) {
    // The page that trims: the first and the second; the envelope: first and third.
    bool trims = channel_named && input.channel != Channel::Clip;
    return CheckPageMarkup(input.text, trims, input.protocol);
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

CaseResult DryRunCase(const CaseInput& input) {
    DryRunApp app;
    DryRunNet net;
    DryRunClip clip;
    CaseResult result = RunCase(input, CaseLinks{&app, &net, &clip});
    result.reply = {};
    if (app.sent) result.preview = AppPreview(*app.sent);
    if (net.url) result.preview = NetPreview(*net.url);
    if (clip.placed) result.preview = ClipPreview(*clip.placed);
    if (result.outcome == Outcome::Delivered) result.plain = "dry run: nothing was sent";
    return result;
}

std::string DescribeOutcome(const CaseResult& result) {
    std::string warnings;
    for (const WireWarning& w : result.warnings) warnings += "warning: " + WarningTextEnglish(w) + "\n";
    std::string line = warnings + OutcomeName(result.outcome) + ": " + result.plain;
    if (!result.message.empty()) line += " (" + ToUtf8Lossy(result.message) + ")";
    return line + "\n";
}

void AppendOutcomeFields(lumvox::json::JsonLine& json, const CaseResult& result) {
    json.Text("channel", ChannelName(result.channel))
        .Text("outcome", OutcomeName(result.outcome))
        .Number("exitCode", ExitCode(result.outcome))
        .Text("message", result.message)
        .Text("detail", result.plain)
        .Number("elapsedMs", result.elapsed_ms);
    if (result.outcome != Outcome::Usage) {
        lumvox::json::AppendCause(json, result.cause, {"status"});
        lumvox::json::AppendWarnings(json, result.warnings);
    }
    if (result.channel == Channel::Net) {
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

std::string OutcomeJson(const CaseResult& result) {
    lumvox::json::JsonLine json(kJsonEscapes);
    AppendOutcomeFields(json, result);
    return json.Finish() + "\n";
}

}  // namespace lumvox::send

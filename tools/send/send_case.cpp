#include "send_case.h"

#include <chrono>
#include <cstdio>

#include "common/markup_json.h"
#include "core/http_request.h"
#include "core/page_messages.h"
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
    void Send(std::u16string_view text) override { sent = text; }
    std::optional<std::u16string> sent;
};

class DryRunNet final : public NetworkLink {
public:
    std::u16string GetText(std::u16string_view encoded_url) override {
        url = encoded_url;
        return u"sent";
    }
    std::optional<std::u16string> url;
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

std::string NetPreview(std::u16string_view encoded_url) {
    UrlParts parts = SplitRequestUrl(encoded_url);
    auto port = PortToConnect(encoded_url, parts);
    std::string connect = port ? "connect: " + ToUtf8Lossy(parts.host) + " port " + std::to_string(*port)
                               : "connect: none; the port is not a whole number from 1 to 65535, so the exchange fails";
    return "URL: " + ToUtf8Lossy(encoded_url) + "\n" + connect + "\nrequest:\n" +
           WriteGetRequest(RequestTarget(parts), HostHeaderValue(parts));
}

std::string ClipPreview(std::u16string_view text) {
    return "clipboard: one CF_UNICODETEXT item, " + std::to_string(text.size() * 2 + 2) +
           " bytes (the text and its terminating NUL)\ntext: " + ToUtf8Lossy(text) + "\n";
}

struct Classified {
    Outcome outcome;
    const char* plain;
};

Classified Classify(Channel channel, const std::optional<std::u16string>& message) {
    namespace m = messages;
    if (!message) {
        switch (channel) {
        case Channel::App: return {Outcome::Delivered, "the copy-data message went to the speech program's window"};
        case Channel::Net: return {Outcome::Delivered, "the speech program answered with \"sent\""};
        case Channel::Clip: return {Outcome::Delivered, "the clipboard holds the text"};
        }
    }
    struct Row { std::u16string_view message; Outcome outcome; const char* plain; };
    static constexpr Row kRows[] = {
        {m::kEmptyText, Outcome::Refused, "the text is empty"},
        {m::kNoDestination, Outcome::Refused, "the host or the port is empty"},
        {m::kNoNetworkMessage, Outcome::Refused, "the text is empty"},
        {m::kNotRunning, Outcome::Unreachable, "no window titled \"Lumvox\" was found"},
        {m::kConnectivity, Outcome::Unreachable, "the connection or the exchange failed"},
        {m::kSendError, Outcome::NotAcknowledged, "the reply did not contain \"sent\""},
    };
    for (const Row& row : kRows)
        if (*message == row.message) return {row.outcome, row.plain};
    return {Outcome::Failed, "the action failed"};
}


class UnavailableApp final : public SpeechAppLink {
public:
    bool IsRunning() override { return false; }
    void Send(std::u16string_view) override {}
};
class UnavailableNet final : public NetworkLink {
public:
    std::u16string GetText(std::u16string_view) override { throw ActionError(u"no network link"); }
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
    PageActions actions(view, PageLinks{links.app ? *links.app : no_app, links.net ? *links.net : no_net,
                                        links.clip ? *links.clip : no_clip, no_files});
    auto start = std::chrono::steady_clock::now();
    try {
        RunAction(input.channel, actions);
        Classified c = Classify(input.channel, view.message);
        result.outcome = c.outcome;
        result.plain = c.plain;
        if (view.message) result.message = *view.message;
    } catch (const ActionError& error) {
        result.outcome = Outcome::Failed;
        result.plain = "the clipboard could not be written";
        result.message = error.message();
    }
    result.elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start).count();
    if (links.reply && input.channel == Channel::Net) result.reply = *links.reply;
    return result;
}

std::vector<MarkupFinding> CheckCaseMarkup(const CaseInput& input, bool channel_named) {
    // The page that trims: the first and the second; the envelope: first and third.
    bool trims = channel_named && input.channel != Channel::Clip;
    return CheckPageMarkup(input.text, trims, input.protocol);
}

std::string FindingLine(std::string_view source, const MarkupFinding& f) {
    return std::string(source) + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " +
           std::string(SeverityName(f.severity)) + ": " + std::string(CodeName(f.code)) + ": " + MessageEn(f) + "\n";
}

CaseResult DryRunCase(const CaseInput& input) {
    DryRunApp app;
    DryRunNet net;
    DryRunClip clip;
    CaseResult result = RunCase(input, CaseLinks{&app, &net, &clip, nullptr});
    if (app.sent) result.preview = AppPreview(*app.sent);
    if (net.url) result.preview = NetPreview(*net.url);
    if (clip.placed) result.preview = ClipPreview(*clip.placed);
    if (result.outcome == Outcome::Delivered) result.plain = "dry run: nothing was sent";
    return result;
}

std::string DescribeOutcome(const CaseResult& result) {
    std::string line = std::string(OutcomeName(result.outcome)) + ": " + result.plain;
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
    if (result.channel == Channel::Net) {
        if (result.reply.status) json.Number("status", *result.reply.status);
        else json.Null("status");
        if (result.reply.body) json.Text("body", *result.reply.body);
        else json.Null("body");
    }
    if (!result.preview.empty()) json.Text("dryRun", result.preview);
    if (result.findings) json.Value("findings", lumvox::json::FindingsJson(*result.findings));
}

std::string OutcomeJson(const CaseResult& result) {
    lumvox::json::JsonLine json(kJsonEscapes);
    AppendOutcomeFields(json, result);
    return json.Finish() + "\n";
}

}  // namespace lumvox::send

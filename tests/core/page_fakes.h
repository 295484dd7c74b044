#pragma once
// Recording fakes of the window and the links, for the page actions' tests.
// The Windows tests reuse them around the real clipboard.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/page_actions.h"
#include "core/text_file_decoder.h"
#include "core/utf.h"

namespace lumvox::core::testing {

class FakePageView final : public PageView {
public:
    std::map<TextField, std::u16string> fields{{TextField::AppText, u""},
                                               {TextField::NetHostEdit, u""},
                                               {TextField::NetPortEdit, u"7070"},
                                               {TextField::NetText, u""},
                                               {TextField::ClipText, u""}};
    bool use_protocol = false;
    int selected_command = -1;
    std::optional<std::u16string> chosen_file;  // what the dialog returns
    std::vector<std::u16string> messages;
    std::vector<std::pair<SendState, std::u16string>> send_states;
    std::vector<std::u16string> notices;
    std::vector<TextField> writes;  // every SetText and AppendLine, in order
    // Every box, send state, notice and repeat as it came: "box: ...", "state: ...", "notice: ...", "repeat".
    std::vector<std::u16string> said;
    int dialogs = 0;

    std::u16string Text(TextField field) override { return fields.at(field); }
    void SetText(TextField field, std::u16string_view text) override {
        writes.push_back(field);
        fields.at(field) = text;
    }
    void AppendLine(TextField field, std::u16string_view text) override {
        writes.push_back(field);
        fields.at(field).append(text).append(u"\r\n");
    }
    bool UseProtocol() override { return use_protocol; }
    int SelectedCommandIndex() override { return selected_command; }
    void ShowMessage(std::u16string_view text) override {
        messages.emplace_back(text);
        said.push_back(u"box: " + std::u16string(text));
    }
    void ShowSendState(SendState state, std::u16string_view words) override {
        send_states.emplace_back(state, words);
        said.push_back(u"state: " + std::u16string(words));
    }
    void ShowNotice(std::u16string_view words) override {
        notices.emplace_back(words);
        said.push_back(u"notice: " + std::u16string(words));
    }
    void RepeatSendState() override { said.push_back(u"repeat"); }
    std::optional<std::u16string> ChooseTextFile() override {
        ++dialogs;
        return chosen_file;
    }
};

class RecordingSpeechApp final : public SpeechAppLink {
public:
    bool running = true;
    int probes = 0;
    std::vector<std::u16string> sent;

    bool IsRunning() override {
        ++probes;
        return running;
    }
    SendCause result;  // what the send reports; CauseCode::None by default
    SendCause Send(std::u16string_view text) override {
        sent.emplace_back(text);
        return result;
    }
};

// Answers 200 with the reply text as UTF-8, or throws what `reply` throws.
class FakeNetwork final : public NetworkLink {
public:
    std::function<std::u16string()> reply = [] { return std::u16string(u"sent"); };
    std::vector<std::u16string> urls;

    HttpReply Get(const EncodedUrl& url, std::stop_token) override {
        urls.push_back(url.url);
        return HttpReply{200, ToUtf8Lossy(reply()), "OK"};
    }
};

class RecordingClipboard final : public ClipboardLink {
public:
    std::optional<std::u16string> failure;  // thrown as ActionError when set
    std::vector<std::u16string> placed;

    void PlaceText(std::u16string_view text) override {
        if (failure) throw ActionError(*failure);
        placed.emplace_back(text);
    }
};

class FakeFiles final : public FileSource {
public:
    std::map<std::u16string, std::string> files;
    std::vector<std::u16string> reads;
    int ansi_decodes = 0;

    std::string ReadAll(std::u16string_view path) override {
        reads.emplace_back(path);
        auto it = files.find(std::u16string(path));
        if (it == files.end()) {
            SendCause cause;
            cause.code = CauseCode::FileUnreadable;
            cause.path = path;
            cause.system_text = u"The system cannot find the file specified";
            throw CauseError(u"Cannot open file \"" + std::u16string(path) + u"\". " + cause.system_text, cause);
        }
        return it->second;
    }
    std::u16string DecodeAnsi(std::string_view bytes) override {
        ++ansi_decodes;
        return DecodeWindows1252(bytes);
    }
};

// A window with every link faked, and the actions wired to them.
struct PageHarness {
    FakePageView view;
    RecordingSpeechApp speech_app;
    FakeNetwork network;
    RecordingClipboard clipboard;
    FakeFiles files;
    PageActions actions{view, PageLinks{speech_app, network, clipboard, files}};
};

}  // namespace lumvox::core::testing

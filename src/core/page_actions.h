#pragma once
// The page actions of the main window, apart from Win32: they read the fields
// through PageView, deliver through the link seams and report through the view.
// The Windows window implements PageView; tests use fakes.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "action_error.h"
#include "send/background_send.h"
#include "send/links.h"
#include "send/request.h"
#include "send_outcome.h"

namespace lumvox::core {

enum class TextField { AppText, NetHostEdit, NetPortEdit, NetText, ClipText };
enum class SendState { UnderWay, Ended };

class PageView {
public:
    virtual ~PageView() = default;
    // The whole text as the control holds it: lines joined by CR LF, nothing added.
    virtual std::u16string Text(TextField field) = 0;
    virtual void SetText(TextField field, std::u16string_view text) = 0;
    // Appends text + CR LF at the end and puts the insertion point after it.
    virtual void AppendLine(TextField field, std::u16string_view text) = 0;
    virtual bool UseProtocol() = 0;          // UseProtocolCheck ticked
    virtual int SelectedCommandIndex() = 0;  // CommandList; -1 when none is selected
    // Modal box: application title, the text alone, no icon, one OK button.
    virtual void ShowMessage(std::u16string_view text) = 0;
    // Where a send stands, in words: under way and to where, or its outcome.
    // The window writes them in the status line and announces them.
    virtual void ShowSendState(SendState state, std::u16string_view words) = 0;
    // The same part, for a text that an action replaced or emptied where the
    // user may not be looking: said, never silent.
    virtual void ShowNotice(std::u16string_view words) = 0;
    // The part's words announced again, after a box that took the listener's
    // attention when they were first said.
    virtual void RepeatSendState() = 0;
    // The open-file dialog with the filter "Text files (*.txt)|*.txt"; nullopt when cancelled.
    virtual std::optional<std::u16string> ChooseTextFile() = 0;
};

// Receives the record of every send, whatever its outcome, as it ends.
class SendJournal {
public:
    virtual ~SendJournal() = default;
    virtual void Record(const SendRecord& record) = 0;
};

struct PageLinks {
    SpeechAppLink& speech_app;
    NetworkLink& network;
    ClipboardLink& clipboard;
    FileSource& files;
};

// One method per action of the window; a control, a menu entry or a key routes
// to it. The three sends show their outcome in words and the window's message for
// it (the words said again once the box is closed), and return their record,
// which the journal also receives; a clipboard failure is thrown on to the
// general error report after it is recorded. An action that replaces or empties
// a text says so.
class PageActions {
public:
    PageActions(PageView& view, PageLinks links, SendJournal* journal = nullptr)
        : view_(view), links_(links), journal_(journal) {}

    SendRecord SendToApp();                  // first page send (button, F8)
    void ClearAppText();                     // first page clear
    void InsertSelectedCommand();            // the command list's double click
    void LoadTextFile();                     // open a text file into the first page
    void InsertSample(size_t sample_index);  // the sample texts in menu order
    SendRecord SendOverNetwork();            // second page send, holding the caller until it ends
    void PreviewNetworkText();               // second page preview
    SendRecord CopyToClipboard();            // third page copy
    void ClearClipText();                    // third page clear
    void UseProtocolToggled();               // every user change of the check box

    // The request the page at hand would send, read from its fields.
    SendRequest RequestOf(SendChannel channel);

    // The second page's send (button, F9) without holding the caller's thread:
    // the fields are read now, the exchange runs on a thread of its own, and
    // `ended` is called on that thread when it is over; the caller's thread then
    // calls EndNetworkSend, which reports the record as SendOverNetwork does.
    // False, and nothing sent, while a send is under way.
    bool StartNetworkSend(std::function<void()> ended);
    bool NetworkSendUnderWay() const { return background_.UnderWay(); }
    void CancelNetworkSend() { background_.Cancel(); }  // the cause becomes "cancelled"
    std::optional<SendRecord> EndNetworkSend();

private:
    SendRecord SendFromPage(SendChannel channel);
    SendLinks Links() const { return {&links_.speech_app, &links_.network, &links_.clipboard}; }
    void Report(const SendRecord& record);

    PageView& view_;
    PageLinks links_;
    SendJournal* journal_;
    std::size_t sends_ = 0;  // ended in this run, for the status line's numbers
    BackgroundSend background_;  // last: a send still under way is stopped before the rest goes
};

}  // namespace lumvox::core

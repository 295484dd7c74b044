#pragma once
// The seams a send goes through. The Windows build implements them in
// src/platform; lumvox-send on Linux has the network alone; tests use fakes.
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/http_client.h"
#include "core/text_file_decoder.h"
#include "core/send_outcome.h"

namespace lumvox::core {

// The speech program's window on this computer: FindWindowW and WM_COPYDATA on Windows.
class SpeechAppLink {
public:
    virtual ~SpeechAppLink() = default;
    // Is there a top-level window whose whole title is "Lumvox" (any case)?
    virtual bool IsRunning() = 0;
    // Looks the window up afresh and hands it the text, once. The window shows
    // nothing of the result; the send log does: CauseCode::None when the
    // window's thread took the message, otherwise why not.
    virtual SendCause Send(std::u16string_view text) = 0;
};

// The network channel: one GET of an encoded URL, returning any final status;
// throws HttpFailureError (or anything else) when the exchange fails, and
// HttpFailure::Cancelled when `stop` ends it.
class NetworkLink {
public:
    virtual ~NetworkLink() = default;
    virtual HttpReply Get(const EncodedUrl& url, std::stop_token stop) = 0;
};

// The clipboard: places exactly one Unicode text; throws ActionError on failure,
// a CauseError where the cause is known.
class ClipboardLink {
public:
    virtual ~ClipboardLink() = default;
    virtual void PlaceText(std::u16string_view text) = 0;
};

// Reading a text file: throws CauseError ("Cannot open file ...") when it can't be opened.
class FileSource {
public:
    virtual ~FileSource() = default;
    virtual std::string ReadAll(std::u16string_view path) = 0;
    // Lends the whole file's bytes to `use` for the length of the call. A source
    // that can map the file lends the mapping, so the bytes are not copied;
    // others read them whole first.
    virtual void ReadInPlace(std::u16string_view path, const std::function<void(std::string_view)>& use) {
        use(ReadAll(path));
    }
    // Decodes bytes without a byte-order mark (the system's ANSI code page on Windows).
    virtual std::u16string DecodeAnsi(std::string_view bytes) = 0;
};

// The system's code pages, for lumvox-send's files without a byte-order mark.
class CodePageDecoder {
public:
    virtual ~CodePageDecoder() = default;
    // Can this system convert from code page N (--codepage N)?
    virtual bool HasCodePage(unsigned code_page) = 0;
    // Bytes in a code page this system has (nullopt: the ANSI code page; 949
    // where the system has none). Never fails: bytes the code page does not
    // define become substitutes, and the first one's offset is told.
    virtual CodePageText DecodeCodePage(std::string_view bytes, std::optional<unsigned> code_page) = 0;
};

// The links of this platform; a null link is a channel this platform lacks.
struct SendLinks {
    SpeechAppLink* speech_app = nullptr;
    NetworkLink* network = nullptr;
    ClipboardLink* clipboard = nullptr;
};

}  // namespace lumvox::core

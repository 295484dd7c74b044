// libFuzzer target for the request URL's split and encoding. The first byte
// says how the rest becomes UTF-16 (as UTF-8, or as raw little-endian units so
// that unpaired surrogates arrive too). The text is tried as a whole URL and as
// the network channel's text between "lumvox=" and "=lumvox".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "core/request_url.h"
#include "core/text_rules.h"
#include "core/utf.h"
#include "standin/wire_text.h"

namespace {

using namespace lumvox::core;

std::u16string TextOf(const std::uint8_t* data, std::size_t size, bool units) {
    std::u16string text;
    if (!units) {
        // UTF-8 where the bytes are well-formed; otherwise each byte is one unit.
        if (auto utf16 = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size))) return *utf16;
        return std::u16string(data, data + size);
    }
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return text;
}

bool IsEscapeSafe(char16_t c) {
    static constexpr std::u16string_view kUnsafe = u"\"#*<>[\\]^`{|}";
    return c > 0x20 && c <= 0x7F && kUnsafe.find(c) == std::u16string_view::npos;
}

// An encoded part holds printable ASCII only, nothing the encoder escapes, and
// "%" only as the start of an escape with two upper-case hex digits.
void CheckEncodedPart(std::u16string_view part) {
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (!IsEscapeSafe(part[i])) std::abort();
        if (part[i] != u'%') continue;
        if (i + 2 >= part.size()) std::abort();
        for (char16_t h : part.substr(i + 1, 2))
            if (!((h >= u'0' && h <= u'9') || (h >= u'A' && h <= u'F'))) std::abort();
    }
}

void CheckWholeUrl(std::u16string_view url) {
    UrlParts parts = SplitRequestUrl(url);
    (void)RequestTarget(parts);
    (void)ConnectionPort(parts);
    (void)HostHeaderValue(parts);
    EncodeResult encoded = EncodeRequestUrl(url);
    if (url.find(u"://") == std::u16string_view::npos) return;  // the split's precondition: no more than no crash
    // Host and port go out as typed, never escaped: one holding "?", "#" or a
    // backslash (kept when a "#" came before it) can split differently.
    if ((parts.host + parts.port).find_first_of(u"?#\\") != std::u16string::npos) return;
    if (const auto* text = std::get_if<std::u16string>(&encoded)) {
        UrlParts again = SplitRequestUrl(*text);
        CheckEncodedPart(again.path);
        CheckEncodedPart(again.document);
        CheckEncodedPart(again.parameters);
        if (!again.bookmark.empty()) std::abort();  // the encoder leaves the bookmark out
    }
}

void CheckChannelText(std::u16string_view text) {
    const std::u16string url = u"http://[::1]:7070/" + WrapNetworkEnvelope(text);
    EncodeResult encoded = EncodeRequestUrl(url);
    const auto* encoded_url = std::get_if<std::u16string>(&encoded);
    const auto utf8 = Utf16ToUtf8(text);
    if (!encoded_url) {
        if (utf8) std::abort();  // only an unpaired surrogate makes the encoding fail here
        return;
    }
    // The split of the encoded URL puts it back together exactly.
    UrlParts parts = SplitRequestUrl(*encoded_url);
    if (u"http://[" + parts.host + u"]:" + parts.port + RequestTarget(parts) != *encoded_url) std::abort();
    if (parts.host != u"::1" || parts.port != u"7070") std::abort();
    CheckEncodedPart(parts.path + parts.document);
    CheckEncodedPart(parts.parameters);
    // What the receiver percent-decodes is the envelope, byte for byte, unless
    // the text holds what a URL reads otherwise: "?", "#" or a backslash.
    if (text.find_first_of(u"?#\\") == std::u16string_view::npos) {
        const std::string target = ToUtf8Lossy(RequestTarget(parts));
        if (lumvox::standin::PercentDecode(target) != "/lumvox=" + *utf8 + "=lumvox") std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::u16string text = TextOf(data + 1, size - 1, data[0] & 1);
    CheckWholeUrl(text);
    CheckChannelText(text);
    return 0;
}

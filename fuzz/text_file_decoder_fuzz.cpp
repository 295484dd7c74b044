// libFuzzer target for the text-file decoder, against glibc's iconv. A file
// with the UTF-8 mark decodes exactly as iconv's UTF-8 to UTF-16LE with every
// line break made CR LF, or both refuse it. A file without a mark decodes the
// same way when iconv takes it and it has a non-ASCII byte, and otherwise as
// the ANSI decoder (here Windows-1252) with CR LF.
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/action_error.h"
#include "core/text_file_decoder.h"

namespace {

using namespace lumvox::core;

// iconv's UTF-8 to UTF-16LE, as units; nullopt when it refuses the bytes.
std::optional<std::u16string> IconvUtf8(std::string_view bytes) {
    static iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) std::abort();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(bytes.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    char* dst = out.data();
    std::size_t out_left = out.size();
    if (iconv(cd, &in, &in_left, &dst, &out_left) == static_cast<std::size_t>(-1) || in_left != 0) return std::nullopt;
    const std::size_t written = out.size() - out_left;
    std::u16string units;
    for (std::size_t i = 0; i + 1 < written; i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(out[i]) | (static_cast<unsigned char>(out[i + 1]) << 8));
    return units;
}

// The line-break rule written plainly: CR LF, lone CR and lone LF each become CR LF.
std::u16string WithCrLf(std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            out += u"\r\n";
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<std::u16string> Decode(std::string_view bytes) {
    try {
        return DecodeTextFile(bytes, DecodeWindows1252);
    } catch (const ActionError&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    if (body.substr(0, 3) == "\xEF\xBB\xBF" || body.substr(0, 2) == "\xFF\xFE" || body.substr(0, 2) == "\xFE\xFF")
        return 0;  // the body of a file with a mark is tried below, mark added
    std::optional<std::u16string> reference = IconvUtf8(body);
    if (reference) *reference = WithCrLf(*reference);

    // With the mark.
    std::optional<std::u16string> marked = Decode("\xEF\xBB\xBF" + std::string(body));
    if (marked != reference) std::abort();

    // Without it.
    const bool non_ascii = std::any_of(data, data + size, [](std::uint8_t b) { return b >= 0x80; });
    std::optional<std::u16string> markless = Decode(body);
    std::u16string expected = reference && non_ascii ? *reference : WithCrLf(DecodeWindows1252(body));
    if (markless != expected) std::abort();
    return 0;
}

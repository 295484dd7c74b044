#pragma once
// Decoding a text file opened into the first page: the byte-order mark decides
// UTF-8, UTF-16LE or UTF-16BE; a file without one is UTF-8 when its bytes are
// well-formed UTF-8 with at least one non-ASCII byte, and goes to the ANSI
// decoder otherwise; every line break comes out as CR LF.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lumvox::core {

enum class TextFileEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct ByteOrderMark {
    TextFileEncoding encoding;
    size_t size;  // bytes the mark takes; 0 for Ansi
};

ByteOrderMark DetectByteOrderMark(std::string_view bytes);

// Decodes bytes that carry no mark (the system's ANSI code page on Windows).
using AnsiDecoder = std::function<std::u16string(std::string_view)>;

// What a file without a mark is read as: UTF-8 when its bytes are well-formed
// UTF-8 with a non-ASCII byte, else the ANSI decoder's (the window's rule); or,
// when the user named the code page, that code page whatever the bytes.
enum class UnmarkedFile { Utf8WhenWellFormed, AnsiOnly };

// The workshop's home code page (Korean, Unified Hangul Code): the ANSI code
// page of systems that have none of their own.
inline constexpr unsigned kHomeCodePage = 949;

// Bytes decoded in a code page, where bytes it does not define became substitutes.
struct CodePageText {
    std::u16string text;
    unsigned code_page = 0;                      // the code page used (the ANSI one resolved)
    std::optional<std::size_t> first_undefined;  // the byte offset of the first such byte
};

inline constexpr std::u16string_view kNoMappingMessage =
    u"No mapping for the Unicode character exists in the target multi-byte code page";

// The whole file's bytes to the text-area text, the mark removed. Throws
// ActionError(kNoMappingMessage) for ill-formed UTF-8 after the UTF-8 mark
// (without a mark, such bytes go to the ANSI decoder instead). A
// UTF-16 file with an odd byte count ends in U+FFFD for its last byte.
std::u16string DecodeTextFile(std::string_view bytes, const AnsiDecoder& ansi,
                              UnmarkedFile unmarked = UnmarkedFile::Utf8WhenWellFormed);

class FileSource;
// The text of the file at `path` as DecodeTextFile gives it, decoded from the
// bytes the source lends in place; bytes without a mark go to `ansi`, or to
// the source's own DecodeAnsi.
std::u16string ReadTextFile(FileSource& files, std::u16string_view path, const AnsiDecoder& ansi);
std::u16string ReadTextFile(FileSource& files, std::u16string_view path);

// Lone CR and lone LF become CR LF; CR LF stays.
std::u16string NormalizeLineBreaks(std::u16string_view text);

// The ANSI decoder of builds without a system code page. Every byte maps to
// one unit; the five bytes Windows-1252 leaves undefined map to U+0081 etc.
std::u16string DecodeWindows1252(std::string_view bytes);

}  // namespace lumvox::core

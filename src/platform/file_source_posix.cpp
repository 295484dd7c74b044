#include "file_source_posix.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/action_error.h"
#include "core/text_file_decoder.h"
#include "core/utf.h"

namespace lumvox::posix {
namespace {

[[noreturn]] void ThrowFileError(std::u16string_view head, std::u16string_view path, int error) {
    core::SendCause cause;
    cause.code = core::CauseCode::FileUnreadable;
    cause.path = path;
    cause.system_code = static_cast<std::uint32_t>(error);
    cause.system_text = core::Utf8ToUtf16(std::strerror(error)).value_or(u"");
    throw core::CauseError(std::u16string(head) + u"\"" + std::u16string(path) + u"\". " + cause.system_text, cause);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// A regular file's bytes, mapped whole and populated in one call, so reading
// them takes no page faults; empty when the file is not one that maps.
class MappedFile {
public:
    explicit MappedFile(int fd) {
        struct stat info {};
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return;
        const auto size = static_cast<size_t>(info.st_size);
        void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (view == MAP_FAILED) return;
        view_ = view;
        size_ = size;
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() {
        if (view_) munmap(view_, size_);
    }
    bool mapped() const { return view_ != nullptr; }
    std::string_view bytes() const { return {static_cast<const char*>(view_), size_}; }

private:
    void* view_ = nullptr;
    size_t size_ = 0;
};

int OpenForReading(std::u16string_view path) {
    const std::string name = core::ToUtf8Lossy(path);
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) ThrowFileError(u"Cannot open file ", path, errno);
    return fd;
}

// Chunks land in a small buffer that stays in the cache and are appended, so
// the result is written once.
std::string ReadToEnd(int fd, std::u16string_view path) {
    std::string bytes;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowFileError(u"Cannot read file ", path, errno);
        }
        bytes.append(chunk, static_cast<size_t>(got));
    }
    return bytes;
}

// Windows code page numbers whose iconv names are not "CP" and the number.
struct NamedCodePage {
    unsigned number;
    const char* name;
};
constexpr NamedCodePage kNamedCodePages[] = {
    {20127, "ASCII"},       {20866, "KOI8-R"},      {21866, "KOI8-U"},      {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},  {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},  {28599, "ISO-8859-9"},
    {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"}, {50220, "ISO-2022-JP"}, {50225, "ISO-2022-KR"},
    {51932, "EUC-JP"},      {51936, "EUC-CN"},      {51949, "EUC-KR"},      {54936, "GB18030"},
    {65000, "UTF-7"},       {65001, "UTF-8"},
};

std::string IconvName(unsigned code_page) {
    for (const NamedCodePage& named : kNamedCodePages)
        if (named.number == code_page) return named.name;
    return "CP" + std::to_string(code_page);
}

class Converter {
public:
    explicit Converter(unsigned code_page)
        : cd_(iconv_open("UTF-16LE", IconvName(code_page).c_str())) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converted units come out little-endian whatever the machine.
void AppendLittleEndian(const unsigned char* bytes, size_t size, std::u16string& out) {
    for (size_t i = 0; i + 1 < size; i += 2) out += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
}

}  // namespace

bool PosixFileSource::HasCodePage(unsigned code_page) { return Converter(code_page).ok(); }

core::CodePageText PosixFileSource::DecodeCodePage(std::string_view bytes, std::optional<unsigned> code_page) {
    core::CodePageText result;
    result.code_page = code_page.value_or(core::kHomeCodePage);
    // Windows defines every byte of 1252 (the five iconv leaves out become
    // U+0081 and its kind); the core's table is that one.
    if (result.code_page == 1252) {
        result.text = core::DecodeWindows1252(bytes);
        return result;
    }
    result.text.reserve(bytes.size());
    const Converter converter(result.code_page);
    if (!converter.ok()) {
        // Callers ask HasCodePage first; a system without even the home code
        // page's converter still reads ASCII, and says where it stopped knowing.
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (byte >= 0x80 && !result.first_undefined) result.first_undefined = i;
            result.text += byte < 0x80 ? static_cast<char16_t>(byte) : u'\uFFFD';
        }
        return result;
    }
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it only reads
    size_t in_left = bytes.size();
    unsigned char stage[16 * 1024];
    // One pass more with no input flushes a stateful code page's pending shift.
    for (bool flushed = false; !flushed;) {
        char* out = reinterpret_cast<char*>(stage);
        size_t out_left = sizeof stage;
        const bool flushing = in_left == 0;
        const size_t done = flushing ? iconv(converter.get(), nullptr, nullptr, &out, &out_left)
                                     : iconv(converter.get(), &in, &in_left, &out, &out_left);
        AppendLittleEndian(stage, sizeof stage - out_left, result.text);
        if (done != static_cast<size_t>(-1)) {
            flushed = flushing;
            continue;
        }
        if (errno == E2BIG) continue;
        if (flushing) break;
        // EILSEQ: a byte the code page does not define; EINVAL: a sequence cut
        // off by the end of the file. Either becomes one U+FFFD and reading goes on.
        if (!result.first_undefined) result.first_undefined = static_cast<size_t>(in - bytes.data());
        result.text += u'\uFFFD';
        ++in;
        --in_left;
        iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}


std::string PosixFileSource::ReadAll(std::u16string_view path) {
    const FileDescriptor file(OpenForReading(path));
    const MappedFile mapped(file.get());
    if (mapped.mapped()) return std::string(mapped.bytes());
    return ReadToEnd(file.get(), path);
}

void PosixFileSource::ReadInPlace(std::u16string_view path, const std::function<void(std::string_view)>& use) {
    const FileDescriptor file(OpenForReading(path));
    const MappedFile mapped(file.get());
    if (mapped.mapped()) use(mapped.bytes());
    else use(ReadToEnd(file.get(), path));
}

std::u16string PosixFileSource::DecodeAnsi(std::string_view bytes) {
    return DecodeCodePage(bytes, std::nullopt).text;
}

}  // namespace lumvox::posix

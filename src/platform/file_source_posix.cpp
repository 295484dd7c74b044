#include "file_source_posix.h"

#include <fcntl.h>
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

}  // namespace

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

std::u16string PosixFileSource::DecodeAnsi(std::string_view bytes) { return core::DecodeWindows1252(bytes); }

}  // namespace lumvox::posix

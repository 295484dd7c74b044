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

// The whole mapping is populated in one call, so copying it takes no page
// faults on the file's side.
bool CopyMapped(int fd, size_t size, std::string& bytes) {
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (view == MAP_FAILED) return false;
    bytes.assign(static_cast<const char*>(view), size);
    munmap(view, size);
    return true;
}

}  // namespace

std::string PosixFileSource::ReadAll(std::u16string_view path) {
    const std::string name = core::ToUtf8Lossy(path);
    const FileDescriptor file(open(name.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) ThrowFileError(u"Cannot open file ", path, errno);
    std::string bytes;
    struct stat info {};
    if (fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        CopyMapped(file.get(), static_cast<size_t>(info.st_size), bytes))
        return bytes;
    // Chunks land in a small buffer that stays in the cache and are appended,
    // so the result is written once.
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = read(file.get(), chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowFileError(u"Cannot read file ", path, errno);
        }
        bytes.append(chunk, static_cast<size_t>(got));
    }
    return bytes;
}

std::u16string PosixFileSource::DecodeAnsi(std::string_view bytes) { return core::DecodeWindows1252(bytes); }

}  // namespace lumvox::posix

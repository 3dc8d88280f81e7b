// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw std::runtime_error("Cannot write " + path + ": " + reason + ".");
}

void WriteAll(int fd, const std::string& text, const std::string& path) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(path, std::strerror(n < 0 ? errno : EIO));
        written += static_cast<size_t>(n);
    }
}

// A device, a FIFO or a terminal is written as it is: it cannot be replaced, only fed.
void WriteInPlace(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        Fail(path, std::strerror(errno));
    try {
        WriteAll(fd, text, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        Fail(path, std::strerror(errno));
}

std::string RandomName(const fs::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    std::string name(1, '.');
    name.append(target.filename().string()).append(1, '.').append(suffix).append(".tmp");
    return name;
}

// The temporary file in the target's folder. Unnamed where the file system allows, so that
// a run killed before the end leaves nothing behind; otherwise under a new random name,
// created exclusively so that no link planted there is ever followed. Made 0600 until its
// own mode is set, before anything is written into it.
class TTemporaryFile {
public:
    explicit TTemporaryFile(const fs::path& target) : target_(target) {
        folder_ = target.parent_path().empty() ? fs::path(".") : target.parent_path();
#ifdef O_TMPFILE
        fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd_ >= 0)
            return;
#endif
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            const fs::path name = folder_ / RandomName(target);
            fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd_ >= 0)
                name_ = name;
            else if (errno != EEXIST)
                break;
        }
        if (fd_ < 0)
            Fail(target.string(), std::strerror(errno));
    }
    ~TTemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    int fd() const {
        return fd_;
    }

    // Gives the written file a name, then the target's.
    void Commit() {
        if (::fsync(fd_) != 0)
            Fail(target_.string(), std::strerror(errno));
        while (name_.empty()) {
            const fs::path name = folder_ / RandomName(target_);
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                name_ = name;
            else if (errno != EEXIST)
                Fail(target_.string(), std::strerror(errno));
        }
        if (::rename(name_.c_str(), target_.c_str()) != 0)
            Fail(target_.string(), std::strerror(errno));
        name_.clear();
    }

private:
    fs::path target_;
    fs::path folder_;
    fs::path name_;
    int fd_ = -1;
};

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Replaces a regular file, or makes a new one, by a rename.
void ReplaceFile(const fs::path& target, const std::string& text,
                 const std::optional<struct stat>& existing) {
    TTemporaryFile file(target);
    const mode_t mode = existing ? existing->st_mode & 07777 : NewFileMode();
    if (::fchmod(file.fd(), mode) != 0)
        Fail(target.string(), std::strerror(errno));
    // Root writing over another user's file leaves it that user's.
    if (existing && ::geteuid() == 0 &&
        (existing->st_uid != 0 || existing->st_gid != ::getegid()) &&
        ::fchown(file.fd(), existing->st_uid, existing->st_gid) != 0)
        Fail(target.string(), std::strerror(errno));
    WriteAll(file.fd(), text, target.string());
    file.Commit();
}

bool IsStandardOutput(const struct stat& info) {
    struct stat out {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == info.st_dev &&
           out.st_ino == info.st_ino;
}

} // namespace

void WriteWholeFile(const std::string& path, const std::string& text) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            Fail(path, std::strerror(errno));
        ReplaceFile(path, text, std::nullopt);
        return;
    }
    if (S_ISDIR(info.st_mode))
        Fail(path, "it is a folder");
    if (IsStandardOutput(info)) {
        WriteAll(STDOUT_FILENO, text, path);
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        WriteInPlace(path, text);
        return;
    }
    // A link to the file stays a link: the file it leads to takes the text.
    std::error_code ec;
    const fs::path file = fs::canonical(path, ec);
    if (ec)
        Fail(path, ec.message());
    ReplaceFile(file, text, info);
}

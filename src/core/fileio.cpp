#include "core/fileio.h"

#include "core/errors.h"

#include <fmt/format.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navora {

namespace {

WriteFaultHook& faultHook() {
    static WriteFaultHook hook;
    return hook;
}

std::string sysError(const char* what, const fs::path& p) {
    return fmt::format("Cannot {} {}: {}", what, p.string(), std::strerror(errno));
}

// Closes a descriptor on scope exit.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

void setWriteFaultHook(WriteFaultHook hook) { faultHook() = std::move(hook); }

Bytes readWholeFile(const fs::path& path) {
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0) throw IoError(sysError("open", path));
    Bytes data;
    std::uint8_t chunk[65536];
    for (;;) {
        ssize_t n = ::read(f.fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw IoError(sysError("read", path));
        }
        if (n == 0) break;
        data.insert(data.end(), chunk, chunk + n);
    }
    return data;
}

Bytes readDatabaseFile(const fs::path& path, std::uint64_t maxSize) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (f.fd < 0) throw IoError(sysError("open", path));
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) throw IoError(sysError("examine", path));
    if (!S_ISREG(st.st_mode)) throw IoError(fmt::format("Cannot read {}: not a regular file", path.string()));
    if (static_cast<std::uint64_t>(st.st_size) > maxSize)
        throw IoError(fmt::format("Cannot read {}: {} bytes is more than the {} bytes such a file can have",
                                  path.string(), st.st_size, maxSize));
    Bytes data(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::read(f.fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw IoError(sysError("read", path));
        }
        if (n == 0) break;  // the file shrank meanwhile: keep what is there
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    return data;
}

void saveAtomic(const fs::path& path, std::span<const std::uint8_t> data, const fs::path& modeFrom) {
    fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string tmpl = (dir / ("." + path.filename().string() + ".navora-XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw IoError(sysError("create a temporary file beside", path));
    fs::path tmp = tmpl;
    auto cleanup = [&](const std::string& msg) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw IoError(msg);
    };
    std::size_t done = 0;
    while (done < data.size()) {
        std::size_t want = std::min<std::size_t>(data.size() - done, 1 << 20);
        ssize_t n = ::write(fd, data.data() + done, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            cleanup(sysError("write", tmp));
        }
        done += static_cast<std::size_t>(n);
        if (faultHook()) {
            try {
                faultHook()(done);
            } catch (const std::exception& e) {
                cleanup(fmt::format("Cannot write {}: {}", path.string(), e.what()));
            }
        }
    }
    // Keep the permissions of the file being replaced (or of modeFrom, when the
    // file was moved aside as its backup); a new file gets the usual ones.
    struct stat st {};
    if ((!modeFrom.empty() && ::stat(modeFrom.c_str(), &st) == 0) || ::stat(path.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::fsync(fd) != 0) cleanup(sysError("flush", tmp));
    if (::close(fd) != 0) {
        ::unlink(tmp.c_str());
        throw IoError(sysError("close", tmp));
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        std::string msg = sysError("replace", path);
        ::unlink(tmp.c_str());
        throw IoError(msg);
    }
    // Make the rename itself durable.
    Fd dirFd{::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dirFd.fd >= 0) ::fsync(dirFd.fd);
}

}  // namespace navora

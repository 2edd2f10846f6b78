#include "core/fileio.h"

#include "core/errors.h"

#include <fmt/format.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <optional>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
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

namespace {

// The name of the file whose save left the temporary file name, if it is one.
std::optional<std::string_view> saveTempTarget(std::string_view name) {
    const std::size_t marker = name.rfind(kSaveTempMarker);
    if (marker != std::string_view::npos && marker > 0 && name.size() - marker - kSaveTempMarker.size() == 6)
        return name.substr(0, marker);
    // Earlier versions: ".<name>.navora-XXXXXX".
    constexpr std::string_view kOld = ".navora-";
    if (name.size() > 1 + kOld.size() + 6 && name.front() == '.' &&
        name.substr(name.size() - 6 - kOld.size(), kOld.size()) == kOld)
        return name.substr(1, name.size() - 1 - kOld.size() - 6);
    return std::nullopt;
}

}  // namespace

bool isSaveTempName(std::string_view name) { return saveTempTarget(name).has_value(); }

std::vector<fs::path> removeStaleSaveFiles(const fs::path& dir, std::string_view target) {
    std::vector<fs::path> removed;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto of = saveTempTarget(name);
        if (!of || (!target.empty() && *of != target)) continue;
        std::error_code sec;
        if (it->is_symlink(sec) || !it->is_regular_file(sec)) continue;
        // A save in progress holds the lock; only a file nobody holds is a leftover.
        Fd f{::open(it->path().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW)};
        if (f.fd < 0 || ::flock(f.fd, LOCK_EX | LOCK_NB) != 0) continue;
        if (::unlink(it->path().c_str()) == 0) removed.push_back(it->path());
    }
    return removed;
}

namespace {

// A name for the temporary file of a save of target, not yet taken.
std::string tempName(const fs::path& dir, const fs::path& target) {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::uint64_t state = static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15u ^
                                 static_cast<std::uint64_t>(::time(nullptr));
    std::string suffix(6, 'A');
    for (char& ch : suffix) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        ch = kChars[(state >> 33) % (sizeof kChars - 1)];
    }
    return (dir / (target.filename().string() + std::string(kSaveTempMarker) + suffix)).string();
}

}  // namespace

PendingSave::PendingSave(const fs::path& path, std::span<const std::uint8_t> data, const fs::path& modeFrom)
    : path_(path), dir_(path.has_parent_path() ? path.parent_path() : fs::path(".")) {
    const fs::path& dir = dir_;
    removeStaleSaveFiles(dir, path.filename().string());

    // Unnamed while it is written where the file system allows it (it is
    // named later through /proc); otherwise created under its temporary name.
    std::string tmp;
    int fd = ::access("/proc/self/fd", X_OK) == 0 ? ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
    const bool unnamed = fd >= 0;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        tmp = tempName(dir, path);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw IoError(sysError("create a temporary file beside", path));
    ::flock(fd, LOCK_EX);
    auto cleanup = [&](const std::string& msg) {
        ::close(fd);
        if (!tmp.empty()) ::unlink(tmp.c_str());
        throw IoError(msg);
    };
    std::size_t done = 0;
    while (done < data.size()) {
        std::size_t want = std::min<std::size_t>(data.size() - done, 1 << 20);
        ssize_t n = ::write(fd, data.data() + done, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            cleanup(sysError("write a temporary file beside", path));
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
    if (::fsync(fd) != 0) cleanup(sysError("flush a temporary file beside", path));
    if (unnamed) {
        // Give the written file its temporary name, still under the lock.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int tries = 0; tries < 100; ++tries) {
            tmp = tempName(dir, path);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
            const int err = errno;
            tmp.clear();
            if (err != EEXIST) break;
        }
        if (tmp.empty()) cleanup(sysError("name the temporary file beside", path));
    }
    fd_ = fd;
    tmp_ = std::move(tmp);
}

PendingSave::PendingSave(PendingSave&& o) noexcept
    : path_(std::move(o.path_)), dir_(std::move(o.dir_)), tmp_(std::move(o.tmp_)), fd_(o.fd_) {
    o.fd_ = -1;
    o.tmp_.clear();
}

PendingSave::~PendingSave() { discard(); }

void PendingSave::discard() {
    if (fd_ < 0) return;
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
    ::close(fd_);
    fd_ = -1;
}

void PendingSave::commit() {
    if (fd_ < 0) throw IoError(fmt::format("Cannot replace {}: nothing left to save", path_.string()));
    // Renamed before it is closed, so that the lock covers its named life.
    if (::rename(tmp_.c_str(), path_.c_str()) != 0) {
        const std::string msg = sysError("replace", path_);
        discard();
        throw IoError(msg);
    }
    ::close(fd_);
    fd_ = -1;
    // Make the rename itself durable.
    Fd dirFd{::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dirFd.fd >= 0) ::fsync(dirFd.fd);
}

StagedFolder::StagedFolder(fs::path target) : target_(std::move(target)) {
    std::error_code ec;
    const fs::path parent = target_.parent_path().empty() ? fs::path(".") : target_.parent_path();
    for (fs::path p = fs::absolute(target_, ec); !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
        created_ = p;
        if (p == p.parent_path()) break;
    }
    if (!fs::create_directories(parent, ec) && ec)
        throw IoError("cannot create the folder " + parent.string() + ": " + ec.message());
    std::string pattern = (parent / ("." + target_.filename().string() + ".navora-stage-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        const std::string reason = std::error_code(errno, std::generic_category()).message();
        if (!created_.empty()) fs::remove_all(created_, ec);
        throw IoError("cannot create a folder beside " + target_.string() + ": " + reason);
    }
    staging_ = pattern;
}

StagedFolder::~StagedFolder() {
    std::error_code ec;
    if (!staging_.empty()) fs::remove_all(staging_, ec);
    if (!committed_ && !created_.empty()) fs::remove_all(created_, ec);
}

void StagedFolder::commit() {
    std::error_code ec;
    if (!fs::exists(target_, ec)) {
        fs::rename(staging_, target_, ec);
        if (ec) throw IoError("cannot move the files into " + target_.string() + ": " + ec.message());
        staging_.clear();
        committed_ = true;
        return;
    }
    // The target exists: its folders stay, each staged file replaces its namesake.
    for (auto it = fs::recursive_directory_iterator(staging_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const fs::path to = target_ / fs::relative(it->path(), staging_);
        if (it->is_directory()) {
            fs::create_directories(to, ec);
        } else {
            fs::rename(it->path(), to, ec);
        }
        if (ec) throw IoError("cannot move " + it->path().filename().string() + " into " + target_.string() + ": " +
                              ec.message());
    }
    if (ec) throw IoError("cannot move the files into " + target_.string() + ": " + ec.message());
    committed_ = true;
}

void saveAtomic(const fs::path& path, std::span<const std::uint8_t> data, const fs::path& modeFrom) {
    PendingSave(path, data, modeFrom).commit();
}

}  // namespace navora

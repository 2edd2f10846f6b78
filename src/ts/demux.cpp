#include "ts/demux.h"

#include "core/clock.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "core/log.h"
#include "ts/sourcepacket.h"

#include <fmt/format.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navora {

namespace fs = std::filesystem;

namespace {

// The scan asks for the header of the packet this many packets ahead, so
// that it is in the cache when the scan gets there.
constexpr std::size_t kPrefetchPackets = 16;
// Output buffers: four of 256 KiB, filled by the scan and written by a thread
// of their own.
constexpr std::size_t kOutBufferBytes = std::size_t{1} << 18;

std::string sysError(const char* what, const fs::path& p) {
    return fmt::format("Cannot {} {}: {}", what, p.string(), std::strerror(errno));
}

// Writes filled buffers to a file on a thread of its own, so that copying
// them into the page cache, and waiting for the disk, overlap the scan.
class BackgroundWriter {
public:
    BackgroundWriter(int fd, fs::path name) : fd_(fd), name_(std::move(name)) {
        for (auto& b : storage_) {
            b.reset(new std::uint8_t[kOutBufferBytes]);
            free_.push_back(b.get());
        }
        thread_ = std::thread([this] { run(); });
    }
    ~BackgroundWriter() {
        {
            std::lock_guard lock(mu_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // A buffer to fill; waits while every buffer is queued.
    std::uint8_t* acquire() {
        std::unique_lock lock(mu_);
        cv_.wait(lock, [this] { return !free_.empty() || error_ != 0; });
        throwIfFailed();
        std::uint8_t* b = free_.front();
        free_.pop_front();
        return b;
    }
    void submit(std::uint8_t* b, std::size_t n) {
        {
            std::lock_guard lock(mu_);
            full_.emplace_back(b, n);
        }
        cv_.notify_all();
    }
    // Waits until everything submitted is written.
    void finish() {
        std::unique_lock lock(mu_);
        cv_.wait(lock, [this] { return (full_.empty() && !writing_) || error_ != 0; });
        throwIfFailed();
    }

private:
    static constexpr std::size_t kBuffers = 4;

    void throwIfFailed() const {
        if (error_ != 0)
            throw IoError(fmt::format("Cannot write {}: {}", name_.string(), std::strerror(error_)));
    }

    void run() {
        std::unique_lock lock(mu_);
        for (;;) {
            cv_.wait(lock, [this] { return stop_ || !full_.empty(); });
            if (stop_) return;
            const auto [b, n] = full_.front();
            full_.pop_front();
            writing_ = true;
            lock.unlock();
            int err = 0;
            for (std::size_t done = 0; done < n;) {
                const ssize_t w = ::write(fd_, b + done, n - done);
                if (w < 0) {
                    if (errno == EINTR) continue;
                    err = errno;
                    break;
                }
                done += static_cast<std::size_t>(w);
            }
            lock.lock();
            writing_ = false;
            free_.push_back(b);
            if (err != 0) error_ = err;
            cv_.notify_all();
            if (err != 0) return;
        }
    }

    const int fd_;
    const fs::path name_;
    std::unique_ptr<std::uint8_t[]> storage_[kBuffers];
    std::mutex mu_;
    std::condition_variable cv_;
    std::deque<std::uint8_t*> free_;
    std::deque<std::pair<std::uint8_t*, std::size_t>> full_;
    bool writing_ = false;
    bool stop_ = false;
    int error_ = 0;
    std::thread thread_;
};

// Collects the output in memory, or in buffers that a background writer
// writes to a file.
class ByteSink {
public:
    explicit ByteSink(Bytes& memory) : memory_(&memory) { memory_->clear(); }
    ByteSink(int fd, const fs::path& name) : writer_(std::make_unique<BackgroundWriter>(fd, name)) {
        buf_ = writer_->acquire();
    }

    // n is at most one packet's payload or one record header.
    void put(const std::uint8_t* p, std::size_t n) {
        written_ += n;
        if (memory_) {
            memory_->insert(memory_->end(), p, p + n);
            return;
        }
        if (n > kOutBufferBytes - used_) {
            writer_->submit(buf_, used_);
            buf_ = writer_->acquire();
            used_ = 0;
        }
        std::memcpy(buf_ + used_, p, n);
        used_ += n;
    }

    // Writes what is buffered and waits for the writer; throws IoError when a
    // write failed.
    void flush() {
        if (!writer_) return;
        if (used_ > 0) writer_->submit(buf_, used_);
        used_ = 0;
        buf_ = nullptr;
        writer_->finish();
    }

    std::uint64_t written() const { return written_; }

private:
    Bytes* memory_ = nullptr;
    std::unique_ptr<BackgroundWriter> writer_;
    std::uint8_t* buf_ = nullptr;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
};

// Sync bytes that must line up, one source packet apart, before a run that
// lost the packet grid (a sync byte other than 0x47) takes it up again at the
// first of them; near the end of the stream, those of the packets left.
constexpr std::size_t kResyncPackets = 4;

// The run of one PID over a stream, fed in pieces of any size. The token is
// polled every kDemuxBlockPackets source packets (or the same amount of bytes
// searched for the packet grid) and progress reported every
// kDemuxProgressPackets.
class Demuxer {
public:
    Demuxer(const DemuxJob& job, ByteSink& out, std::uint64_t totalPackets)
        : job_(job),
          out_(out),
          total_(totalPackets),
          record_(job.form == DemuxForm::Sup || job.form == DemuxForm::Menu),
          needTimeBase_(job.form == DemuxForm::Sup),
          start_(std::chrono::steady_clock::now()) {}

    // Processes data[0, n), which continues the stream where the bytes
    // consumed so far end; eof: nothing follows it. Returns the bytes
    // consumed: the caller passes the rest again with the bytes that follow
    // (less than kResyncPackets + 1 source packets are left over, unless the
    // run stopped). At eof only a partial last packet is left over.
    std::size_t feed(const std::uint8_t* data, std::size_t n, bool eof) {
        std::size_t pos = 0;
        for (;;) {
            if (lost_ && !resync(data, n, eof, pos)) break;
            if (stopped_) break;
            for (; pos + kSourcePacketBytes <= n; pos += kSourcePacketBytes) {
                const std::uint8_t* p = data + pos;
                // Past the end of the data this is a no-op: a prefetch never faults.
                __builtin_prefetch(p + kPrefetchPackets * kSourcePacketBytes);
                // A packet is taken when its sync byte and the next one are
                // 0x47, or when the next one alone is damaged (the one after it
                // is 0x47 again): a packet cut short, or bytes lost or added
                // inside it, shift the sync bytes after it and lose the grid.
                if (p[4] != kSyncByte) {
                    lost_ = true;
                    lostAt_ = offset_ + pos;
                    break;
                }
                if (pos + kSourcePacketBytes + 5 > n) {
                    if (!eof) break;
                } else if (p[kSourcePacketBytes + 4] != kSyncByte) {
                    if (pos + 2 * kSourcePacketBytes + 5 > n) {
                        if (!eof) break;
                    } else if (p[2 * kSourcePacketBytes + 4] != kSyncByte) {
                        // Held until the grid is found again: when that is a
                        // whole packet or more further on, this one was whole.
                        lost_ = true;
                        lostAt_ = offset_ + pos;
                        std::memcpy(held_, p, kSourcePacketBytes);
                        holding_ = true;
                        break;
                    }
                }
                if (!take(p, offset_ + pos)) break;
            }
            if (!lost_ || stopped_) break;
        }
        offset_ += pos;
        return pos;
    }

    bool stopped() const { return stopped_; }

    // Ends the run; trailingBytes of a partial last packet were left over.
    DemuxResult finish(std::uint64_t trailingBytes) {
        if (!stopped_ && job_.token && job_.token->poll) job_.token->poll();
        r_.cancelled = stopped_ || (job_.token && job_.token->cancelled());
        r_.trailingBytes = trailingBytes;
        r_.trailingOffset = offset_;
        r_.bytesWritten = out_.written();
        r_.elapsed = elapsed();
        return r_;
    }

private:
    std::chrono::milliseconds elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    }

    // A source packet whose sync byte is 0x47, at offset. Returns false when
    // the run stops (cancelled).
    bool take(const std::uint8_t* p, std::uint64_t offset) {
        ++r_.packets;
        const std::uint16_t pid = packetPid(p);
        if (pid == kNullPid) {
        } else if (pid == job_.pid) {
            packetOffset_ = offset;
            if (!selected(p)) {
                stopped_ = true;
                return false;
            }
        } else if (needTimeBase_ && pid == kPrimaryVideoPid) {
            findTimeBase(p);
        }
        return tick(offset);
    }

    // One source packet's worth of the stream done, at offset: polls the
    // token at each block's end and reports progress. Returns false when the
    // run stops (cancelled).
    bool tick(std::uint64_t offset) {
        ++ticks_;
        if (ticks_ % kDemuxProgressPackets == 0 && job_.token && job_.token->progress)
            job_.token->progress(Progress{offset / kSourcePacketBytes + 1, total_, elapsed()});
        if (ticks_ % kDemuxBlockPackets != 0 || !job_.token) return true;
        if (job_.token->poll) job_.token->poll();
        if (!job_.token->cancelled()) return true;
        stopped_ = true;
        return false;
    }

    // Whether the sync bytes of the packets from data + at line up: all
    // kResyncPackets of them, or at eof those of the whole packets left, when
    // two or more are left (a single 0x47 among random bytes is too likely).
    // nullopt: more data is needed to tell.
    std::optional<bool> linesUp(const std::uint8_t* data, std::size_t n, std::size_t at, bool eof) const {
        for (std::size_t k = 0; k < kResyncPackets; ++k) {
            const std::size_t end = at + (k + 1) * kSourcePacketBytes;
            if (end > n) {
                if (!eof) return std::nullopt;
                return k >= 2;
            }
            if (data[end - kSourcePacketBytes + 4] != kSyncByte) return false;
        }
        return true;
    }

    // Looks for the packet grid again: one packet on from where it was lost,
    // else byte by byte from the byte after that place. Returns true with pos
    // at the first packet of the grid found,
    // or at the end of the data when nothing lines up up to eof; false when
    // more data is needed (pos: where the search goes on) or the run stopped.
    bool resync(const std::uint8_t* data, std::size_t n, bool eof, std::size_t& pos) {
        bool found = false;
        if (!gridChecked_) {
            // Most often one sync byte is damaged and the grid goes on a
            // packet later: that is looked at first, so that packets repeated
            // with a 0x47 at the same place cannot pass for the grid.
            const std::size_t lost = static_cast<std::size_t>(lostAt_ - offset_);
            const std::optional<bool> ok = linesUp(data, n, lost + kSourcePacketBytes, eof);
            if (!ok) {
                pos = lost;
                return false;
            }
            gridChecked_ = true;
            found = *ok;
            pos = found ? lost + kSourcePacketBytes : lost + 1;
        }
        for (; !found; ++pos) {
            if (pos + kSourcePacketBytes > n) {
                if (!eof) return false;
                pos = n;  // nothing lines up before the end: the rest is skipped
                break;
            }
            if (data[pos + 4] == kSyncByte) {
                const std::optional<bool> ok = linesUp(data, n, pos, eof);
                if (!ok) return false;
                if (*ok) break;
            }
            if (++searched_ == kSourcePacketBytes) {
                searched_ = 0;
                if (!tick(offset_ + pos)) return false;
            }
        }
        std::uint64_t from = lostAt_;
        const std::uint64_t to = offset_ + pos;
        if (holding_ && pos < n && to - from >= kSourcePacketBytes) {
            holding_ = false;
            if (!take(held_, from)) return false;
            from += kSourcePacketBytes;
        }
        if (to > from) noteSkip(from, to - from, pos == n);
        lost_ = false;
        holding_ = false;
        gridChecked_ = false;
        searched_ = 0;
        return true;
    }

    void noteSkip(std::uint64_t offset, std::uint64_t bytes, bool toEnd) {
        ++r_.skippedRanges;
        r_.skippedBytes += bytes;
        if (r_.skipped.size() < DemuxResult::kMaxReportedRanges) r_.skipped.push_back({offset, bytes, toEnd});
    }

    // SUP form: the first PES start of the primary video that carries a PTS
    // gives the time base for the rest of the run.
    void findTimeBase(const std::uint8_t* p) {
        const int L = payloadLength(p);
        if (L < 14) return;
        const std::uint8_t* r = p + kSourcePacketBytes - L;
        if (r[0] == 0 && r[1] == 0 && r[2] == 1 && (r[7] >> 6) != 0) {
            timeBase_ = readTimeStamp(r + 9);
            needTimeBase_ = false;
        }
    }

    // A packet of the selected PID. Returns false to stop the run: the token
    // was cancelled and this packet starts a PES packet, so the output ends
    // with a whole PES packet.
    bool selected(const std::uint8_t* p) {
        ++r_.savedPackets;
        const int L = payloadLength(p);
        if (L < 0) return true;
        const std::uint8_t* r = p + kSourcePacketBytes - L;
        if (job_.form == DemuxForm::Pes) {
            out_.put(r, static_cast<std::size_t>(L));
            return true;
        }
        if (!hasPayload(p)) return true;
        // A PES packet of known length ends when rem falls below one payload
        // (rem keeps the 3 + PES_header_data_length bytes that
        // PES_packet_length counts beyond the payload); one of unbounded
        // length (PES_packet_length 0) ends at the next packet that starts a
        // payload unit.
        const bool startCode = L >= 4 && r[0] == 0 && r[1] == 0 && r[2] == 1 && r[3] > 0xB0;
        if (startCode && (unbounded_ ? payloadUnitStart(p) : rem_ < kMaxPayload)) {
            if (job_.token && job_.token->cancelled()) return false;
            startPes(p, r, L);
        } else if (unbounded_ || rem_ > 0) {
            if (!skipPes_) out_.put(r, static_cast<std::size_t>(L));
            if (!unbounded_) rem_ = static_cast<std::uint16_t>(rem_ - L);
        }
        return true;
    }

    void startPes(const std::uint8_t* p, const std::uint8_t* r, int L) {
        skipPes_ = false;
        unbounded_ = false;
        rem_ = 0;
        if (L < 6) return cutHeader();
        const std::uint8_t streamId = r[3];
        const unsigned pesLength = (unsigned{r[4]} << 8) | r[5];
        if (pesWithoutHeader(streamId)) {
            // Nothing of such a PES packet is written, its continuation included.
            skipPes_ = true;
            unbounded_ = pesLength == 0;
            const unsigned here = static_cast<unsigned>(L) - 6;
            rem_ = static_cast<std::uint16_t>(pesLength > here ? pesLength - here : 0);
            return;
        }
        if (L < 9) return cutHeader();
        const unsigned flags = r[7] >> 6;
        const int headerLength = r[8];
        if (9 + headerLength > L || ((flags & 2) && L < 14) || (flags == 3 && L < 19)) return cutHeader();
        const int n = L - 9 - headerLength;  // PES payload bytes in this packet
        if (record_ && flags != 0) {
            pts_ = readTimeStamp(r + 9) - timeBase_;
            dts_ = flags == 3 ? readTimeStamp(r + 14) - timeBase_ : 0;
            if (job_.log) job_.log->log(pesLogLine(pts_, dts_, n > 0 ? r[9 + headerLength] : -1, p));
        }
        if (pesLength == 0)
            unbounded_ = true;
        else
            rem_ = static_cast<std::uint16_t>(pesLength - static_cast<unsigned>(n));
        if (record_) {
            const auto header = recordHeaderBytes(
                {{job_.form == DemuxForm::Sup ? 'P' : 'I', 'G'}, pts_, dts_});
            out_.put(header.data(), header.size());
        }
        out_.put(r + 9 + headerLength, static_cast<std::size_t>(n));
    }

    // The PES header does not lie inside the packet that starts it: the PES
    // packet is dropped whole rather than written from the wrong place.
    void cutHeader() {
        ++r_.cutPesHeaders;
        if (r_.cutPesOffsets.size() < DemuxResult::kMaxReportedRanges) r_.cutPesOffsets.push_back(packetOffset_);
    }

    const DemuxJob& job_;
    ByteSink& out_;
    const std::uint64_t total_;
    const bool record_;
    bool needTimeBase_;
    const std::chrono::steady_clock::time_point start_;

    std::uint64_t offset_ = 0;        // stream offset of the data passed to feed()
    std::uint64_t packetOffset_ = 0;  // stream offset of the packet of the PID being processed
    std::uint64_t ticks_ = 0;         // packets done, and packets' worth of bytes searched
    bool stopped_ = false;            // the token cancelled the run
    bool lost_ = false;               // looking for the packet grid again
    std::uint64_t lostAt_ = 0;        // where the grid was lost
    std::uint8_t held_[kSourcePacketBytes] = {};  // the packet at lostAt_, when its own sync byte was 0x47
    bool holding_ = false;
    bool gridChecked_ = false;  // the packet after lostAt_ did not line up
    std::size_t searched_ = 0;        // bytes searched since the last tick
    std::uint16_t rem_ = 0;           // remaining count of the current PES packet (wraps)
    bool unbounded_ = false;          // the current PES packet has PES_packet_length 0
    bool skipPes_ = false;            // the current PES packet is not written
    std::uint32_t timeBase_ = 0;
    std::uint32_t pts_ = 0;
    std::uint32_t dts_ = 0;
    DemuxResult r_;
};

// Closes a descriptor on scope exit.
struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// A stream file, read front to back into one reused buffer that the scan
// goes through on the same thread: reading from the page cache costs one
// copy, as it does for cat, and the scan then finds each packet header in the
// processor's cache. Only regular files are read: a device or a FIFO would
// never end, or block.
class StreamFile {
public:
    explicit StreamFile(const fs::path& path) : path_(path) {
        // O_NONBLOCK: opening a FIFO must not wait for a writer.
        in_.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (in_.fd < 0) throw IoError(sysError("open", path));
        struct stat st {};
        if (::fstat(in_.fd, &st) != 0) throw IoError(sysError("examine", path));
        if (S_ISDIR(st.st_mode)) throw IoError(fmt::format("Cannot read {}: it is a folder", path.string()));
        if (!S_ISREG(st.st_mode))
            throw IoError(fmt::format("Cannot read {}: not a regular file (a stream file is read whole)", path.string()));
        size_ = static_cast<std::uint64_t>(st.st_size);
        ::posix_fadvise(in_.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }

    std::uint64_t totalPackets() const { return size_ / kSourcePacketBytes; }

    // Feeds the file to d; returns the bytes of a partial last packet.
    std::uint64_t run(Demuxer& d) {
        std::unique_ptr<std::uint8_t, decltype(&std::free)> buf(
            static_cast<std::uint8_t*>(std::aligned_alloc(4096, kReadBytes)), &std::free);
        if (!buf) throw std::bad_alloc();
        std::uint8_t* const b = buf.get();
        std::size_t have = 0;
        std::uint64_t read = 0;
        for (bool eof = false; !eof;) {
            const ssize_t n = ::read(in_.fd, b + have, kReadBytes - have);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw IoError(sysError("read", path_));
            }
            eof = n == 0;
            have += static_cast<std::size_t>(n);
            read += static_cast<std::uint64_t>(n);
            if (eof && read < size_)
                throw IoError(fmt::format("Cannot read {}: the file was cut short while it was read ({} of {} bytes)",
                                          path_.string(), read, size_));
            const std::size_t used = d.feed(b, have, eof);
            if (d.stopped()) return 0;
            std::memmove(b, b + used, have - used);
            have -= used;
        }
        return have;
    }

private:
    // 512 KiB: large enough that system calls cost nothing measurable, small
    // enough that what read() copied is still in the processor's cache when
    // the scan gets there.
    static constexpr std::size_t kReadBytes = std::size_t{1} << 19;

    fs::path path_;
    Fd in_;
    std::uint64_t size_ = 0;
};

DemuxResult runFile(StreamFile& in, ByteSink& sink, const DemuxJob& job) {
    Demuxer d(job, sink, in.totalPackets());
    const std::uint64_t trailing = in.run(d);
    return d.finish(trailing);
}

// The temporary file beside a target, removed unless committed. It is
// unnamed while it is written where the file system allows it (O_TMPFILE), so
// that a run killed by a signal leaves nothing behind, and is named
// <target>.navora-save-XXXXXX only for the rename, under a lock that keeps
// other runs from taking it for a leftover. Leftovers of runs killed before
// (or of file systems without unnamed files) are removed first.
class TempOutput {
public:
    explicit TempOutput(const fs::path& target) : target_(target) {
        dir_ = target.has_parent_path() ? target.parent_path() : fs::path(".");
        removeStaleSaveFiles(dir_, target.filename().string());
        if (::access("/proc/self/fd", X_OK) == 0) fd_.fd = ::open(dir_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd_.fd < 0) {
            std::string name = tempTemplate();
            fd_.fd = ::mkostemp(name.data(), O_CLOEXEC);
            if (fd_.fd >= 0) path_ = name;
        }
        if (fd_.fd < 0) throw IoError(sysError("create a temporary file beside", target));
        ::flock(fd_.fd, LOCK_EX);
    }
    ~TempOutput() {
        if (!committed_ && !path_.empty()) ::unlink(path_.c_str());
    }
    int fd() const { return fd_.fd; }
    fs::path name() const { return path_.empty() ? target_ : path_; }

    // Gives the file the permissions of a new file and puts it under the target's name.
    void commit() {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_.fd, 0666 & ~mask);
        if (path_.empty()) {
            // Name the unnamed file through /proc, still under the lock.
            const std::string self = "/proc/self/fd/" + std::to_string(fd_.fd);
            for (int tries = 0; tries < 100 && path_.empty(); ++tries) {
                std::string name = tempTemplate();
                name.replace(name.size() - 6, 6, randomSuffix());
                if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                    path_ = name;
                else if (errno != EEXIST)
                    break;
            }
            if (path_.empty()) throw IoError(sysError("name the temporary file beside", target_));
        }
        // Renamed before it is closed, so that the lock covers its named life.
        if (::rename(path_.c_str(), target_.c_str()) != 0) throw IoError(sysError("replace", target_));
        committed_ = true;
        const int fd = fd_.fd;
        fd_.fd = -1;
        if (::close(fd) != 0) throw IoError(sysError("close", target_));
    }

private:
    std::string tempTemplate() const {
        return (dir_ / (target_.filename().string() + std::string(kSaveTempMarker) + "XXXXXX")).string();
    }
    static std::string randomSuffix() {
        static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        static std::mt19937_64 gen{std::random_device{}()};
        std::string s(6, 'A');
        for (char& c : s) c = kChars[gen() % (sizeof kChars - 1)];
        return s;
    }

    fs::path target_;
    fs::path dir_;
    fs::path path_;  // empty while the file is unnamed
    Fd fd_;
    bool committed_ = false;
};

std::string offsetText(std::uint64_t offset) { return fmt::format("offset {} (${:08X})", offset, offset); }

}  // namespace

std::string pesTimeText(std::uint32_t ticks) {
    const std::uint64_t ms = ticks90kToMs(ticks);
    const std::uint64_t s = ms / 1000;
    return fmt::format("{}:{:02}:{:02}.{:03}", s / 3600, s / 60 % 60, s % 60, ms % 1000);
}

std::string pesLogLine(std::uint32_t pts, std::uint32_t dts, int segmentType, const std::uint8_t* tp) {
    return fmt::format("{:08X}, {:08X} : {}, {}   {}   {:02X}{:02X}{:02X}{:02X}", pts, dts, pesTimeText(pts),
                       pesTimeText(dts), segmentType < 0 ? std::string("--") : fmt::format("{:02X}", segmentType),
                       tp[0], tp[1], tp[2], tp[3]);
}

std::vector<std::string> demuxProblems(const DemuxResult& r) {
    std::vector<std::string> lines;
    for (const DemuxResult::Range& k : r.skipped)
        lines.push_back(k.toEnd ? fmt::format("Bad sync byte at {}: {} bytes skipped, to the end of the file: no "
                                              "source packets line up after it.",
                                              offsetText(k.offset), k.bytes)
                                : fmt::format("Bad sync byte at {}: {} bytes skipped, up to {}, where source packets "
                                              "line up again.",
                                              offsetText(k.offset), k.bytes, offsetText(k.offset + k.bytes)));
    if (r.skippedRanges > r.skipped.size())
        lines.push_back(fmt::format("{} more ranges were skipped for a bad sync byte; {} bytes skipped in all.",
                                    r.skippedRanges - r.skipped.size(), r.skippedBytes));
    for (const std::uint64_t o : r.cutPesOffsets)
        lines.push_back(fmt::format(
            "The PES header in the source packet at {} does not fit in the packet: its PES packet was skipped.",
            offsetText(o)));
    if (r.cutPesHeaders > r.cutPesOffsets.size())
        lines.push_back(fmt::format("{} more PES packets were skipped for a header that does not fit in its packet.",
                                    r.cutPesHeaders - r.cutPesOffsets.size()));
    if (r.trailingBytes > 0)
        lines.push_back(fmt::format("The last {} bytes, from {}, are not a whole source packet and were not read.",
                                    r.trailingBytes, offsetText(r.trailingOffset)));
    return lines;
}

std::string nothingSavedLine(const fs::path& stream, std::uint16_t pid, const DemuxResult& r) {
    if (r.packets == 0)
        return fmt::format("Nothing saved: {} holds no source packets (no sync bytes 0x47 192 bytes apart).",
                           stream.string());
    if (r.savedPackets == 0)
        return fmt::format("Nothing saved: {} has no packets of PID {:04X} ({} source packets read).", stream.string(),
                           pid, r.packets);
    return fmt::format("Nothing saved: the {} packets of PID {:04X} in {} carry no complete PES packet.",
                       r.savedPackets, pid, stream.string());
}

DemuxResult demuxBuffer(std::span<const std::uint8_t> stream, Bytes& out, const DemuxJob& job) {
    ByteSink sink(out);
    Demuxer d(job, sink, stream.size() / kSourcePacketBytes);
    const std::size_t used = d.feed(stream.data(), stream.size(), true);
    return d.finish(d.stopped() ? 0 : stream.size() - used);
}

DemuxResult demuxToMemory(const fs::path& stream, Bytes& out, const DemuxJob& job) {
    StreamFile in(stream);
    ByteSink sink(out);
    return runFile(in, sink, job);
}

DemuxResult demuxToFile(const fs::path& stream, const fs::path& output, const DemuxJob& job) {
    StreamFile in(stream);
    std::error_code ec;
    if (fs::equivalent(stream, output, ec))
        throw IoError(fmt::format("Cannot write {}: it is the stream file being read", output.string()));
    TempOutput tmp(output);
    ByteSink sink(tmp.fd(), tmp.name());
    DemuxResult r = runFile(in, sink, job);
    // After a cancel, or when nothing was demultiplexed, the temporary file
    // goes and output stays as it was.
    if (r.cancelled || r.bytesWritten == 0) return r;
    sink.flush();
    tmp.commit();
    r.saved = true;
    return r;
}

fs::path menuTempFile() { return fs::temp_directory_path() / "Navora_MENU.tmp"; }

DemuxResult demuxMenu(const fs::path& stream, std::uint16_t pid, Bytes& mnu, CancelToken* token, Log* log) {
    return demuxToMemory(stream, mnu, DemuxJob{pid, DemuxForm::Menu, token, log});
}

DemuxResult demuxMenuToTempFile(const fs::path& stream, std::uint16_t pid, CancelToken* token, Log* log) {
    return demuxToFile(stream, menuTempFile(), DemuxJob{pid, DemuxForm::Menu, token, log});
}

}  // namespace navora

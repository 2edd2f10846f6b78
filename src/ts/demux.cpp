#include "ts/demux.h"

#include "core/clock.h"
#include "core/errors.h"
#include "core/log.h"
#include "core/mapguard.h"
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
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navora {

namespace fs = std::filesystem;

namespace {

// A mapped window of a stream file: 32,768 source packets (6 MiB), a
// multiple of the page size, so that every window starts page-aligned.
constexpr std::size_t kWindowPackets = 32768;
constexpr std::size_t kWindowBytes = kWindowPackets * kSourcePacketBytes;
// Windows mapped ahead of the one being scanned.
constexpr std::size_t kWindowsAhead = 1;
// The mapping thread touches one byte per this many bytes: each touch faults
// in the kernel's fault-around span (64 KiB by default) in one go.
constexpr std::size_t kFaultStride = 65536;
// The scan asks for the header of the packet this many packets ahead, so
// that it is in the cache when the scan gets there.
constexpr std::size_t kPrefetchPackets = 16;
// Reading without a mapping (pipes, file systems that cannot map): about 1 MiB per read.
constexpr std::size_t kReadPackets = 5461;
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

// The run of one PID over the source packets of a stream, fed window by
// window. Blocks of 341 packets are counted from the start of the stream.
class Demuxer {
public:
    Demuxer(const DemuxJob& job, ByteSink& out, std::uint64_t totalPackets)
        : job_(job),
          out_(out),
          total_(totalPackets),
          record_(job.form == DemuxForm::Sup || job.form == DemuxForm::Menu),
          needTimeBase_(job.form == DemuxForm::Sup),
          start_(std::chrono::steady_clock::now()) {}

    // Processes count whole source packets. Returns false when the run stops
    // because the token was cancelled.
    bool feed(const std::uint8_t* data, std::size_t count) {
        std::size_t i = 0;
        while (i < count) {
            const std::uint64_t blockEnd = (index_ / kDemuxBlockPackets + 1) * kDemuxBlockPackets;
            const std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(count, i + (blockEnd - index_)));
            if (index_ >= skipUntil_) {
                for (; i < stop; ++i, ++index_) {
                    const std::uint8_t* p = data + i * kSourcePacketBytes;
                    // Past the end of the data this is a no-op: a prefetch never faults.
                    __builtin_prefetch(p + kPrefetchPackets * kSourcePacketBytes);
                    if (++r_.packets % kDemuxProgressPackets == 0) reportProgress();
                    if (p[4] != kSyncByte) {
                        // The rest of the block, this packet included, is skipped unexamined.
                        noteOffset(r_.badSyncBlocks, r_.badSyncOffsets, index_ * kSourcePacketBytes + 4);
                        skipUntil_ = blockEnd;
                        break;
                    }
                    const std::uint16_t pid = packetPid(p);
                    if (pid == kNullPid) continue;
                    if (needTimeBase_ && pid == kPrimaryVideoPid) findTimeBase(p);
                    if (pid == job_.pid && !selected(p)) return false;
                }
            }
            if (i < stop) {
                index_ += stop - i;
                i = stop;
            }
            if (index_ == blockEnd && !endBlock()) return false;
        }
        return true;
    }

    // Ends the run: the last block ends with the input.
    DemuxResult finish(bool stopped, std::uint64_t trailingBytes, std::uint64_t trailingOffset) {
        if (!stopped && index_ % kDemuxBlockPackets != 0) stopped = !endBlock();
        r_.cancelled = stopped || (job_.token && job_.token->cancelled());
        r_.trailingBytes = trailingBytes;
        r_.trailingOffset = trailingOffset;
        r_.bytesWritten = out_.written();
        r_.elapsed = elapsed();
        return r_;
    }

private:
    std::chrono::milliseconds elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    }

    void reportProgress() {
        if (job_.token && job_.token->progress) job_.token->progress(Progress{r_.packets, total_, elapsed()});
    }

    bool endBlock() {
        if (!job_.token) return true;
        if (job_.token->poll) job_.token->poll();
        return !job_.token->cancelled();
    }

    static void noteOffset(std::uint64_t& count, std::vector<std::uint64_t>& offsets, std::uint64_t offset) {
        ++count;
        if (offsets.size() < DemuxResult::kMaxReportedOffsets) offsets.push_back(offset);
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
    void cutHeader() { noteOffset(r_.cutPesHeaders, r_.cutPesOffsets, index_ * kSourcePacketBytes); }

    const DemuxJob& job_;
    ByteSink& out_;
    const std::uint64_t total_;
    const bool record_;
    bool needTimeBase_;
    const std::chrono::steady_clock::time_point start_;

    std::uint64_t index_ = 0;      // index of the next source packet in the stream
    std::uint64_t skipUntil_ = 0;  // a bad sync byte skips up to this packet index
    std::uint16_t rem_ = 0;        // remaining count of the current PES packet (wraps)
    bool unbounded_ = false;       // the current PES packet has PES_packet_length 0
    bool skipPes_ = false;         // the current PES packet is not written
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

// Maps the windows of a stream file ahead of the scan on a thread of its
// own, faulting their pages in, and unmaps the windows the scan is done
// with: the page-table work of the mapping runs beside the scan instead of
// interrupting it, and at most kWindowsAhead + 2 windows are mapped at once.
class WindowMapper {
public:
    struct Window {
        const std::uint8_t* data = nullptr;  // null when mapping failed
        std::size_t len = 0;
        std::string error;
        // Keeps a file cut short meanwhile from ending the process.
        std::unique_ptr<MapGuard> guard;
    };

    // Maps [0, end) of the file fd, whose size was size when the run began.
    WindowMapper(int fd, const fs::path& path, std::uint64_t size, std::uint64_t end)
        : fd_(fd), path_(path), size_(size), end_(end), thread_([this] { run(); }) {}

    ~WindowMapper() {
        {
            std::lock_guard lock(mu_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
        for (Window& w : ready_) unmap(w);
        for (Window& w : done_) unmap(w);
    }
    WindowMapper(const WindowMapper&) = delete;
    WindowMapper& operator=(const WindowMapper&) = delete;

    // The next window in file order; waits until it is mapped.
    Window next() {
        std::unique_lock lock(mu_);
        cv_.wait(lock, [this] { return !ready_.empty(); });
        Window w = std::move(ready_.front());
        ready_.pop_front();
        lock.unlock();
        cv_.notify_all();
        return w;
    }

    // Hands back a window from next() for unmapping.
    void release(Window w) {
        {
            std::lock_guard lock(mu_);
            done_.push_back(std::move(w));
        }
        cv_.notify_all();
    }

private:
    static void unmap(Window& w) {
        w.guard.reset();
        if (w.data) ::munmap(const_cast<std::uint8_t*>(w.data), w.len);
    }

    void run() {
        std::uint64_t off = 0;
        std::unique_lock lock(mu_);
        for (;;) {
            cv_.wait(lock, [&] { return stop_ || !done_.empty() || (off < end_ && ready_.size() < kWindowsAhead); });
            if (!done_.empty()) {
                Window w = std::move(done_.front());
                done_.pop_front();
                lock.unlock();
                unmap(w);
                lock.lock();
                continue;
            }
            if (stop_) return;
            const std::size_t len = static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, end_ - off));
            lock.unlock();
            Window w = map(off, len);
            lock.lock();
            // A failure ends the mapping: the scan reports it when it gets there.
            off = w.data ? off + len : end_;
            ready_.push_back(std::move(w));
            cv_.notify_all();
        }
    }

    Window map(std::uint64_t off, std::size_t len) const {
        Window w;
        // A file cut short by another program meanwhile must not be read
        // through a mapping past its new end.
        struct stat st {};
        if (::fstat(fd_, &st) != 0) {
            w.error = sysError("examine", path_);
            return w;
        }
        if (static_cast<std::uint64_t>(st.st_size) < off + len) {
            w.error = fmt::format("Cannot read {}: the file shrank from {} to {} bytes while it was read",
                                  path_.string(), size_, st.st_size);
            return w;
        }
        void* addr = ::mmap(nullptr, len, PROT_READ, MAP_SHARED, fd_, static_cast<off_t>(off));
        if (addr == MAP_FAILED) {
            w.error = sysError("map", path_);
            return w;
        }
        w.guard = std::make_unique<MapGuard>(addr, len);
        ::madvise(addr, len, MADV_SEQUENTIAL);
        w.data = static_cast<const std::uint8_t*>(addr);
        w.len = len;
        // Faulting the pages in here is cheaper than the scan taking the
        // faults: the kernel maps a whole fault-around span per touch. Each
        // touch reads the sync byte of the first packet that starts in the
        // span, the scan's next read there anyway.
        for (std::size_t o = 0; o < len; o += kFaultStride) {
            const std::size_t packet = (o + kSourcePacketBytes - 1) / kSourcePacketBytes * kSourcePacketBytes;
            if (packet < len) static_cast<void>(*static_cast<const volatile std::uint8_t*>(w.data + packet + kTpExtraHeaderBytes));
        }
        return w;
    }

    const int fd_;
    const fs::path path_;
    const std::uint64_t size_;
    const std::uint64_t end_;
    std::mutex mu_;
    std::condition_variable cv_;
    std::deque<Window> ready_;  // mapped, in file order, for next()
    std::deque<Window> done_;   // released by the scan, to unmap
    bool stop_ = false;
    std::thread thread_;  // last: starts once every other member is ready
};

// A stream file read as windows of whole source packets: memory-mapped
// windows for a regular file, plain reads for anything else (a pipe) or when
// the file system cannot map.
class StreamFile {
public:
    explicit StreamFile(const fs::path& path) : path_(path) {
        in_.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (in_.fd < 0) throw IoError(sysError("open", path));
        struct stat st {};
        if (::fstat(in_.fd, &st) != 0) throw IoError(sysError("examine", path));
        if (S_ISDIR(st.st_mode)) throw IoError(fmt::format("Cannot read {}: it is a folder", path.string()));
        regular_ = S_ISREG(st.st_mode);
        if (regular_) {
            size_ = static_cast<std::uint64_t>(st.st_size);
            ::posix_fadvise(in_.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        }
    }

    // Source packets in the file; 0 when its size is unknown (a pipe).
    std::uint64_t totalPackets() const { return size_ / kSourcePacketBytes; }

    // Calls feed(data, count) for each run of whole source packets in file
    // order until it returns false. Returns false when it was stopped.
    template <class Feed>
    bool run(Feed&& feed) {
        return regular_ ? mapped(feed) : streamed(feed, 0);
    }

    std::uint64_t trailingBytes() const { return trailingBytes_; }
    std::uint64_t trailingOffset() const { return trailingOffset_; }

private:
    template <class Feed>
    bool mapped(Feed& feed) {
        const std::uint64_t whole = size_ - size_ % kSourcePacketBytes;
        WindowMapper mapper(in_.fd, path_, size_, whole);
        for (std::uint64_t off = 0; off < whole; off += kWindowBytes) {
            WindowMapper::Window w = mapper.next();
            if (!w.data) {
                if (off == 0) return streamed(feed, 0);
                throw IoError(w.error);
            }
            bool go = false;
            try {
                go = feed(w.data, w.len / kSourcePacketBytes);
            } catch (...) {
                mapper.release(std::move(w));  // a failed write must not leave the window mapped
                throw;
            }
            const bool damaged = w.guard && w.guard->damaged();
            mapper.release(std::move(w));
            if (damaged)
                throw IoError(fmt::format("Cannot read {}: the file was cut short while it was read", path_.string()));
            if (!go) return false;
        }
        trailingBytes_ = size_ - whole;
        trailingOffset_ = whole;
        return true;
    }

    template <class Feed>
    bool streamed(Feed& feed, std::uint64_t offset) {
        Bytes buf(kReadPackets * kSourcePacketBytes);
        std::size_t have = 0;
        for (;;) {
            const ssize_t n = ::read(in_.fd, buf.data() + have, buf.size() - have);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw IoError(sysError("read", path_));
            }
            if (n == 0) break;
            have += static_cast<std::size_t>(n);
            const std::size_t packets = have / kSourcePacketBytes;
            if (packets == 0) continue;
            if (!feed(buf.data(), packets)) return false;
            const std::size_t used = packets * kSourcePacketBytes;
            std::memmove(buf.data(), buf.data() + used, have - used);
            have -= used;
            offset += used;
        }
        trailingBytes_ = have;
        trailingOffset_ = offset;
        return true;
    }

    fs::path path_;
    Fd in_;
    bool regular_ = false;
    std::uint64_t size_ = 0;
    std::uint64_t trailingBytes_ = 0;
    std::uint64_t trailingOffset_ = 0;
};

DemuxResult runFile(StreamFile& in, ByteSink& sink, const DemuxJob& job) {
    Demuxer d(job, sink, in.totalPackets());
    const bool complete = in.run([&](const std::uint8_t* data, std::size_t count) { return d.feed(data, count); });
    return d.finish(!complete, in.trailingBytes(), in.trailingOffset());
}

// The temporary file beside a target, removed unless committed.
class TempOutput {
public:
    explicit TempOutput(const fs::path& target) : target_(target) {
        const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
        std::string tmpl = (dir / ("." + target.filename().string() + ".navora-XXXXXX")).string();
        fd_.fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
        if (fd_.fd < 0) throw IoError(sysError("create a temporary file beside", target));
        path_ = tmpl;
    }
    ~TempOutput() {
        if (!committed_) ::unlink(path_.c_str());
    }
    int fd() const { return fd_.fd; }
    const fs::path& path() const { return path_; }

    // Gives the file the permissions of a new file and puts it under the target's name.
    void commit() {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_.fd, 0666 & ~mask);
        const int fd = fd_.fd;
        fd_.fd = -1;
        if (::close(fd) != 0) throw IoError(sysError("close", path_));
        if (::rename(path_.c_str(), target_.c_str()) != 0) throw IoError(sysError("replace", target_));
        committed_ = true;
    }

private:
    fs::path target_;
    fs::path path_;
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
    for (const std::uint64_t o : r.badSyncOffsets)
        lines.push_back(fmt::format("Bad sync byte at {}: the rest of its block of {} source packets was skipped.",
                                    offsetText(o), kDemuxBlockPackets));
    if (r.badSyncBlocks > r.badSyncOffsets.size())
        lines.push_back(fmt::format("{} more blocks were cut short by a bad sync byte.",
                                    r.badSyncBlocks - r.badSyncOffsets.size()));
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

DemuxResult demuxBuffer(std::span<const std::uint8_t> stream, Bytes& out, const DemuxJob& job) {
    ByteSink sink(out);
    const std::size_t packets = stream.size() / kSourcePacketBytes;
    Demuxer d(job, sink, packets);
    const bool complete = d.feed(stream.data(), packets);
    const std::uint64_t whole = packets * kSourcePacketBytes;
    return d.finish(!complete, stream.size() - whole, whole);
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
    ByteSink sink(tmp.fd(), tmp.path());
    DemuxResult r = runFile(in, sink, job);
    if (r.cancelled) return r;  // the temporary file goes; output stays as it was
    sink.flush();
    tmp.commit();
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

#include "ts/demux.h"

#include "core/clock.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "core/log.h"
#include "ts/sourcepacket.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
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
#include <span>
#include <stdexcept>
#include <vector>
#include <sys/file.h>
#include <sched.h>
#include <sys/mman.h>
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

// Buffers whose pages are all made present when they are allocated, in one
// system call: a page fault per page on first touch costs more than filling
// the page, most of all in a virtual machine.
class PresentMemory {
public:
    explicit PresentMemory(std::size_t bytes) : bytes_(bytes) {
        void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        data_ = static_cast<std::uint8_t*>(p);
    }
    ~PresentMemory() { ::munmap(data_, bytes_); }
    PresentMemory(const PresentMemory&) = delete;
    PresentMemory& operator=(const PresentMemory&) = delete;
    std::uint8_t* data() const { return data_; }

private:
    std::size_t bytes_;
    std::uint8_t* data_ = nullptr;
};

// Writes filled buffers to a file. Where a processor core is to spare, a
// thread of its own writes them, so that copying them into the page cache,
// and waiting for the disk, overlap the scan; else the caller's thread
// writes each as it is filled: handing buffers to a thread that has no core
// of its own only adds task switches.
class FileWriter {
public:
    // The caller's thread fills and writes one buffer over and over; a
    // writer thread gets a few to write while the others are filled.
    FileWriter(int fd, fs::path name, bool ownThread)
        : fd_(fd), name_(std::move(name)), storage_((ownThread ? kBuffers : 1) * kOutBufferBytes) {
        for (std::size_t i = 0; i < (ownThread ? kBuffers : 1); ++i)
            free_.push_back(storage_.data() + i * kOutBufferBytes);
        if (ownThread) thread_ = std::thread([this] { run(); });
    }
    ~FileWriter() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard lock(mu_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

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
        if (!thread_.joinable()) {
            error_ = writeAll(b, n);
            free_.push_back(b);
            throwIfFailed();
            return;
        }
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

    // Writes b[0, n); returns 0, or the errno of the write that failed.
    int writeAll(const std::uint8_t* b, std::size_t n) const {
        for (std::size_t done = 0; done < n;) {
            const ssize_t w = ::write(fd_, b + done, n - done);
            if (w < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += static_cast<std::size_t>(w);
        }
        return 0;
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
            const int err = writeAll(b, n);
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
    PresentMemory storage_;
    std::mutex mu_;
    std::condition_variable cv_;
    std::deque<std::uint8_t*> free_;
    std::deque<std::pair<std::uint8_t*, std::size_t>> full_;
    bool writing_ = false;
    bool stop_ = false;
    int error_ = 0;
    std::thread thread_;
};

// Collects the output in memory, or in buffers that a writer writes to a
// file.
class ByteSink {
public:
    explicit ByteSink(Bytes& memory) : memory_(&memory) { memory_->clear(); }
    ByteSink(int fd, const fs::path& name, bool writerThread)
        : writer_(std::make_unique<FileWriter>(fd, name, writerThread)) {
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
    std::unique_ptr<FileWriter> writer_;
    std::uint8_t* buf_ = nullptr;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
};

// Sync bytes that must line up, one source packet apart, before a run that
// lost the packet grid (a sync byte other than 0x47) takes it up again at the
// first of them; near the end of the stream, those of the packets left.
constexpr std::size_t kResyncPackets = 4;

// What a reading thread found in a chunk it read, so that the scan need not
// look at every packet of it: from offset first of the chunk, count source
// packets whose sync byte and the next packet's are 0x47 (all of them taken
// as they stand), and among them, as packet indices from first, the packets
// the run acts on (the PID's, and the primary video's for a SUP's time base).
struct ChunkHint {
    std::size_t first = 0;
    std::size_t count = 0;
    std::vector<std::uint32_t> picks;
    // The picked packets, copied one after the other while the chunk was in
    // the reading thread's cache, so that the scan reads them in a row.
    std::vector<std::uint8_t> packets;
};

// The packets a run acts on: any other packet is only counted.
bool pickedPid(std::uint16_t pid, const DemuxJob& job) {
    return pid != kNullPid && (pid == job.pid || (job.form == DemuxForm::Sup && pid == kPrimaryVideoPid));
}

// Fills h for data[0, n), a chunk whose first packet of an undamaged stream
// starts first bytes in. Where kResyncPackets sync bytes do not line up
// from there, the hint covers nothing (count 0): the scan reads such a
// chunk itself.
void hintChunk(const std::uint8_t* data, std::size_t n, std::size_t first, const DemuxJob& job, ChunkHint& h) {
    h.first = first;
    h.count = 0;
    h.picks.clear();
    h.packets.clear();
    for (std::size_t k = 0; k < kResyncPackets; ++k) {
        const std::size_t sync = first + k * kSourcePacketBytes + 4;
        if (sync >= n || data[sync] != kSyncByte) return;
    }
    std::size_t count = 0;
    // Packet count's sync byte is 0x47 (seen at the step before, or above).
    for (std::size_t at = first; at + kSourcePacketBytes + 5 <= n; at += kSourcePacketBytes, ++count) {
        const std::uint8_t* p = data + at;
        __builtin_prefetch(p + kPrefetchPackets * kSourcePacketBytes);
        if (p[kSourcePacketBytes + 4] != kSyncByte) break;
        if (pickedPid(packetPid(p), job)) {
            h.picks.push_back(static_cast<std::uint32_t>(count));
            h.packets.insert(h.packets.end(), p, p + kSourcePacketBytes);
        }
    }
    h.count = count;
}

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
    //
    // hint, when given, is what a reading thread found in data from
    // hintAt on: when the scan gets to the hint's first packet, it takes the
    // packets the hint picked and only counts the others.
    std::size_t feed(const std::uint8_t* data, std::size_t n, bool eof, const ChunkHint* hint = nullptr,
                     std::size_t hintAt = 0) {
        std::size_t pos = 0;
        std::size_t fastAt = hint && hint->count > 0 ? hintAt + hint->first : ~std::size_t{0};
        for (;;) {
            if (lost_ && !resync(data, n, eof, pos)) break;
            if (stopped_) break;
            for (; pos + kSourcePacketBytes <= n; pos += kSourcePacketBytes) {
                if (pos == fastAt) {
                    fastAt = ~std::size_t{0};
                    if (!takePicked(pos, *hint)) break;
                    if (pos + kSourcePacketBytes > n) break;
                }
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

    // Whether the next feed(data, ...) gets to the packet at data + at (the
    // first packet of a hint, whose sync byte and the next one's are 0x47)
    // one packet after another, without looking at bytes past that packet's
    // sync byte: the grid is not lost, at is on it, and every packet before
    // at has its sync byte.
    bool reachesOnGrid(const std::uint8_t* data, std::size_t at) const {
        if (lost_ || at % kSourcePacketBytes != 0) return false;
        for (std::size_t p = 0; p < at; p += kSourcePacketBytes)
            if (data[p + 4] != kSyncByte) return false;
        return true;
    }

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

    // The hint's packets from pos (their first) on: takes the picked ones
    // and counts the others, just as the packet loop would. Leaves pos after
    // the last of them, or at the packet where the run stopped (returns
    // false).
    bool takePicked(std::size_t& pos, const ChunkHint& hint) {
        const std::size_t at = pos;
        std::size_t i = 0;  // packets of the hint done
        const auto stopAt = [&](std::size_t packet) {
            pos = at + packet * kSourcePacketBytes;
            return false;
        };
        const std::size_t picks = hint.picks.size();
        for (std::size_t q = 0; q < picks; ++q) {
            const std::uint32_t j = hint.picks[q];
            std::size_t stoppedAt = 0;
            if (!countPackets(j - i, offset_ + at + i * kSourcePacketBytes, stoppedAt)) return stopAt(i + stoppedAt);
            if (!take(hint.packets.data() + q * kSourcePacketBytes, offset_ + at + j * kSourcePacketBytes))
                return stopAt(j);
            i = j + 1;
        }
        std::size_t stoppedAt = 0;
        if (!countPackets(hint.count - i, offset_ + at + i * kSourcePacketBytes, stoppedAt))
            return stopAt(i + stoppedAt);
        pos = at + hint.count * kSourcePacketBytes;
        return true;
    }

    // count packets that the run only counts, the first at offset: ticks
    // them a stretch at a time, up to each packet at which a tick reports
    // progress or polls the token. Returns false when the run stops, with
    // stoppedAt the packet (from the first) at which it did.
    bool countPackets(std::size_t count, std::uint64_t offset, std::size_t& stoppedAt) {
        std::size_t done = 0;
        while (done < count) {
            const std::uint64_t toBlock = kDemuxBlockPackets - ticks_ % kDemuxBlockPackets;
            const std::uint64_t toProgress = kDemuxProgressPackets - ticks_ % kDemuxProgressPackets;
            const std::size_t step =
                static_cast<std::size_t>(std::min<std::uint64_t>(count - done, std::min(toBlock, toProgress)));
            r_.packets += step;
            ticks_ += step - 1;
            done += step;
            if (!tick(offset + (done - 1) * kSourcePacketBytes)) {
                stoppedAt = done - 1;
                return false;
            }
        }
        return true;
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

// The processor cores helper threads run on: those the calling thread may
// run on, less the one it runs on now. A helper that shares the scan's core
// takes as much from the scan as it gives, and where another program keeps
// a core busy, the scheduler sees no difference between a helper beside the
// scan and one beside that program: so helpers are kept off the scan's core.
struct HelperCores {
    cpu_set_t set{};
    int count = 0;

    static HelperCores here() {
        HelperCores c;
        CPU_ZERO(&c.set);
        if (::sched_getaffinity(0, sizeof c.set, &c.set) != 0) return c;
        const int cpu = ::sched_getcpu();
        if (cpu >= 0 && cpu < CPU_SETSIZE) CPU_CLR(cpu, &c.set);
        c.count = CPU_COUNT(&c.set);
        return c;
    }
};

// Reads a regular file in chunks for the scan, which takes them in file
// order on the caller's thread. Copying out of the page cache is most of a
// run's work, and one processor core copies at well under the memory's
// speed: helper threads read chunks ahead, each into a buffer of its own
// that stays in its cache, and go through the chunk there (ChunkHint). What
// the scan needs of such a chunk is put in a ring of slots: the hint, with
// the packets it picked, and the bytes before and after the packets it
// covers. The caller's thread reads the chunk it needs when no helper has
// taken it, into a buffer of its own, and scans it at once; while a helper
// reads the chunk it needs, it reads chunks further on into free slots as
// the helpers do. It never sleeps on a helper: a chunk that a helper took
// but has not finished (the helper may have lost its core to another
// program) is read again by the caller after kPatience. Memory stays at a
// few chunks whatever the file's size.
class ChunkReader {
public:
    static constexpr std::size_t kChunkBytes = std::size_t{1} << 19;
    // Room before each chunk, into which the scan copies what it left over
    // of the chunk before, so that a packet across two chunks is contiguous.
    static constexpr std::size_t kCarryBytes = 4096;

    struct Chunk {
        std::span<std::uint8_t> bytes;  // with kCarryBytes of room before them
        // Null: bytes hold the whole chunk. Else what a helper found in it;
        // bytes then hold only what lies before the hint's first packet (and
        // that packet's sync byte) and after its last: the scan may use the
        // hint only when it gets to the first packet along the packet grid.
        const ChunkHint* hint;
    };

    // helpers: how many helper threads may read beside the caller's, on
    // cores.
    ChunkReader(int fd, const fs::path& path, std::uint64_t size, const DemuxJob& job, unsigned helpers,
                const HelperCores& cores)
        : fd_(fd),
          path_(path),
          size_(size),
          job_(job),
          chunks_((size + kChunkBytes - 1) / kChunkBytes),
          helpers_(static_cast<unsigned>(std::min<std::uint64_t>(helpers, chunks_ / 2))),
          memory_((1 + helpers_) * kBufferBytes),
          own_(memory_.data() + kCarryBytes) {
        for (std::size_t i = 0; helpers_ > 0 && i < kSlots; ++i) {
            slots_[i].hint.picks.reserve(kChunkBytes / kSourcePacketBytes + 1);
            slots_[i].hint.packets.reserve(kChunkBytes);
        }
        for (unsigned i = 0; i < helpers_; ++i)
            threads_.emplace_back([this, &cores, buffer = memory_.data() + (i + 1) * kBufferBytes] {
                if (cores.count > 0) ::sched_setaffinity(0, sizeof cores.set, &cores.set);
                work(buffer);
            });
    }
    ~ChunkReader() {
        {
            std::lock_guard lock(mu_);
            stop_ = true;
        }
        slotFree_.notify_all();
        for (std::thread& t : threads_) t.join();
    }
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;

    std::uint64_t chunks() const { return chunks_; }

    // Chunk k; chunks are taken in order, each released before the next is
    // taken. Throws IoError when it could not be read whole. The caller's
    // thread never sleeps here: a wake-up costs a task switch, and where
    // another program keeps the cores busy it gives the core away for a
    // whole time slice.
    Chunk take(std::uint64_t k) {
        std::unique_lock lock(mu_);
        if (next_ <= k) {
            next_ = k + 1;
            lock.unlock();
            return readWhole(k);
        }
        // A helper took it. While the helper reads it, the caller's thread
        // reads chunks further on into free slots; then it spins a little (a
        // chunk takes tens of microseconds to read), and reads the chunk
        // itself when the helper has still not got it ready.
        Slot& s = slots_[k % kSlots];
        while (!isReady(s, k) && next_ < chunks_ && nextSlotFree()) readIntoSlot(lock, own_);
        if (!isReady(s, k)) {
            lock.unlock();
            const auto until = std::chrono::steady_clock::now() + kPatience;
            for (unsigned spins = 1; s.done.load(std::memory_order_acquire) != k + 1; ++spins) {
                if (spins % 64 == 0 && std::chrono::steady_clock::now() >= until) break;
                pause();
            }
            lock.lock();
        }
        // A chunk the helper could not go through whole (damaged, cut
        // short, or not read) is read again here, where its errors are told.
        if (!isReady(s, k) || !s.hinted) {
            lock.unlock();
            return readWhole(k);
        }
        std::memcpy(own_, s.head, s.headBytes);
        std::memcpy(own_ + s.bytes - s.tailBytes, s.tail, s.tailBytes);
        return {{own_, s.bytes}, &s.hint};
    }

    // Chunk k, read whole by the caller's thread, into the buffer of the
    // chunk take() gave (the room before it is left as it is).
    Chunk readWhole(std::uint64_t k) {
        int error = 0;
        const std::size_t got = readChunk(k, own_, error);
        checkRead(k, got, error);
        return {{own_, got}, nullptr};
    }

    // Chunk k is scanned: the slot it was in, and every slot of the chunks
    // before it, can take the chunks kSlots on.
    void release(std::uint64_t k) {
        if (helpers_ == 0) return;
        std::lock_guard lock(mu_);
        released_ = k + 1;
        // Helpers asleep on a full ring are woken once half of it can take
        // chunks again, not for each chunk: every wake-up is a task switch.
        if (asleep_ > 0 && enoughFree()) slotFree_.notify_all();
    }

private:
    static constexpr std::size_t kSlots = 8;
    static constexpr std::size_t kBufferBytes = kCarryBytes + kChunkBytes;
    // How long the caller's thread spins for a chunk a helper is reading:
    // a few times what reading one takes.
    static constexpr std::chrono::microseconds kPatience{50};
    // The bytes a slot keeps before a hint's first packet (which starts
    // less than a packet in) and after its last (less than a packet and
    // the next one's sync byte are left).
    static constexpr std::size_t kEdgeBytes = 2 * kSourcePacketBytes;

    static void pause() {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }

    std::size_t chunkBytes(std::uint64_t k) const {
        return static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, size_ - k * kChunkBytes));
    }

    // Reads chunk k into data; returns the bytes read, fewer when the file
    // was cut short or a read failed (error).
    std::size_t readChunk(std::uint64_t k, std::uint8_t* data, int& error) const {
        const std::size_t want = chunkBytes(k);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n = ::pread(fd_, data + got, want - got, static_cast<off_t>(k * kChunkBytes + got));
            if (n < 0) {
                if (errno == EINTR) continue;
                error = errno;
                break;
            }
            if (n == 0) break;  // the file was cut short
            got += static_cast<std::size_t>(n);
        }
        return got;
    }

    void checkRead(std::uint64_t k, std::size_t got, int error) const {
        if (error != 0) {
            errno = error;
            throw IoError(sysError("read", path_));
        }
        if (got < chunkBytes(k))
            throw IoError(fmt::format("Cannot read {}: the file was cut short while it was read ({} of {} bytes)",
                                      path_.string(), k * kChunkBytes + got, size_));
    }

    struct Slot {
        enum State { Free, Reading, Ready };
        std::uint64_t chunk = 0;
        State state = Free;
        // chunk + 1 once it is ready, for the caller's thread to spin on
        // without the lock; 0 while it is read.
        std::atomic<std::uint64_t> done{0};
        // Whether the chunk was read whole and its hint covers it from the
        // packet grid's place up to its last bytes; else only the scan's
        // own reading of the chunk will do.
        bool hinted = false;
        std::size_t bytes = 0;
        ChunkHint hint;
        std::uint8_t head[kEdgeBytes];
        std::size_t headBytes = 0;
        std::uint8_t tail[kEdgeBytes];
        std::size_t tailBytes = 0;
    };

    static bool isReady(const Slot& s, std::uint64_t k) { return s.chunk == k && s.state == Slot::Ready; }

    // Whether the slot of chunk next_ + ahead can take it: the scan is past
    // the chunk in it, and no helper is still reading that one.
    bool slotFree(std::uint64_t ahead = 0) const {
        const std::uint64_t k = next_ + ahead;
        const Slot& s = slots_[k % kSlots];
        return k < released_ + kSlots && (s.state == Slot::Free || (s.state == Slot::Ready && s.chunk < released_));
    }
    bool nextSlotFree() const { return slotFree(0); }
    // Whether half the ring, or every chunk left, can be read into free slots.
    bool enoughFree() const {
        const std::uint64_t want = std::min<std::uint64_t>(kSlots / 2, chunks_ - next_);
        for (std::uint64_t i = 0; i < want; ++i)
            if (!slotFree(i)) return false;
        return true;
    }

    void work(std::uint8_t* buffer) {
        std::unique_lock lock(mu_);
        for (;;) {
            if (stop_ || next_ >= chunks_) return;
            if (nextSlotFree()) {
                readIntoSlot(lock, buffer + kCarryBytes);
                continue;
            }
            ++asleep_;
            slotFree_.wait(lock, [&] { return stop_ || next_ >= chunks_ || enoughFree(); });
            --asleep_;
        }
    }

    // Reads the next chunk, whose slot is free, into data (a buffer that
    // stays in this thread's cache), goes through it and keeps in the slot
    // what the scan needs of it; mu_ is unlocked meanwhile.
    void readIntoSlot(std::unique_lock<std::mutex>& lock, std::uint8_t* data) {
        const std::uint64_t k = next_++;
        Slot& s = slots_[k % kSlots];
        s.chunk = k;
        s.state = Slot::Reading;
        s.done.store(0, std::memory_order_relaxed);
        lock.unlock();
        int error = 0;
        const std::size_t got = readChunk(k, data, error);
        const std::size_t into = static_cast<std::size_t>(k * kChunkBytes % kSourcePacketBytes);
        const std::size_t nominal = into == 0 ? 0 : kSourcePacketBytes - into;
        hintChunk(data, got, nominal, job_, s.hint);
        const std::size_t end = s.hint.first + s.hint.count * kSourcePacketBytes;
        // The hint's packets end less than a packet and a sync byte before
        // the chunk's end unless a damaged packet stopped them.
        s.hinted = error == 0 && got == chunkBytes(k) && s.hint.count > 0 && got - end <= kSourcePacketBytes + 4;
        if (s.hinted) {
            s.headBytes = s.hint.first + 5;
            std::memcpy(s.head, data, s.headBytes);
            s.tailBytes = got - end;
            std::memcpy(s.tail, data + end, s.tailBytes);
        }
        s.bytes = got;
        lock.lock();
        s.state = Slot::Ready;
        s.done.store(k + 1, std::memory_order_release);
    }

    const int fd_;
    const fs::path path_;
    const std::uint64_t size_;
    const DemuxJob& job_;
    const std::uint64_t chunks_;
    const unsigned helpers_;
    // The caller's thread's buffer, then one for each helper.
    PresentMemory memory_;
    std::uint8_t* const own_;  // the caller's thread's chunk, kCarryBytes in
    Slot slots_[kSlots];
    std::mutex mu_;
    std::condition_variable slotFree_;
    std::uint64_t next_ = 0;      // the next chunk no thread has taken to read
    std::uint64_t released_ = 0;  // chunks scanned
    unsigned asleep_ = 0;         // helpers waiting for free slots
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

// A stream file, fed to the scan front to back. Only regular files are read:
// a device or a FIFO would never end, or block. The file is read as long as
// it was when opened; one cut short meanwhile fails the run.
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
        // A file of one or two chunks is read by the caller's thread alone.
        // Else two helpers at least where there is another core: one that
        // shares its core with another program gets half of it, two get two
        // thirds, and from the disk, two reads wait at once.
        if (size_ >= 2 * ChunkReader::kChunkBytes) {
            cores_ = HelperCores::here();
            if (cores_.count > 0) helpers_ = static_cast<unsigned>(std::clamp(cores_.count, 2, 3));
        }
    }

    std::uint64_t totalPackets() const { return size_ / kSourcePacketBytes; }
    // Helper threads the file's reader may start for job: the job's own
    // count, else as the cores allow (none for a file too small for helpers).
    unsigned helpers(const DemuxJob& job) const {
        return job.readers >= 0 ? static_cast<unsigned>(job.readers) : helpers_;
    }
    // Whether an export of job writes on a thread of its own: where a core
    // is left beside the scan's and the helpers' first (on two cores, a
    // writer thread only takes turns with them), or where the job asks for
    // two helpers or more.
    bool writerThread(const DemuxJob& job) const {
        return job.readers >= 0 ? job.readers >= 2 : helpers_ > 0 && cores_.count >= 2;
    }

    // Feeds the file to d; returns the bytes of a partial last packet.
    std::uint64_t run(Demuxer& d, const DemuxJob& job) {
        ChunkReader reader(in_.fd, path_, size_, job, helpers(job), cores_);
        if (reader.chunks() == 0) {
            d.feed(nullptr, 0, true);
            return 0;
        }
        // What the scan left over of the chunk before (part of a packet, or
        // the packets it needs to see the grid again).
        std::uint8_t carry[ChunkReader::kCarryBytes];
        std::size_t left = 0;
        for (std::uint64_t k = 0; k < reader.chunks(); ++k) {
            ChunkReader::Chunk chunk = reader.take(k);
            std::uint8_t* const from = chunk.bytes.data() - left;
            std::memcpy(from, carry, left);
            // A helper's chunk holds only what lies around its hint's
            // packets: the scan must get to them along the packet grid.
            if (chunk.hint && !d.reachesOnGrid(from, left + chunk.hint->first)) chunk = reader.readWhole(k);
            const std::size_t have = left + chunk.bytes.size();
            const std::size_t used = d.feed(from, have, k + 1 == reader.chunks(), chunk.hint, left);
            if (d.stopped()) return 0;
            left = have - used;
            if (left > sizeof carry)
                throw std::logic_error("demux: the scan left more of a chunk than the room before the next");
            std::memcpy(carry, from + used, left);
            reader.release(k);
        }
        return left;
    }

private:
    fs::path path_;
    Fd in_;
    std::uint64_t size_ = 0;
    // Looked at on the caller's thread, before the run starts threads.
    HelperCores cores_;
    unsigned helpers_ = 0;
};

DemuxResult runFile(StreamFile& in, ByteSink& sink, const DemuxJob& job) {
    Demuxer d(job, sink, in.totalPackets());
    const std::uint64_t trailing = in.run(d, job);
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
    ByteSink sink(tmp.fd(), tmp.name(), in.writerThread(job));
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

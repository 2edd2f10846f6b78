// The ways of reading a stream file that the demultiplexer could use, side by
// side on the same file, each with the same scan: check the sync byte of every
// source packet, and copy the transport payload of one PID into 256 KiB
// output buffers written to OUT. Built and run by demux_bench.sh --readers.
//
//   demux_readers STREAM PID OUT METHOD
//
// METHOD: read:KIB      read() into one reused, page-aligned buffer of KIB KiB
//         mmap:MIB      one window of MIB MiB at a time, MADV_SEQUENTIAL
//         populate:MIB  the same with MADV_POPULATE_READ over each window
//         uring:KIB:N   io_uring, N reads of KIB KiB in flight
//         copy:KIB:N    N threads that only copy the file, KIB KiB a pread,
//                       taking the next piece as they go (no scan: the
//                       ceiling of reading on several cores)
// Prints the PID's packet count, so that the methods can be checked against
// each other.

#include <linux/io_uring.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <thread>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kPacket = 192;
constexpr std::size_t kOut = 256 * 1024;

[[noreturn]] void die(const char* what) {
    std::fprintf(stderr, "demux_readers: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

struct Scan {
    unsigned pid;
    int out;
    std::vector<unsigned char> buf = std::vector<unsigned char>(kOut);
    std::size_t used = 0;
    std::uint64_t packets = 0;
    std::uint64_t bad = 0;

    void flush() {
        for (std::size_t done = 0; done < used;) {
            const ssize_t w = ::write(out, buf.data() + done, used - done);
            if (w < 0) die("write");
            done += static_cast<std::size_t>(w);
        }
        used = 0;
    }
    void feed(const unsigned char* p, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i, p += kPacket) {
            __builtin_prefetch(p + 16 * kPacket);
            if (p[4] != 0x47) {
                ++bad;
                continue;
            }
            if ((((p[5] & 0x1Fu) << 8) | p[6]) != pid) continue;
            ++packets;
            std::size_t L = 184;
            if (p[7] & 0x20) L = p[8] > 183 ? 0 : 183 - p[8];
            if (used + L > kOut) flush();
            std::memcpy(buf.data() + used, p + kPacket - L, L);
            used += L;
        }
    }
};

void viaRead(int fd, Scan& s, std::size_t bytes) {
    bytes -= bytes % kPacket;
    auto* b = static_cast<unsigned char*>(std::aligned_alloc(4096, bytes));
    std::size_t have = 0;
    for (;;) {
        const ssize_t n = ::read(fd, b + have, bytes - have);
        if (n < 0) die("read");
        if (n == 0) break;
        have += static_cast<std::size_t>(n);
        const std::size_t whole = have / kPacket * kPacket;
        s.feed(b, whole / kPacket);
        std::memmove(b, b + whole, have - whole);
        have -= whole;
    }
    std::free(b);
}

void viaMap(int fd, std::uint64_t size, Scan& s, std::size_t window, bool populate) {
    window = window / (kPacket * 4096) * (kPacket * 4096);  // whole packets and pages
    const std::uint64_t end = size - size % kPacket;
    for (std::uint64_t off = 0; off < end; off += window) {
        const std::size_t len = static_cast<std::size_t>(std::min<std::uint64_t>(window, end - off));
        void* a = ::mmap(nullptr, len, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(off));
        if (a == MAP_FAILED) die("mmap");
        ::madvise(a, len, MADV_SEQUENTIAL);
        if (populate) ::madvise(a, len, MADV_POPULATE_READ);
        s.feed(static_cast<const unsigned char*>(a), len / kPacket);
        ::munmap(a, len);
    }
}

// io_uring through the raw system calls (no liburing on the build machine).
void viaUring(int fd, std::uint64_t size, Scan& s, std::size_t bytes, unsigned depth) {
    bytes = bytes / (kPacket * 4096) * (kPacket * 4096);
    if (bytes == 0) bytes = kPacket * 4096;
    io_uring_params p{};
    const int ring = static_cast<int>(::syscall(__NR_io_uring_setup, depth, &p));
    if (ring < 0) die("io_uring_setup");
    const std::size_t sqLen = p.sq_off.array + p.sq_entries * sizeof(unsigned);
    const std::size_t cqLen = p.cq_off.cqes + p.cq_entries * sizeof(io_uring_cqe);
    auto* sq = static_cast<unsigned char*>(
        ::mmap(nullptr, std::max(sqLen, cqLen), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, ring, IORING_OFF_SQ_RING));
    auto* sqes = static_cast<io_uring_sqe*>(::mmap(nullptr, p.sq_entries * sizeof(io_uring_sqe), PROT_READ | PROT_WRITE,
                                                   MAP_SHARED | MAP_POPULATE, ring, IORING_OFF_SQES));
    if (sq == MAP_FAILED || sqes == MAP_FAILED) die("mmap ring");
    unsigned char* cq = sq;  // IORING_FEAT_SINGLE_MMAP
    auto* sqTail = reinterpret_cast<std::atomic<unsigned>*>(sq + p.sq_off.tail);
    auto* sqMask = reinterpret_cast<unsigned*>(sq + p.sq_off.ring_mask);
    auto* sqArray = reinterpret_cast<unsigned*>(sq + p.sq_off.array);
    auto* cqHead = reinterpret_cast<std::atomic<unsigned>*>(cq + p.cq_off.head);
    auto* cqTail = reinterpret_cast<std::atomic<unsigned>*>(cq + p.cq_off.tail);
    auto* cqMask = reinterpret_cast<unsigned*>(cq + p.cq_off.ring_mask);
    auto* cqes = reinterpret_cast<io_uring_cqe*>(cq + p.cq_off.cqes);

    std::vector<unsigned char*> bufs(depth);
    for (auto& b : bufs) b = static_cast<unsigned char*>(std::aligned_alloc(4096, bytes));
    const std::uint64_t end = size - size % kPacket;
    std::uint64_t next = 0;  // offset of the next read to submit
    std::vector<std::uint64_t> at(depth);
    auto submit = [&](unsigned slot) {
        const unsigned tail = sqTail->load(std::memory_order_relaxed);
        io_uring_sqe& e = sqes[tail & *sqMask];
        std::memset(&e, 0, sizeof e);
        e.opcode = IORING_OP_READ;
        e.fd = fd;
        e.off = next;
        e.addr = reinterpret_cast<std::uint64_t>(bufs[slot]);
        e.len = static_cast<unsigned>(std::min<std::uint64_t>(bytes, end - next));
        e.user_data = slot;
        sqArray[tail & *sqMask] = tail & *sqMask;
        at[slot] = next;
        next += e.len;
        sqTail->store(tail + 1, std::memory_order_release);
    };
    unsigned inFlight = 0;
    for (unsigned i = 0; i < depth && next < end; ++i, ++inFlight) submit(i);
    // Completions arrive in any order; the scan takes them in file order.
    std::uint64_t scanAt = 0;
    std::vector<int> done(depth, -1);
    while (inFlight > 0) {
        if (::syscall(__NR_io_uring_enter, ring, inFlight > 0 ? depth : 0, 1, IORING_ENTER_GETEVENTS, nullptr, 0) < 0)
            die("io_uring_enter");
        for (unsigned h = cqHead->load(std::memory_order_relaxed); h != cqTail->load(std::memory_order_acquire); ++h) {
            const io_uring_cqe& c = cqes[h & *cqMask];
            if (c.res < 0) {
                errno = -c.res;
                die("io_uring read");
            }
            done[c.user_data] = c.res;
            cqHead->store(h + 1, std::memory_order_release);
        }
        for (bool progress = true; progress;) {
            progress = false;
            for (unsigned slot = 0; slot < depth; ++slot)
                if (done[slot] >= 0 && at[slot] == scanAt) {
                    s.feed(bufs[slot], static_cast<std::size_t>(done[slot]) / kPacket);
                    scanAt += static_cast<std::uint64_t>(done[slot]);
                    done[slot] = -1;
                    --inFlight;
                    if (next < end) {
                        submit(slot);
                        ++inFlight;
                    }
                    progress = true;
                }
        }
    }
    for (auto* b : bufs) std::free(b);
}

// N threads copying the file out of the page cache, each into a buffer of
// its own, the next piece to whichever is free.
void viaCopiers(int fd, std::uint64_t size, std::size_t bytes, unsigned threads) {
    std::atomic<std::uint64_t> next{0};
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            auto* b = static_cast<unsigned char*>(std::aligned_alloc(4096, bytes));
            for (std::uint64_t off; (off = next.fetch_add(bytes)) < size;)
                if (::pread(fd, b, bytes, static_cast<off_t>(off)) < 0) die("pread");
            std::free(b);
        });
    for (std::thread& t : pool) t.join();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: demux_readers STREAM PID OUT METHOD\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    if (fd < 0) die(argv[1]);
    struct stat st {};
    ::fstat(fd, &st);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Scan s{static_cast<unsigned>(std::stoul(argv[2], nullptr, 16)),
           ::open(argv[3], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    if (s.out < 0) die(argv[3]);
    const std::string m = argv[4];
    const std::size_t colon = m.find(':');
    const std::string kind = m.substr(0, colon);
    const std::size_t a = colon == std::string::npos ? 1024 : std::stoul(m.substr(colon + 1));
    const std::size_t colon2 = m.find(':', colon + 1);
    const unsigned depth = colon2 == std::string::npos ? 4 : static_cast<unsigned>(std::stoul(m.substr(colon2 + 1)));
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (kind == "read") viaRead(fd, s, a * 1024);
    else if (kind == "mmap") viaMap(fd, size, s, a << 20, false);
    else if (kind == "populate") viaMap(fd, size, s, a << 20, true);
    else if (kind == "uring") viaUring(fd, size, s, a * 1024, depth);
    else if (kind == "copy") viaCopiers(fd, size, a * 1024, depth);
    else {
        std::fprintf(stderr, "demux_readers: unknown method %s\n", argv[4]);
        return 2;
    }
    s.flush();
    std::printf("%llu packets of the PID, %llu bad\n", static_cast<unsigned long long>(s.packets),
                static_cast<unsigned long long>(s.bad));
    return 0;
}

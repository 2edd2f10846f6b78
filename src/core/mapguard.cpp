#include "core/mapguard.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace navora {

namespace {

// The guarded ranges, read by the signal handler: atomics only, no locks.
struct Slot {
    std::atomic<bool> used{false};
    std::atomic<std::uintptr_t> begin{0};  // 0: not (yet) guarding
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> damaged{false};
};

constexpr int kSlots = 32;
Slot slots[kSlots];
std::uintptr_t pageSize = 4096;
struct sigaction previous {};
std::once_flag installed;

void onSigbus(int sig, siginfo_t* info, void* context) {
    const auto addr = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& s : slots) {
        const std::uintptr_t begin = s.begin.load(std::memory_order_acquire);
        if (begin == 0 || addr < begin || addr >= s.end.load(std::memory_order_acquire)) continue;
        // Zeroed memory over the page that has no file behind it any more;
        // the faulting read is then repeated and succeeds.
        void* page = reinterpret_cast<void*>(addr & ~(pageSize - 1));
        if (::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED) break;
        s.damaged.store(true, std::memory_order_release);
        return;
    }
    // Not a guarded range: what would have happened without the guard.
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(sig, info, context);
        return;
    }
    if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(sig);
        return;
    }
    // The default action: the read is repeated on return and ends the process.
    ::signal(SIGBUS, SIG_DFL);
}

void install() {
    const long size = ::sysconf(_SC_PAGESIZE);
    if (size > 0) pageSize = static_cast<std::uintptr_t>(size);
    struct sigaction sa {};
    sa.sa_sigaction = onSigbus;
    sa.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGBUS, &sa, &previous);
}

}  // namespace

MapGuard::MapGuard(const void* begin, std::size_t length) {
    std::call_once(installed, install);
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (!slots[i].used.compare_exchange_strong(expected, true, std::memory_order_acq_rel)) continue;
        const auto b = reinterpret_cast<std::uintptr_t>(begin);
        slots[i].damaged.store(false, std::memory_order_relaxed);
        slots[i].end.store(b + length, std::memory_order_release);
        slots[i].begin.store(b, std::memory_order_release);
        slot_ = i;
        return;
    }
}

MapGuard::~MapGuard() {
    if (slot_ < 0) return;
    slots[slot_].begin.store(0, std::memory_order_release);
    slots[slot_].used.store(false, std::memory_order_release);
}

bool MapGuard::damaged() const { return slot_ >= 0 && slots[slot_].damaged.load(std::memory_order_acquire); }

}  // namespace navora

#pragma once
// The part of a fuzz input the menu targets read: the whole records of its
// first 16 KB. Larger seeds (a disc menu of a megabyte) still lend their
// first records, and no input costs more than a small menu does.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace navora::fuzz {

inline constexpr std::size_t kMaxMenuInput = 16u << 10;

// AddressSanitizer options of the menu targets (__asan_default_options;
// ASAN_OPTIONS still overrides them). Each input allocates and frees pictures
// and tables of up to a few megabytes. The quarantine keeps freed memory from
// being reused until as much again has been freed, 256 MB by default: until
// then every allocation lands on fresh pages and pays their faults, for
// most of a short run. 16 MB still holds what the last inputs freed, so a use
// after free within an input is still caught.
inline constexpr const char* kMenuAsanOptions = "quarantine_size_mb=16";

// Adds -max_len=kMaxMenuInput to the fuzzer's flags unless a length is
// given: a megabyte seed would otherwise make libFuzzer mutate, copy and hash
// inputs of that size for the whole run. "-max_len=0" (what scripts/fuzz.sh
// passes for a target without a cap of its own) asks libFuzzer for the
// largest seed's length, so it counts as no length: the flag added last
// wins. Call from LLVMFuzzerInitialize, which runs before the flags are
// parsed.
inline void capInputLength(int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], "-max_len=", 9) == 0 && std::strcmp((*argv)[i] + 9, "0") != 0) return;
    static std::vector<char*> args;
    static std::string flag = "-max_len=" + std::to_string(kMaxMenuInput);
    args.assign(*argv, *argv + *argc);
    args.push_back(flag.data());
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size() - 1);
    *argv = args.data();
}

inline std::span<const std::uint8_t> menuInput(const std::uint8_t* data, std::size_t size) {
    if (size <= kMaxMenuInput) return {data, size};
    // Records: a 10-byte header, the segment type and its 16-bit length, the segment.
    std::size_t end = 0;
    while (end + 13 <= kMaxMenuInput) {
        const std::size_t next = end + 13 + ((std::size_t{data[end + 11]} << 8) | data[end + 12]);
        if (next > kMaxMenuInput) break;
        end = next;
    }
    return {data, end == 0 ? kMaxMenuInput : end};
}

}  // namespace navora::fuzz

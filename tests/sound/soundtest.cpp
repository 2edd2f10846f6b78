#include "soundtest.h"

#include <cstdlib>
#include <cstring>

namespace navora::test {

Bytes soundFile(const std::vector<RawSoundEntry>& entries, const Bytes& extBlock, const std::string& version) {
    const auto n = static_cast<std::uint32_t>(entries.size());
    const std::uint32_t dataStart = 46 + 10 * n;
    std::vector<std::uint32_t> starts;
    std::uint32_t at = 0;
    for (const auto& e : entries) {
        starts.push_back(at);
        at += static_cast<std::uint32_t>(e.data.size());
        if (at % 4 != 0) at += 2;
    }
    ByteWriter w;
    w.putstring("BCLK", 4);
    w.putstring(version, 4);
    w.putlword(dataStart);
    w.putlword(extBlock.empty() ? 0 : dataStart + at);
    w.putzeros(24);
    w.putlword(2 + 10 * n);
    w.putbyte(0);
    w.putbyte(static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        w.putbyte(entries[i].channelsAndFrequency);
        w.putbyte(entries[i].bits);
        w.putlword(starts[i]);
        w.putlword(static_cast<std::uint32_t>(entries[i].data.size()));
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        w.putbytes(entries[i].data);
        const std::size_t end = starts[i] + entries[i].data.size();
        if (end % 4 != 0) w.putzeros(2);
    }
    w.putbytes(extBlock);
    return w.take();
}

bool haveTool(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

bool shell(const std::string& command) { return std::system(command.c_str()) == 0; }

Bytes wavData(const Bytes& wav) {
    std::size_t at = 12;
    while (at + 8 <= wav.size()) {
        const std::uint32_t size = wav[at + 4] | (wav[at + 5] << 8) | (wav[at + 6] << 16) |
                                   (std::uint32_t{wav[at + 7]} << 24);
        if (std::memcmp(&wav[at], "data", 4) == 0)
            return Bytes(wav.begin() + static_cast<std::ptrdiff_t>(at + 8),
                         wav.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(at + 8 + size, wav.size())));
        at += 8 + size + (size & 1);
    }
    return {};
}

}  // namespace navora::test

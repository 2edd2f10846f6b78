#include "support/clipfixture.h"

namespace navora::test {

Bytes handMadeStream(std::uint16_t pid, std::uint8_t codingType, const Bytes& attributes, const Bytes& extra) {
    ByteWriter w;
    w.putword(pid);
    w.putbyte(static_cast<std::uint8_t>(21 + extra.size()));
    w.putbyte(codingType);
    w.putbytes(attributes);
    w.putstring("US", 2);
    w.putstring("ABC", 3);
    w.putstring("24", 2);
    w.putstring("00042", 5);
    w.putzeros(4);
    w.putbytes(extra);
    return w.take();
}

Bytes handMadeClipFile(const HandMadeClip& clip) {
    ByteWriter w;
    w.putstring("HDMV", 4);
    w.putstring(clip.version, 4);
    w.putzeros(5 * 4 + 12);  // addresses, patched below; reserved
    // ClipInfo at 40 (its length field is left 0: the reader does not use it)
    w.putlword(0);
    w.putword(0);
    w.putbyte(1);  // clip_stream_type
    w.putbyte(6);  // application_type: text subtitle
    w.putlword(clip.atcDeltaWord);
    w.putlword(48000000);
    w.putlword(clip.sourcePackets);
    w.putzeros(128);
    w.putword(30);
    w.putbyte(0x80);
    w.putstring("HDMV", 4);
    w.putzeros(9 + 16);
    w.putbyte(0);
    w.putbyte(1);  // one ATC delta entry
    w.putlword(0x12345678);
    w.putstring("00007", 5);
    w.putstring("M2TS", 4);
    w.putbyte(0);
    w.putbyte(0);
    w.putbyte(1);  // one font file
    w.putstring("00003", 5);
    w.putbyte(0);

    const std::size_t seq = w.size();
    w.putlword(0);
    w.putbyte(0);
    w.putbyte(static_cast<std::uint8_t>(clip.atcSequences.size()));
    for (const HandMadeClip::Atc& atc : clip.atcSequences) {
        w.putlword(atc.spn);
        w.putbyte(static_cast<std::uint8_t>(atc.stcs.size()));
        w.putbyte(atc.offsetStcId);
        for (const HandMadeClip::Stc& stc : atc.stcs) {
            w.putword(stc.pcrPid);
            w.putlword(stc.spn);
            w.putlword(stc.start);
            w.putlword(stc.end);
        }
    }

    const std::size_t prog = w.size();
    w.putlword(0);
    w.putword(clip.programWord);
    w.putlword(0);
    w.putword(0x0100);
    w.putbyte(static_cast<std::uint8_t>(clip.streams.size()));
    w.putbyte(0);
    for (const Bytes& stream : clip.streams) w.putbytes(stream);

    const std::size_t cpi = w.size();
    w.putlword(0);
    w.putword(0x0001);
    const std::size_t epMap = w.size();
    w.putbyte(0);
    w.putbyte(static_cast<std::uint8_t>(clip.epMaps.size()));
    for (const HandMadeClip::EpMap& map : clip.epMaps) {
        w.putword(map.pid);
        // 10 reserved bits, EP_stream_type 1, the coarse and the fine count.
        const std::uint64_t bits =
            (std::uint64_t{1} << 34) | (std::uint64_t{map.coarse.size() / 2} << 18) | map.fine.size();
        w.putword(static_cast<std::uint16_t>(bits >> 32));
        w.putlword(static_cast<std::uint32_t>(bits));
        w.putlword(0);  // start address, patched below
    }
    for (std::size_t i = 0; i < clip.epMaps.size(); ++i) {
        const HandMadeClip::EpMap& map = clip.epMaps[i];
        w.patchlword(epMap + 2 + 12 * i + 8, static_cast<std::uint32_t>(w.size() - epMap));
        w.putlword(static_cast<std::uint32_t>(4 + 4 * map.coarse.size() + map.padding.size()));
        for (std::uint32_t word : map.coarse) w.putlword(word);
        w.putbytes(map.padding);
        for (std::uint32_t word : map.fine) w.putlword(word);
    }
    const std::size_t clipMark = w.size();
    w.putlword(0);
    const std::size_t ext = w.size();
    w.putlword(26);
    w.putlword(24);
    w.putzeros(3);
    w.putbyte(1);
    w.putword(1);
    w.putword(2);
    w.putlword(24);
    w.putlword(6);
    w.putstring("abcdef", 6);

    w.patchlword(8, static_cast<std::uint32_t>(seq));
    w.patchlword(12, static_cast<std::uint32_t>(prog));
    w.patchlword(16, static_cast<std::uint32_t>(cpi));
    w.patchlword(20, static_cast<std::uint32_t>(clipMark));
    w.patchlword(24, static_cast<std::uint32_t>(ext));
    w.patchlword(seq, static_cast<std::uint32_t>(prog - seq - 4));
    w.patchlword(prog, static_cast<std::uint32_t>(cpi - prog - 4));
    w.patchlword(cpi, static_cast<std::uint32_t>(clipMark - cpi - 4));
    return w.take();
}

}  // namespace navora::test

// Arbitrary bytes as a transport stream: every output form of the PID named
// by the first two bytes is written without touching memory outside the
// buffer, and never more than the payloads of the PID's packets plus one
// record header per PES packet; every byte of the stream is accounted for.
#include "ts/demux.h"
#include "ts/sourcepacket.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace navora;
    if (size < 2) return 0;
    const auto pid = static_cast<std::uint16_t>((data[0] << 8 | data[1]) & 0x1FFF);
    for (const DemuxForm form : {DemuxForm::Elementary, DemuxForm::Pes, DemuxForm::Sup, DemuxForm::Menu}) {
        Bytes out;
        const DemuxResult r = demuxBuffer({data + 2, size - 2}, out, DemuxJob{pid, form});
        const std::uint64_t bound = r.savedPackets * (kMaxPayload + kRecordHeaderBytes);
        if (r.bytesWritten != out.size() || out.size() > bound || r.packets > (size - 2) / kSourcePacketBytes)
            std::abort();
        // Every byte is in a packet taken, a range skipped or the partial last packet.
        if (r.packets * kSourcePacketBytes + r.skippedBytes + r.trailingBytes != size - 2) std::abort();
    }
    return 0;
}

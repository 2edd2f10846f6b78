#include "ig/mux.h"

#include "ig/save.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace navora {

namespace {

// PAT (transport_stream_id 0, version 0): program 0 -> network PID 0x001F,
// program 1 -> PMT PID 0x0100.
constexpr std::array<std::uint8_t, 20> kPat = {0x00, 0xB0, 0x11, 0x00, 0x00, 0xC1, 0x00, 0x00, 0x00, 0x00,
                                               0xE0, 0x1F, 0x00, 0x01, 0xE1, 0x00, 0x23, 0x5A, 0xAB, 0x82};
// PMT of program 1: PCR_PID 0x1001, registration descriptor "HDMV", descriptor
// 0x88 (0F FF FF FC), one stream: type 0x91 (Interactive Graphics) on 0x1400.
constexpr std::array<std::uint8_t, 33> kPmt = {0x02, 0xB0, 0x1E, 0x00, 0x01, 0xC1, 0x00, 0x00, 0xF0, 0x01, 0xF0,
                                               0x0C, 0x05, 0x04, 'H',  'D',  'M',  'V',  0x88, 0x04, 0x0F, 0xFF,
                                               0xFF, 0xFC, 0x91, 0xF4, 0x00, 0xF0, 0x00, 0xF1, 0xF0, 0x88, 0xEB};
// SIT: partial_transport_stream_descriptor with peak_rate 120,000 (x 400 bit/s),
// the other rates unspecified; service 1 without descriptors.
constexpr std::array<std::uint8_t, 28> kSit = {0x7F, 0xF0, 0x19, 0xFF, 0xFF, 0xC1, 0x00, 0x00, 0xF0, 0x0A,
                                               0x63, 0x08, 0xC1, 0xD4, 0xC0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                               0x00, 0x01, 0x80, 0x00, 0x03, 0x00, 0x38, 0x6D};

constexpr std::size_t kPayload = 184;

class Muxer {
public:
    Muxer(Bytes& out, MuxReport& report, Log* log) : out_(out), report_(report), log_(log) {}

    std::uint64_t packets() const { return count_; }

    void table(std::uint16_t pid, std::uint8_t& counter, std::span<const std::uint8_t> section) {
        std::uint8_t* p = begin(pid, true, 0x10 | counter);
        counter = (counter + 1) & 0x0F;
        p[0] = 0x00;  // pointer_field
        std::memcpy(p + 1, section.data(), section.size());
    }
    void pat() { table(0x0000, patCounter_, kPat); }
    void pmt() { table(kPmtPid, pmtCounter_, kPmt); }
    void sit() { table(kSitPid, sitCounter_, kSit); }

    // Adaptation field only: PCR_flag, PCR base 0 and extension 0.
    void pcr() {
        std::uint8_t* p = begin(kPcrPid, false, 0x20);
        static constexpr std::uint8_t kField[] = {0xB7, 0x10, 0x00, 0x00, 0x00, 0x00, 0x7E, 0x00};
        std::memcpy(p, kField, sizeof kField);
    }

    void null() { begin(kNullPid, false, 0x10); }

    // One IG data packet carrying the next bytes of a PES packet of which r
    // bytes are still to come; returns the PES bytes it carries.
    std::size_t ig(bool unitStart, std::size_t r, std::span<const std::uint8_t> data) {
        const bool adaptation = r < kPayload;
        std::uint8_t* p = begin(kIgPid, unitStart, static_cast<std::uint8_t>((adaptation ? 0x20 : 0) | 0x10 | igCounter_));
        igCounter_ = (igCounter_ + 1) & 0x0F;
        std::size_t room = kPayload;
        if (adaptation) {
            const std::size_t length = kPayload - 1 - r;
            p[0] = static_cast<std::uint8_t>(length);
            if (length > 0) p[1] = 0x00;  // flags; 0xFF stuffing follows
            p += 1 + length;
            room = r;
        }
        const std::size_t n = std::min(r, room);
        const std::size_t have = std::min(n, data.size());
        std::memcpy(p, data.data(), have);
        if (have < n) {
            if (!report_.muxError && log_) log_->erlog("Mux error");
            report_.muxError = true;
        }
        return n;
    }

private:
    // Appends a source packet filled with stuffing, writes its headers and
    // returns where the bytes after the continuity byte go.
    std::uint8_t* begin(std::uint16_t pid, bool unitStart, std::uint8_t controlAndCounter) {
        const std::size_t at = out_.size();
        out_.resize(at + kSourcePacket, 0xFF);
        std::uint8_t* p = out_.data() + at;
        const std::uint32_t ats = kFirstArrivalTime + static_cast<std::uint32_t>(count_) * kArrivalStep;
        p[0] = static_cast<std::uint8_t>(ats >> 24);
        p[1] = static_cast<std::uint8_t>(ats >> 16);
        p[2] = static_cast<std::uint8_t>(ats >> 8);
        p[3] = static_cast<std::uint8_t>(ats);
        p[4] = 0x47;
        p[5] = static_cast<std::uint8_t>((unitStart ? 0x40 : 0) | (pid >> 8));
        p[6] = static_cast<std::uint8_t>(pid & 0xFF);
        p[7] = controlAndCounter;
        ++count_;
        return p + 8;
    }

    Bytes& out_;
    MuxReport& report_;
    Log* log_;
    std::uint64_t count_ = 0;
    std::uint8_t patCounter_ = 0, pmtCounter_ = 0, sitCounter_ = 0, igCounter_ = 0;
};

}  // namespace

std::span<const std::uint8_t> patSection() { return kPat; }
std::span<const std::uint8_t> pmtSection() { return kPmt; }
std::span<const std::uint8_t> sitSection() { return kSit; }

Bytes muxPES(std::span<const std::uint8_t> pes, MuxReport* reportOut, Log* log) {
    MuxReport report;
    Bytes out;
    out.reserve((pes.size() / kPayload + 64) * kSourcePacket);
    Muxer mux(out, report, log);
    mux.pat();
    mux.pmt();
    mux.sit();
    mux.pcr();
    std::size_t pos = 0;
    while (pes.size() - pos >= 4) {
        const std::uint8_t* p = pes.data() + pos;
        if (!(p[0] == 0x00 && p[1] == 0x00 && p[2] == 0x01 && p[3] == 0xBD)) {
            pos += 4;
            continue;
        }
        std::size_t r = pes.size() - pos >= 6 ? std::size_t{6} + (std::size_t{p[4]} << 8 | p[5]) : 6;
        auto carry = [&](bool start) {
            const std::size_t n = mux.ig(start, r, pes.subspan(pos));
            pos += std::min(n, pes.size() - pos);
            r -= n;
        };
        carry(true);
        while (r > 0) {
            carry(false);
            const std::uint64_t n = mux.packets();
            if (n % kPcrPeriod == 0) mux.pcr();
            if (n % kPcrPeriod == kPatPmtPhase) {
                mux.pat();
                mux.pmt();
            }
            if (n % kSitPeriod == kSitPhase) mux.sit();
        }
    }
    while (mux.packets() % kAlignedUnit != 0) mux.null();
    report.packets = mux.packets();
    if (reportOut) *reportOut = report;
    return out;
}

Bytes Mux(const TIGSc& menu, MuxReport* report, Log* log) {
    if (log) log->dlog0("Muxing menu...");
    const Bytes pes = saveIGS(menu, IgsForm::Pes, log);
    return muxPES(pes, report, log);
}

}  // namespace navora

#include "core/extdata.h"

#include "core/errors.h"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

namespace navora {

void ReadExtensionData(ByteReader& in, TExtensionData& block) {
    TExtensionData b;
    b.length = in.readlword();
    if (b.length != 0) {
        b.data_block_start_address = in.readlword();
        for (std::uint8_t& r : b.reserved) r = in.readbyte();
        b.number_of_ext_data_entries = in.readbyte();
        in.checkCount(b.number_of_ext_data_entries, 12, "ExtensionData entries");
        b.entries.resize(b.number_of_ext_data_entries);
        for (auto& e : b.entries) {
            e.ID1 = in.readword();
            e.ID2 = in.readword();
            e.ext_data_start_address = in.readlword();
            e.ext_data_length = in.readlword();
        }
        b.data = in.readbytes(in.remaining());
    }
    block = std::move(b);
}

void ReadWholeExtensionData(ByteReader& in, TExtensionData& block) {
    const std::size_t start = in.pos();
    ReadExtensionData(in, block);
    const std::uint64_t declared = std::uint64_t{block.length} + 4;
    const std::uint64_t present = in.size() - start;
    if (declared > present)
        throw FormatError(in.name(), start,
                          fmt::format("ExtensionData block cut short: {} bytes declared, {} present", declared, present));
}

namespace {

// length, and when it is not 0 the header and the entry table.
void putHeaderAndTable(ByteWriter& out, const TExtensionData& block) {
    out.putlword(block.length);
    if (block.length == 0) return;
    out.putlword(block.data_block_start_address);
    for (const std::uint8_t r : block.reserved) out.putbyte(r);
    out.putbyte(static_cast<std::uint8_t>(block.entries.size()));
    for (const auto& e : block.entries) {
        out.putword(e.ID1);
        out.putword(e.ID2);
        out.putlword(e.ext_data_start_address);
        out.putlword(e.ext_data_length);
    }
}

}  // namespace

void WriteExtensionData(ByteWriter& out, const TExtensionData& block) {
    putHeaderAndTable(out, block);
    if (block.length != 0) out.putbytes(block.data);
}

std::string ExtDatCap(const TExtensionData& block) {
    const std::size_t n = block.entries.size();
    if (n == 0) return "no ExtensionData()";
    return fmt::format("{}{}{} bytes", n, n == 1 ? " entry, " : " entries, ",
                       std::uint64_t{block.length} + 4);
}

std::uint32_t extDataStartAddress(ExtDataHost host, const TExtensionData& block, std::uint32_t sectionStart,
                                  std::uint32_t sectionLength) {
    if (block.length == 0) return 0;
    switch (host) {
    case ExtDataHost::MovieObject:
        return 44 + sectionLength;
    case ExtDataHost::Sound:
        return sectionStart;
    case ExtDataHost::Index:
    case ExtDataHost::Playlist:
    case ExtDataHost::ClipInfo:
        break;
    }
    return sectionStart + 4 + sectionLength;
}

}  // namespace navora

// ---- The ExtensionData editor ---------------------------------------------------

namespace navora {

std::string extDatProp(const TExtensionData& block) {
    if (block.length == 0) return "None";
    const std::size_t n = block.entries.size();
    return fmt::format("{} bytes, {} entr{}", std::uint64_t{block.length} + 4, n, n < 2 ? "y" : "ies");
}

std::vector<ExtDataEntryRow> extDataEntryRows(const TExtensionData& block) {
    std::vector<ExtDataEntryRow> rows;
    rows.reserve(block.entries.size());
    for (std::size_t i = 0; i < block.entries.size(); ++i) {
        const TExtDataEntry& e = block.entries[i];
        rows.push_back({fmt::format("{:03}", i), fmt::format("{:04X}", e.ID1), fmt::format("{:04X}", e.ID2),
                        fmt::format("{:08X}", e.ext_data_start_address), fmt::format("{:08X}", e.ext_data_length)});
    }
    return rows;
}

bool setExtDataEntryID1(TExtensionData& block, std::size_t entry, std::string_view text) {
    if (entry >= block.entries.size()) return false;
    std::uint16_t v = 0;
    for (char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (d >= 0) v = static_cast<std::uint16_t>((v << 4) | d);
    }
    block.entries[entry].ID1 = v;
    return true;
}

std::optional<std::size_t> findExtDataEntry(const TExtensionData& block, std::uint16_t id1, std::uint16_t id2) {
    for (std::size_t i = 0; i < block.entries.size(); ++i)
        if (block.entries[i].ID1 == id1 && block.entries[i].ID2 == id2) return i;
    return std::nullopt;
}

namespace {

// Where an entry's bytes lie in the data array, when they lie wholly in it.
std::optional<std::pair<std::size_t, std::size_t>> payloadRange(const TExtensionData& block, std::size_t entry) {
    if (entry >= block.entries.size()) return std::nullopt;
    const TExtDataEntry& e = block.entries[entry];
    const std::uint64_t table = 12 + 12 * std::uint64_t{block.entries.size()};
    const std::uint64_t start = e.ext_data_start_address, length = e.ext_data_length;
    if (start < table || start - table + length > block.data.size()) return std::nullopt;
    return std::pair{static_cast<std::size_t>(start - table), static_cast<std::size_t>(length)};
}

}  // namespace

std::span<std::uint8_t> extDataEntryPayload(TExtensionData& block, std::size_t entry) {
    const auto r = payloadRange(block, entry);
    return r ? std::span(block.data).subspan(r->first, r->second) : std::span<std::uint8_t>{};
}

std::span<const std::uint8_t> extDataEntryPayload(const TExtensionData& block, std::size_t entry) {
    const auto r = payloadRange(block, entry);
    return r ? std::span(block.data).subspan(r->first, r->second) : std::span<const std::uint8_t>{};
}

std::span<const std::uint8_t> extDataEntryBytes(const TExtensionData& block, std::size_t entry) {
    if (entry >= block.entries.size()) return {};
    const TExtDataEntry& e = block.entries[entry];
    // The entry's address counts from the block's start, the data array from
    // the end of the entry table: the data block start address links them.
    const std::int64_t index = std::int64_t{e.ext_data_start_address} - std::int64_t{block.data_block_start_address};
    if (index < 0 || static_cast<std::uint64_t>(index) >= block.data.size()) return {};
    const std::size_t first = static_cast<std::size_t>(index);
    const std::size_t count = std::min<std::uint64_t>(e.ext_data_length, block.data.size() - first);
    return std::span(block.data).subspan(first, count);
}

namespace {

constexpr std::size_t kDumpWidth = 32;

// A byte as the character the data view shows, in UTF-8.
std::string dumpChar(std::uint8_t b) {
    // Windows-1252 from 0x80 to 0x9F; 0 where the code page has no character.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    char32_t c = b;
    if (b < 0x20 || b == 0x7F) return ".";
    if (b < 0x80) return std::string(1, static_cast<char>(b));
    if (b < 0xA0) c = kHigh[b - 0x80];
    if (c == 0) return ".";
    std::string out;
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
    return out;
}

}  // namespace

std::vector<DumpLine> extDataDump(const TExtensionData& block, std::size_t entry) {
    std::vector<DumpLine> lines;
    if (entry >= block.entries.size()) return lines;
    const TExtDataEntry& e = block.entries[entry];
    const std::span<const std::uint8_t> bytes = extDataEntryBytes(block, entry);
    for (std::size_t at = 0; at < bytes.size(); at += kDumpWidth) {
        const std::span<const std::uint8_t> part = bytes.subspan(at, std::min(kDumpWidth, bytes.size() - at));
        DumpLine line;
        line.text = fmt::format(" {:04X}", std::uint64_t{e.ext_data_start_address} + at);
        const std::size_t addressEnd = line.text.size();
        for (std::size_t i = 0; i < kDumpWidth; ++i)
            line.text += i < part.size() ? fmt::format(" {:02X}", part[i]) : std::string("   ");
        const std::size_t hexEnd = line.text.size();
        line.text += ' ';
        for (std::uint8_t b : part) line.text += dumpChar(b);
        // Everything before the characters is ASCII: byte and character positions agree there.
        line.runs = {{DumpRunKind::Address, 1, addressEnd},
                     {DumpRunKind::Hex, addressEnd, hexEnd},
                     {DumpRunKind::Chars, hexEnd + 1, hexEnd + 1 + part.size()}};
        lines.push_back(std::move(line));
    }
    if (bytes.size() < e.ext_data_length) {
        DumpLine note;
        note.text = fmt::format(" {} of the entry's {} bytes lie in the block's data; only those are shown",
                                bytes.size(), e.ext_data_length);
        note.runs = {{DumpRunKind::Note, 1, note.text.size()}};
        lines.push_back(std::move(note));
    }
    return lines;
}

TExtensionData readExd(std::span<const std::uint8_t> data, const std::string& name) {
    ByteReader in(data, name);
    TExtensionData block;
    ReadWholeExtensionData(in, block);
    const std::uint64_t table = 8 + 12 * std::uint64_t{block.entries.size()};
    if (block.length != 0 && block.length < table)
        throw FormatError(name, 0,
                          fmt::format("ExtensionData length {} is smaller than its header and {} entries ({} bytes)",
                                      block.length, block.entries.size(), table));
    return block;
}

std::uint64_t exdBytesBeyondBlock(const TExtensionData& block) {
    if (block.length == 0) return 0;
    const std::uint64_t table = 8 + 12 * std::uint64_t{block.entries.size()};
    const std::uint64_t declared = block.length > table ? block.length - table : 0;
    return block.data.size() > declared ? block.data.size() - declared : 0;
}

Bytes writeExd(const TExtensionData& block) {
    ByteWriter out;
    putHeaderAndTable(out, block);
    if (block.length == 0) return out.take();
    // The block's own bytes: what a host file had after the block is left out.
    const std::uint64_t table = 8 + 12 * std::uint64_t{block.entries.size()};
    const std::uint64_t declared = block.length > table ? block.length - table : 0;
    out.putbytes(std::span(block.data).first(static_cast<std::size_t>(std::min<std::uint64_t>(declared, block.data.size()))));
    return out.take();
}

}  // namespace navora

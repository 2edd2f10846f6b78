#include "core/extdata.h"

#include "core/errors.h"

#include <fmt/format.h>

namespace navora {

void ReadExtensionData(ByteReader& in, TExtensionData& block) {
    TExtensionData b;
    b.length = in.readlword();
    if (b.length != 0) {
        b.data_block_start_address = in.readlword();
        in.skip(3);  // reserved: dropped, written back as zero
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

void WriteExtensionData(ByteWriter& out, const TExtensionData& block) {
    out.putlword(block.length);
    if (block.length == 0) return;
    out.putlword(block.data_block_start_address);
    out.putzeros(3);
    out.putbyte(static_cast<std::uint8_t>(block.entries.size()));
    for (const auto& e : block.entries) {
        out.putword(e.ID1);
        out.putword(e.ID2);
        out.putlword(e.ext_data_start_address);
        out.putlword(e.ext_data_length);
    }
    out.putbytes(block.data);
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

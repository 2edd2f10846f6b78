#include "navdb/movieobject_io.h"

#include "core/bits.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace navora {

TMOBJ readMovieObjects(std::span<const std::uint8_t> data, const std::string& name, MobjReadReport* report) {
    ByteReader in(data, name);
    TMOBJ m;
    TypeAndVersion tv = readTypeAndVersion(in, "MOBJ", Versions::BDAndUHD);
    m.type_indicator = std::move(tv.type);
    m.version = std::move(tv.version);
    m.extension_data_start_address = in.readlword();
    m.reserved = in.readbytes(28);
    m.mobjs.length = in.readlword();
    m.mobjs.reserved = in.readlword();
    const std::uint16_t declared = in.readword();

    // Only the objects really in the file are kept: a count that does not fit
    // the bytes left never sizes the array.
    MobjReadReport r;
    r.declaredObjects = declared;
    m.mobjs.objects.reserve(std::min<std::size_t>(declared, in.fitting(4)));
    for (std::size_t n = 0; n < declared; ++n) {
        if (in.remaining() < 4) {
            r.complete = false;
            break;
        }
        Tmobject& o = m.mobjs.objects.emplace_back();
        BitReader bits(in);
        o.resume_intention_flag = static_cast<std::uint8_t>(bits.bits(1));
        o.menu_call_mask = static_cast<std::uint8_t>(bits.bits(1));
        o.title_search_mask = static_cast<std::uint8_t>(bits.bits(1));
        bits.skip(13);
        const std::uint16_t count = in.readword();
        o.commands.reserve(std::min<std::size_t>(count, in.fitting(12)));
        for (std::uint16_t i = 0; i < count; ++i) {
            if (in.remaining() < 12) {
                r.complete = false;
                break;
            }
            TCommand c;
            for (auto& w : c.w) w = in.readlword();
            o.commands.push_back(c);
        }
        if (!r.complete) {
            // Cut inside its command list: kept with the whole commands read.
            r.partObject = true;
            r.partCommandsKept = o.commands.size();
            r.partCommandsDeclared = count;
            break;
        }
        ++r.wholeObjects;
    }
    const bool objectsWhole = r.complete;

    // The block is read where the objects end; a start address further on
    // leaves spare bytes in between, which are kept.
    const std::uint32_t extStart = m.extension_data_start_address;
    if (r.complete && extStart == 0) {
        m.spare_after_objects = in.readbytes(in.remaining());
    } else if (r.complete) {
        if (extStart > in.size()) {
            r.complete = false;  // the block lies beyond the end: the file was cut
        } else {
            ByteReader block = in;
            if (extStart > block.pos()) m.spare_after_objects = block.readbytes(extStart - block.pos());
            try {
                ReadWholeExtensionData(block, m.ext);
            } catch (const FormatError&) {
                r.complete = false;
            }
            if (r.complete) in = block;
        }
    }

    if (!r.complete) {
        r.extensionDataDropped = objectsWhole;
        m.spare_after_objects.clear();
        m.ext = TExtensionData{};
        m.extension_data_start_address = 0;
        m.mobjs.length = movieObjectsLength(m.mobjs);
    }
    r.stoppedAt = in.pos();
    if (report) *report = r;
    return m;
}

namespace {

std::string counted(std::size_t n, const char* one, const char* many) {
    return fmt::format("{} {}", n, n == 1 ? one : many);
}

}  // namespace

std::string cutReadSummary(const MobjReadReport& r) {
    std::string kept = fmt::format("kept {} of {} whole", r.wholeObjects,
                                   counted(r.declaredObjects, "movie object", "movie objects"));
    std::vector<std::string> dropped;
    if (r.partObject) {
        const std::size_t keptCommands = r.partCommandsKept;
        kept += fmt::format(", and object {} with {} of its {}", r.wholeObjects, keptCommands,
                            counted(r.partCommandsDeclared, "command", "commands"));
        dropped.push_back(fmt::format("{} of object {}",
                                      counted(r.partCommandsDeclared - keptCommands, "command", "commands"),
                                      r.wholeObjects));
    }
    const std::size_t read = r.wholeObjects + (r.partObject ? 1 : 0);
    if (r.declaredObjects > read)
        dropped.push_back(counted(r.declaredObjects - read, "movie object", "movie objects") + " not in the file");
    if (r.extensionDataDropped) dropped.push_back("the ExtensionData block");
    std::string text = kept;
    for (std::size_t i = 0; i < dropped.size(); ++i)
        text += (i == 0 ? "; dropped " : i + 1 == dropped.size() ? " and " : ", ") + dropped[i];
    return text;
}

Bytes writeMovieObjects(const TMOBJ& m) {
    if (m.mobjs.objects.size() > 0xFFFF)
        throw std::length_error(fmt::format("MovieObject.bdmv: {} movie objects do not fit the 16-bit count",
                                            m.mobjs.objects.size()));
    ByteWriter out;
    out.putstring(m.type_indicator, 4);
    out.putstring(m.version, 4);
    out.putlword(m.extension_data_start_address);
    out.putbytes(std::span(m.reserved).first(std::min<std::size_t>(m.reserved.size(), 28)));
    if (m.reserved.size() < 28) out.putzeros(28 - m.reserved.size());
    out.putlword(m.mobjs.length);
    out.putlword(m.mobjs.reserved);
    out.putword(static_cast<std::uint16_t>(m.mobjs.objects.size()));
    for (std::size_t n = 0; n < m.mobjs.objects.size(); ++n) {
        const Tmobject& o = m.mobjs.objects[n];
        if (o.commands.size() > 0xFFFF)
            throw std::length_error(
                fmt::format("MovieObject.bdmv: movie object {} has {} commands, more than the 16-bit count holds", n,
                            o.commands.size()));
        BitWriter bits(out);
        bits.put(1, o.resume_intention_flag);
        bits.put(1, o.menu_call_mask);
        bits.put(1, o.title_search_mask);
        bits.zeros(13);
        out.putword(static_cast<std::uint16_t>(o.commands.size()));
        for (const TCommand& c : o.commands)
            for (std::uint32_t w : c.w) out.putlword(w);
    }
    out.putbytes(m.spare_after_objects);
    if (m.extension_data_start_address != 0) WriteExtensionData(out, m.ext);
    return out.take();
}

}  // namespace navora

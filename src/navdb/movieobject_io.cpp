#include "navdb/movieobject_io.h"

#include "core/bits.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace navora {

TMOBJ readMovieObjects(std::span<const std::uint8_t> data, const std::string& name, MobjReadReport* report) {
    ByteReader in(data, name);
    TMOBJ m;
    TypeAndVersion tv = readTypeAndVersion(in, "MOBJ");
    m.type_indicator = std::move(tv.type);
    m.version = std::move(tv.version);
    m.extension_data_start_address = in.readlword();
    m.reserved = in.readbytes(28);
    m.mobjs.length = in.readlword();
    m.mobjs.reserved = in.readlword();
    m.mobjs.objects.resize(in.readword());

    MobjReadReport r;
    for (Tmobject& o : m.mobjs.objects) {
        if (in.remaining() < 4) {
            r.complete = false;
            break;
        }
        BitReader bits(in);
        o.resume_intention_flag = static_cast<std::uint8_t>(bits.bits(1));
        o.menu_call_mask = static_cast<std::uint8_t>(bits.bits(1));
        o.title_search_mask = static_cast<std::uint8_t>(bits.bits(1));
        bits.skip(13);
        const std::uint16_t count = in.readword();
        o.commands.reserve(std::min<std::size_t>(count, in.remaining() / 12));
        for (std::uint16_t i = 0; i < count; ++i) {
            if (in.remaining() < 12) {
                r.complete = false;
                break;
            }
            TCommand c;
            for (auto& w : c.w) w = in.readlword();
            o.commands.push_back(c);
        }
        if (!r.complete) break;
        ++r.wholeObjects;
    }

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
        m.spare_after_objects.clear();
        m.ext = TExtensionData{};
        m.extension_data_start_address = 0;
        m.mobjs.length = movieObjectsLength(m.mobjs);
    }
    r.stoppedAt = in.pos();
    if (report) *report = r;
    return m;
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

#include "ig/save.h"

#include "core/bits.h"
#include "ig/objects.h"
#include "ig/rle.h"

#include <fmt/format.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

namespace navora {

namespace {

// A count the stream holds in `bits` bits; a model beyond it cannot be written.
void checkFits(std::size_t value, unsigned bits, const char* what) {
    if (value >= (std::uint64_t{1} << bits))
        throw std::invalid_argument(
            fmt::format("{} {} do not fit the {}-bit field of the stream", value, what, bits));
}

void putEffects(ByteWriter& out, const Teffectseq& seq) {
    if (seq.number_of_windows > seq.windows.size())
        throw std::invalid_argument(fmt::format("{} windows in an effect sequence, at most {}",
                                                seq.number_of_windows, seq.windows.size()));
    out.putbyte(seq.number_of_windows);
    for (std::size_t i = 0; i < seq.number_of_windows; ++i) {
        const TEffWindow& w = seq.windows[i];
        out.putbyte(w.window_id);
        out.putword(w.window_horizontal_position);
        out.putword(w.window_vertical_position);
        out.putword(w.window_width);
        out.putword(w.window_height);
    }
    checkFits(seq.effects.size(), 8, "effects");
    out.putbyte(static_cast<std::uint8_t>(seq.effects.size()));
    for (const Teffect& e : seq.effects) {
        checkFits(e.effect_duration, 24, "ticks of effect duration");
        out.put3byte(e.effect_duration);
        out.putbyte(e.palette_id_ref);
        checkFits(e.composition_objects.size(), 8, "composition objects");
        out.putbyte(static_cast<std::uint8_t>(e.composition_objects.size()));
        for (const TCompObject& c : e.composition_objects) {
            out.putword(c.object_id_ref);
            out.putbyte(c.window_id_ref);
            BitWriter bits(out);
            bits.flag(c.cropped());
            bits.flag((c.flags & kForcedOn) != 0);
            bits.zeros(6);
            out.putword(c.composition_object_horizontal_position);
            out.putword(c.composition_object_vertical_position);
            if (c.cropped()) {
                out.putword(c.cropping_horizontal_position);
                out.putword(c.cropping_vertical_position);
                out.putword(c.cropping_width);
                out.putword(c.cropping_height);
            }
        }
    }
}

void putStateFlags(ByteWriter& out, std::uint8_t repeat, std::uint8_t complete) {
    BitWriter bits(out);
    bits.flag(repeat != 0);
    bits.flag(complete != 0);
    bits.zeros(6);
}

void putButton(ByteWriter& out, const TIGbutton& b) {
    out.putword(b.button_id);
    out.putword(b.button_numeric_select_value);
    {
        BitWriter bits(out);
        bits.flag(b.auto_action_flag != 0);
        bits.zeros(7);
    }
    out.putword(b.button_horizontal_position);
    out.putword(b.button_vertical_position);
    out.putword(b.upper_button_id_ref);
    out.putword(b.lower_button_id_ref);
    out.putword(b.left_button_id_ref);
    out.putword(b.right_button_id_ref);
    out.putword(b.normal_start_object_id_ref);
    out.putword(b.normal_end_object_id_ref);
    putStateFlags(out, b.normal_repeat_flag, b.normal_complete_flag);
    out.putbyte(static_cast<std::uint8_t>(b.selected_state_sound_id_ref));
    out.putword(b.selected_start_object_id_ref);
    out.putword(b.selected_end_object_id_ref);
    putStateFlags(out, b.selected_repeat_flag, b.selected_complete_flag);
    out.putbyte(static_cast<std::uint8_t>(b.activated_state_sound_id_ref));
    out.putword(b.activated_start_object_id_ref);
    out.putword(b.activated_end_object_id_ref);
    checkFits(b.commands.size(), 16, "navigation commands");
    out.putword(static_cast<std::uint16_t>(b.commands.size()));
    for (const TCommand& c : b.commands)
        for (const std::uint32_t w : c.w) out.putlword(w);
}

void putPage(ByteWriter& out, const TPage& page) {
    out.putbyte(page.page_id);
    out.putbyte(page.page_version_number);
    out.putlword(page.UO_mask_high);
    out.putlword(page.UO_mask_low);
    putEffects(out, page.effects[InEffects]);
    putEffects(out, page.effects[OutEffects]);
    out.putbyte(page.animation_frame_rate_code);
    out.putword(page.default_selected_button_id_ref);
    out.putword(page.default_activated_button_id_ref);
    out.putbyte(page.palette_id_ref);
    checkFits(page.BOGs.size(), 8, "BOGs");
    out.putbyte(static_cast<std::uint8_t>(page.BOGs.size()));
    for (const TBOG& bog : page.BOGs) {
        out.putword(bog.default_valid_button_id_ref);
        checkFits(bog.buttons.size(), 8, "buttons");
        out.putbyte(static_cast<std::uint8_t>(bog.buttons.size()));
        for (const TIGbutton& b : bog.buttons) putButton(out, b);
    }
}

// A PES time stamp field: 4-bit prefix, then the 33-bit value (bit 32 is 0)
// in three parts, each followed by a marker bit.
void putTimeStamp(ByteWriter& out, unsigned prefix, std::uint32_t ts) {
    BitWriter bits(out);
    bits.put(4, prefix);
    bits.put(3, (std::uint64_t{ts} >> 30) & 7);
    bits.flag(true);
    bits.put(15, (ts >> 15) & 0x7FFF);
    bits.flag(true);
    bits.put(15, ts & 0x7FFF);
    bits.flag(true);
}

// Puts one segment in its frame: a .mnu record or a PES packet.
void frame(ByteWriter& out, IgsForm form, std::uint32_t pts, std::uint32_t dts, const Bytes& segment) {
    if (form == IgsForm::Mnu) {
        out.putbyte('I');
        out.putbyte('G');
        out.putlword(pts);
        out.putlword(dts);
    } else {
        const bool withDts = dts != 0;
        out.putlword(0x000001BD);
        out.putword(static_cast<std::uint16_t>(segment.size() + (withDts ? 13 : 8)));
        out.putbyte(0x84);  // data_alignment_indicator
        out.putbyte(withDts ? 0xC0 : 0x80);
        out.putbyte(withDts ? 10 : 5);
        putTimeStamp(out, withDts ? 3 : 2, pts);
        if (withDts) putTimeStamp(out, 1, dts);
    }
    out.putbytes(segment);
}

// Segment type and length, then the body.
Bytes segment(IgSegmentType type, const ByteWriter& body) {
    ByteWriter s;
    s.putbyte(static_cast<std::uint8_t>(type));
    s.putword(static_cast<std::uint16_t>(body.size()));
    s.putbytes(body.bytes());
    return s.take();
}

void putSequenceFlags(ByteWriter& out, std::uint8_t flags) {
    BitWriter bits(out);
    bits.flag((flags & kFirstInSequence) != 0);
    bits.flag((flags & kLastInSequence) != 0);
    bits.zeros(6);
}

std::uint8_t sequenceFlags(std::size_t i, std::size_t count) {
    return static_cast<std::uint8_t>((i == 0 ? kFirstInSequence : 0) | (i + 1 == count ? kLastInSequence : 0));
}

// How many segments carry `bytes` when the first holds `first` and the others `later`.
std::size_t segmentCount(std::size_t bytes, std::size_t first, std::size_t later) {
    return bytes <= first ? 1 : 1 + (bytes - first + later - 1) / later;
}

}  // namespace

namespace {

// The delivery order (see objectOrder) of a menu that is only read. The
// defined objects are listed once, in id order; button states name ranges of
// ids (up to all 65,536), which are looked up in that list rather than walked.
std::vector<std::size_t> deliveryOrder(const TIGSc& m) {
    std::vector<std::size_t> defined;
    for (std::size_t id = 0; id < m.objects.size(); ++id)
        if (id != kNoObjectRef && m.objects[id].defined()) defined.push_back(id);
    std::vector<std::uint8_t> placed(defined.size(), 0);  // by position in `defined`
    std::vector<std::size_t> order;
    auto placeAt = [&](std::size_t i) {
        if (placed[i]) return;
        placed[i] = 1;
        order.push_back(defined[i]);
    };
    auto place = [&](std::size_t id) {
        const auto it = std::lower_bound(defined.begin(), defined.end(), id);
        if (it != defined.end() && *it == id) placeAt(static_cast<std::size_t>(it - defined.begin()));
    };
    auto range = [&](std::uint16_t start, std::uint16_t end) {
        auto it = std::lower_bound(defined.begin(), defined.end(), std::size_t{start});
        for (; it != defined.end() && *it <= end; ++it) placeAt(static_cast<std::size_t>(it - defined.begin()));
    };
    if (!m.pages.empty()) {
        const TPage& first = m.pages.front();
        for (const Teffect& e : first.effects[InEffects].effects)
            for (const TCompObject& c : e.composition_objects) place(c.object_id_ref);
        const std::size_t tableLength = m.page_buttons.empty() ? 0 : m.page_buttons.front().byId.size();
        auto valid = [&](const TBOG& bog) { return bog.default_valid_button_id_ref < tableLength; };
        for (const TBOG& bog : first.BOGs)
            if (valid(bog))
                for (const TIGbutton& b : bog.buttons) range(b.normal_start_object_id_ref, b.normal_end_object_id_ref);
        for (const TBOG& bog : first.BOGs)
            if (valid(bog))
                for (const TIGbutton& b : bog.buttons)
                    range(b.selected_start_object_id_ref, b.selected_end_object_id_ref);
        for (const TBOG& bog : first.BOGs)
            if (valid(bog))
                for (const TIGbutton& b : bog.buttons)
                    range(b.activated_start_object_id_ref, b.activated_end_object_id_ref);
        for (const TBOG& bog : first.BOGs)
            if (!valid(bog))
                for (const TIGbutton& b : bog.buttons) {
                    range(b.normal_start_object_id_ref, b.normal_end_object_id_ref);
                    range(b.selected_start_object_id_ref, b.selected_end_object_id_ref);
                    range(b.activated_start_object_id_ref, b.activated_end_object_id_ref);
                }
    }
    for (std::size_t i = 0; i < defined.size(); ++i) placeAt(i);
    return order;
}

}  // namespace

std::vector<std::size_t> objectOrder(TIGSc& m) {
    std::vector<std::size_t> order = deliveryOrder(m);
    for (TIGobject& o : m.objects) o.writer_slot = -1;
    for (std::size_t slot = 0; slot < order.size(); ++slot)
        m.objects[order[slot]].writer_slot = static_cast<std::int32_t>(slot);
    return order;
}

Bytes pageData(const TIGSc& m) {
    ByteWriter out;
    for (const TPage& page : m.pages) putPage(out, page);
    return out.take();
}

namespace {

// Y, Cr, Cb of palette entry e as a PDS writes it, or nothing for an entry
// that is not written: entries with neither a display colour nor Y, Cr, Cb
// were never defined (an entry a PDS defined as transparent black is kept);
// an entry with Y 0 takes the values of its display colour.
std::optional<TYCrCb> writtenEntry(const TIGpalette& pal, std::size_t e, ColourMatrix matrix) {
    const TRGBA c = pal.colours[e];
    if (c.zero() && pal.entries[e] == TYCrCb{}) return std::nullopt;
    if (pal.entries[e].Y == 0) return rgb2ycrcb(c.R, c.G, c.B, matrix);
    return pal.entries[e];
}

// One save in its steps. The menu is only read: what the written stream
// holds besides it (each written object's picture, coded data and segments,
// the ICS segments) is kept per delivery slot, so that describe() can give
// the menu as the stream describes it without the bytes alone costing a copy
// of the menu.
class IgsWriter {
public:
    IgsWriter(const TIGSc& menu, IgsForm form, Log* log) : in_(menu), form_(form), log_(log) {}

    Bytes write() {
        checkWritable();
        order_ = deliveryOrder(in_);
        codeObjects();
        writeIcs();
        writePalettes();
        writeObjects();
        writeEnd();
        if (log_) log_->slogR();
        return out_.take();
    }

    // The menu as the bytes write() wrote describe it.
    TIGSc describe() {
        TIGSc m = in_;
        objectOrder(m);
        m.interactive_composition_data_length = icsDataLength_;
        m.ics_segments = icsSegments_;
        for (TIGpalette& pal : m.palettes)
            for (std::size_t e = 0; e < 255; ++e)
                if (const auto v = writtenEntry(pal, e, m.colour_matrix)) pal.entries[e] = *v;
        for (std::size_t slot = 0; slot < order_.size(); ++slot) {
            TIGobject& obj = m.objects[order_[slot]];
            if (!obj.picture) obj.picture = pictures_[slot];
            obj.fragments = std::move(fragments_[slot]);
            obj.object_id = static_cast<std::uint16_t>(order_[slot]);
            obj.object_data_length = static_cast<std::uint32_t>(coded_[slot].size());
            obj.width = pictures_[slot]->width;
            obj.height = pictures_[slot]->height;
        }
        m.resource = std::make_shared<const Bytes>(std::move(resource_));
        return m;
    }

private:
    void checkWritable() const {
        checkFits(in_.pages.size(), 8, "pages");
        if (in_.palettes.size() > 256)
            throw std::invalid_argument(fmt::format("{} palettes, at most 256", in_.palettes.size()));
        if (in_.objects.size() > 0x10000)
            throw std::invalid_argument(fmt::format("{} objects, at most 65,536", in_.objects.size()));
        checkFits(in_.user_time_out_duration, 24, "ticks of user time-out");
    }

    // Every written object coded anew (decoded first when it has no picture),
    // in the order of the object ids.
    void codeObjects() {
        if (log_) log_->slog("RLE decoding/encoding", 1);
        coded_.assign(order_.size(), {});
        pictures_.assign(order_.size(), nullptr);
        std::vector<std::pair<std::size_t, std::size_t>> byId;  // object, slot
        byId.reserve(order_.size());
        for (std::size_t slot = 0; slot < order_.size(); ++slot) byId.emplace_back(order_[slot], slot);
        std::sort(byId.begin(), byId.end());
        for (const auto& [o, slot] : byId) {
            const TIGobject& obj = in_.objects[o];
            std::shared_ptr<const IndexedImage> picture = obj.picture ? obj.picture : decodeObject(in_, o);
            if (!picture)
                throw std::invalid_argument(
                    fmt::format("object {} of {}x{} cannot be decoded", o, obj.width, obj.height));
            coded_[slot] = rleEncode(*picture);
            checkFits(coded_[slot].size() + 4, 24, "bytes of object data");
            codedBytes_ += coded_[slot].size();
            pictures_[slot] = std::move(picture);
        }
        inTime_ = in_.in_time;
        icsDts_ = inTime_ - transferTicks(codedBytes_);
    }

    void writeIcs() {
        const Bytes pages = pageData(in_);
        const std::size_t L = pages.size();
        const std::size_t timeOuts = hasTimeOuts(in_) ? kIcsTimeOutFields : 0;
        checkFits(L + 5 + timeOuts, 24, "bytes of interactive composition");
        icsDataLength_ = static_cast<std::uint32_t>(L + 5 + timeOuts);
        pageBytes_ = L;
        resource_ = pages;

        if (log_) log_->slog("Writing ICS", 1);
        const std::size_t firstCapacity = kMaxSegmentLength - (kIcsFirstHeader + timeOuts);
        const std::size_t laterCapacity = kMaxSegmentLength - kIcsLaterHeader;
        const std::size_t S = segmentCount(L, firstCapacity, laterCapacity);
        std::size_t offset = 0;
        for (std::size_t i = 0; i < S; ++i) {
            const std::size_t share = std::min(L - offset, i == 0 ? firstCapacity : laterCapacity);
            const std::uint8_t flags = sequenceFlags(i, S);
            ByteWriter body;
            body.putword(in_.video_width);
            body.putword(in_.video_height);
            {
                BitWriter bits(body);
                bits.put(4, in_.frame_rate_id);
                bits.zeros(4);
            }
            body.putword(in_.composition_number);
            {
                BitWriter bits(body);
                bits.put(2, static_cast<unsigned>(in_.composition_state));
                bits.zeros(6);
            }
            putSequenceFlags(body, flags);
            if (i == 0) {
                body.put3byte(icsDataLength_);
                {
                    BitWriter bits(body);
                    bits.put(1, static_cast<unsigned>(in_.stream_model));
                    bits.put(1, static_cast<unsigned>(in_.user_interface_model));
                    bits.zeros(6);
                }
                if (timeOuts) {
                    body.put5byte(in_.composition_time_out_pts & 0xFFFFFFFFFFull);
                    body.put5byte(in_.selection_time_out_pts & 0xFFFFFFFFFFull);
                }
                body.put3byte(in_.user_time_out_duration);
                body.putbyte(static_cast<std::uint8_t>(in_.pages.size()));
            }
            body.putbytes(std::span(pages).subspan(offset, share));
            frame(out_, form_, inTime_, icsDts_, segment(IgSegmentType::ICS, body));
            icsSegments_.push_back({0, flags, static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(share)});
            offset += share;
        }
    }

    void writePalettes() {
        if (log_) log_->slog("Writing palettes", 1);
        for (std::size_t p = 0; p < in_.palettes.size(); ++p) {
            const TIGpalette& pal = in_.palettes[p];
            ByteWriter body;
            body.putbyte(static_cast<std::uint8_t>(p));
            body.putbyte(0);  // palette_version_number
            for (std::size_t e = 0; e < 255; ++e) {
                const auto v = writtenEntry(pal, e, in_.colour_matrix);
                if (!v) continue;
                body.putbyte(static_cast<std::uint8_t>(e));
                body.putbyte(v->Y);
                body.putbyte(v->Cr);
                body.putbyte(v->Cb);
                body.putbyte(pal.colours[e].T);
            }
            frame(out_, form_, icsDts_, 0, segment(IgSegmentType::PDS, body));
        }
    }

    void writeObjects() {
        if (log_) log_->slog("Writing objects", 1);
        fragments_.assign(order_.size(), {});
        std::uint64_t remaining = codedBytes_;  // coded bytes of this object and all after it
        for (std::size_t slot = 0; slot < order_.size(); ++slot) {
            const std::size_t o = order_[slot];
            const IndexedImage& picture = *pictures_[slot];
            const Bytes& c = coded_[slot];
            const std::uint32_t pts = inTime_ - transferTicks(remaining - c.size());
            const std::uint32_t dts = inTime_ - transferTicks(remaining);
            remaining -= c.size();
            const std::size_t base = resource_.size();
            resource_.insert(resource_.end(), c.begin(), c.end());
            const std::size_t firstData = kMaxSegmentLength - kOdsFirstHeader;
            const std::size_t laterData = kMaxSegmentLength - kOdsLaterHeader;
            const std::size_t V = segmentCount(c.size(), firstData, laterData);
            std::size_t at = 0;
            for (std::size_t j = 0; j < V; ++j) {
                const std::size_t share = std::min(c.size() - at, j == 0 ? firstData : laterData);
                const std::uint8_t flags = sequenceFlags(j, V);
                ByteWriter body;
                body.putword(static_cast<std::uint16_t>(o));
                body.putbyte(0);  // object_version_number
                putSequenceFlags(body, flags);
                if (j == 0) {
                    body.put3byte(static_cast<std::uint32_t>(c.size() + 4));
                    body.putword(picture.width);
                    body.putword(picture.height);
                }
                body.putbytes(std::span(c).subspan(at, share));
                frame(out_, form_, pts, dts, segment(IgSegmentType::ODS, body));
                fragments_[slot].push_back(
                    {0, flags, static_cast<std::uint32_t>(base + at), static_cast<std::uint32_t>(share)});
                at += share;
            }
        }
    }

    void writeEnd() {
        const std::size_t X = order_.empty() ? pageBytes_ : coded_.back().size();
        frame(out_, form_, inTime_ - transferTicks(X), 0, segment(IgSegmentType::END, ByteWriter{}));
    }

    const TIGSc& in_;
    IgsForm form_;
    Log* log_;
    ByteWriter out_;
    std::vector<std::size_t> order_;  // the written objects' ids, by delivery slot
    // Per delivery slot: the picture coded, its coded data, its segments.
    std::vector<std::shared_ptr<const IndexedImage>> pictures_;
    std::vector<Bytes> coded_;
    std::vector<std::vector<TIGfragment>> fragments_;
    std::uint64_t codedBytes_ = 0;
    std::size_t pageBytes_ = 0;
    std::uint32_t inTime_ = 0;
    std::uint32_t icsDts_ = 0;
    std::uint32_t icsDataLength_ = 0;
    std::vector<TIGfragment> icsSegments_;
    Bytes resource_;
};

}  // namespace

SavedIgs writeIGS(const TIGSc& menu, IgsForm form, Log* log) {
    IgsWriter writer(menu, form, log);
    Bytes data = writer.write();
    return {std::move(data), writer.describe()};
}

Bytes saveIGS(const TIGSc& menu, IgsForm form, Log* log) { return IgsWriter(menu, form, log).write(); }

}  // namespace navora

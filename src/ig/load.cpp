#include "ig/load.h"

#include "core/bits.h"
#include "core/clock.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "ig/rle.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>

namespace navora {

namespace {

constexpr std::size_t kRecordHeaderSize = 10;
constexpr std::size_t kSegmentHeaderSize = 3;

// Smallest sizes of the page data records, for count checks before anything
// is sized from a count.
constexpr std::size_t kMinPageSize = 21;     // fixed fields and two empty effect sequences
constexpr std::size_t kMinWindowSize = 9;
constexpr std::size_t kMinEffectSize = 5;
constexpr std::size_t kMinCompObjectSize = 8;
constexpr std::size_t kMinBOGSize = 3;
constexpr std::size_t kMinButtonSize = 35;
constexpr std::size_t kCommandSize = 12;

const char* segmentName(std::uint8_t type) {
    switch (static_cast<IgSegmentType>(type)) {
    case IgSegmentType::PDS: return "PDS";
    case IgSegmentType::ODS: return "ODS";
    case IgSegmentType::ICS: return "ICS";
    case IgSegmentType::END: return "END";
    }
    return "unknown";
}

void note(MenuLoadReport& report, Log* log, std::string text) {
    if (log) log->log(text);
    report.warnings.push_back(std::move(text));
}

// --- Page data ---

class PageDataReader {
public:
    PageDataReader(ByteReader& in, MenuLoadReport& report, Log* log) : in_(in), report_(report), log_(log) {}

    void readPage(TPage& page, std::size_t index) {
        page.page_id = in_.readbyte();
        if (log_) log_->slog("Reading page " + std::to_string(page.page_id), 1);
        page.page_version_number = in_.readbyte();
        page.UO_mask_high = in_.readlword();
        page.UO_mask_low = in_.readlword();
        readEffects(page.effects[InEffects], index, "in_effects");
        readEffects(page.effects[OutEffects], index, "out_effects");
        page.animation_frame_rate_code = in_.readbyte();
        page.default_selected_button_id_ref = in_.readword();
        page.default_activated_button_id_ref = in_.readword();
        page.palette_id_ref = in_.readbyte();
        const std::uint8_t bogs = in_.readbyte();
        in_.checkCount(bogs, kMinBOGSize, "BOGs");
        page.BOGs.resize(bogs);
        for (TBOG& bog : page.BOGs) {
            bog.default_valid_button_id_ref = in_.readword();
            const std::uint8_t buttons = in_.readbyte();
            in_.checkCount(buttons, kMinButtonSize, "buttons");
            bog.buttons.resize(buttons);
            for (TIGbutton& b : bog.buttons) readButton(b);
        }
    }

private:
    void readEffects(Teffectseq& seq, std::size_t page, const char* what) {
        const std::uint8_t windows = in_.readbyte();
        in_.checkCount(windows, kMinWindowSize, "windows");
        seq.number_of_windows = static_cast<std::uint8_t>(std::min<std::size_t>(windows, seq.windows.size()));
        if (windows > seq.windows.size())
            note(report_, log_,
                 fmt::format("Page {} {}: {} windows, only the first {} are kept", page, what, windows,
                             seq.windows.size()));
        for (std::size_t i = 0; i < windows; ++i) {
            TEffWindow w;
            w.window_id = in_.readbyte();
            w.window_horizontal_position = in_.readword();
            w.window_vertical_position = in_.readword();
            w.window_width = in_.readword();
            w.window_height = in_.readword();
            if (i < seq.windows.size()) seq.windows[i] = w;
        }
        const std::uint8_t effects = in_.readbyte();
        in_.checkCount(effects, kMinEffectSize, "effects");
        seq.effects.resize(effects);
        for (Teffect& e : seq.effects) {
            e.effect_duration = in_.read3byte();
            e.palette_id_ref = in_.readbyte();
            const std::uint8_t objects = in_.readbyte();
            in_.checkCount(objects, kMinCompObjectSize, "composition objects");
            e.composition_objects.resize(objects);
            for (TCompObject& c : e.composition_objects) readCompObject(c);
        }
    }

    void readCompObject(TCompObject& c) {
        c.object_id_ref = in_.readword();
        c.window_id_ref = in_.readbyte();
        BitReader bits(in_);
        const bool cropped = bits.flag();
        const bool forced = bits.flag();
        bits.skip(6);
        c.flags = static_cast<std::uint8_t>((cropped ? kObjectCropped : 0) | (forced ? kForcedOn : 0));
        c.composition_object_horizontal_position = in_.readword();
        c.composition_object_vertical_position = in_.readword();
        if (cropped) {
            c.cropping_horizontal_position = in_.readword();
            c.cropping_vertical_position = in_.readword();
            c.cropping_width = in_.readword();
            c.cropping_height = in_.readword();
        }
    }

    // A repeat flag byte: repeat (1), complete (1), reserved (6).
    void readStateFlags(std::uint8_t& repeat, std::uint8_t& complete) {
        BitReader bits(in_);
        repeat = bits.flag() ? 1 : 0;
        complete = bits.flag() ? 1 : 0;
        bits.skip(6);
    }

    void readButton(TIGbutton& b) {
        b.button_id = in_.readword();
        b.button_numeric_select_value = in_.readword();
        {
            BitReader bits(in_);
            b.auto_action_flag = bits.flag() ? 1 : 0;
            bits.skip(7);
        }
        b.button_horizontal_position = in_.readword();
        b.button_vertical_position = in_.readword();
        b.upper_button_id_ref = in_.readword();
        b.lower_button_id_ref = in_.readword();
        b.left_button_id_ref = in_.readword();
        b.right_button_id_ref = in_.readword();
        b.normal_start_object_id_ref = in_.readword();
        b.normal_end_object_id_ref = in_.readword();
        readStateFlags(b.normal_repeat_flag, b.normal_complete_flag);
        b.selected_state_sound_id_ref = in_.readbyte();
        b.selected_start_object_id_ref = in_.readword();
        b.selected_end_object_id_ref = in_.readword();
        readStateFlags(b.selected_repeat_flag, b.selected_complete_flag);
        b.activated_state_sound_id_ref = in_.readbyte();
        b.activated_start_object_id_ref = in_.readword();
        b.activated_end_object_id_ref = in_.readword();
        const std::uint16_t commands = in_.readword();
        in_.checkCount(commands, kCommandSize, "navigation commands");
        b.commands.resize(commands);
        for (TCommand& c : b.commands)
            for (std::uint32_t& w : c.w) w = in_.readlword();
    }

    ByteReader& in_;
    MenuLoadReport& report_;
    Log* log_;
};

// --- Segments ---

class SegmentLoader {
public:
    SegmentLoader(std::span<const std::uint8_t> data, const std::string& name, TIGSc& menu, Bytes& resource,
                  MenuLoadReport& report, Log* log)
        : data_(data), name_(name), m_(menu), res_(resource), report_(report), log_(log) {}

    // Reads the segment of type and length n whose data starts at start.
    // False for END.
    bool read(std::uint8_t type, std::uint16_t n, std::size_t start) {
        ByteReader in(data_.first(start + n), name_);
        in.seek(start);
        try {
            switch (static_cast<IgSegmentType>(type)) {
            case IgSegmentType::PDS: readPDS(in, n); return true;
            case IgSegmentType::ODS: readODS(in, n); return true;
            case IgSegmentType::ICS: readICS(in, n); return true;
            case IgSegmentType::END: report_.endFound = true; return false;
            }
        } catch (const FormatError& e) {
            const std::size_t at = start - kSegmentHeaderSize;
            if (e.reason().starts_with("unexpected end"))
                throw FormatError(name_, e.offset(),
                                  fmt::format("{} segment of {} bytes at offset {} is too short for its fields",
                                              segmentName(type), n, at));
            throw FormatError(name_, e.offset(), fmt::format("{} segment at offset {}: {}", segmentName(type), at,
                                                             e.reason()));
        }
        ++report_.unknownSegments;
        if (log_) log_->erslog("Unknow segment!");
        report_.warnings.push_back(fmt::format("Unknown segment type ${:02X} of {} bytes at offset {} skipped", type,
                                               n, start - kSegmentHeaderSize));
        return true;
    }

private:
    // Copies the rest of the segment to the resource store; returns its position there.
    TIGfragment keepRest(ByteReader& in, std::uint8_t version, std::uint8_t flags) {
        TIGfragment f;
        f.version = version;
        f.sequence_flags = flags;
        f.position = static_cast<std::uint32_t>(res_.size());
        f.length = static_cast<std::uint32_t>(in.remaining());
        const auto rest = data_.subspan(in.pos(), in.remaining());
        res_.insert(res_.end(), rest.begin(), rest.end());
        return f;
    }

    static std::uint8_t readSequenceFlags(ByteReader& in) {
        BitReader bits(in);
        const bool first = bits.flag();
        const bool last = bits.flag();
        bits.skip(6);
        return static_cast<std::uint8_t>((first ? kFirstInSequence : 0) | (last ? kLastInSequence : 0));
    }

    void readPDS(ByteReader& in, std::uint16_t n) {
        const std::uint8_t p = in.readbyte();
        if (m_.palettes.size() <= p) m_.palettes.resize(std::size_t{p} + 1);
        TIGpalette& pal = m_.palettes[p];
        pal.palette_id = p;
        pal.palette_version_number = in.readbyte();
        if (n <= 2) return;
        // Entries this PDS does not list keep Y, Cr, Cb but are not displayed.
        pal.colours.fill(TRGBA{});
        for (std::size_t i = 0; i < (n - 2u) / 5; ++i) {
            const std::uint8_t e = in.readbyte();
            const std::uint8_t Y = in.readbyte();
            const std::uint8_t Cr = in.readbyte();
            const std::uint8_t Cb = in.readbyte();
            const std::uint8_t T = in.readbyte();
            pal.entries[e] = {Y, Cr, Cb};
            pal.colours[e] = ycrcb2rgb(Y, Cr, Cb, T);
        }
    }

    void readODS(ByteReader& in, std::uint16_t) {
        const std::uint16_t o = in.readword();
        if (m_.objects.size() <= o) m_.objects.resize(std::size_t{o} + 1);
        TIGobject& obj = m_.objects[o];
        obj.object_id = o;
        const std::uint8_t version = in.readbyte();
        const std::uint8_t flags = readSequenceFlags(in);
        if (flags & kFirstInSequence) {
            // A new definition of the object starts afresh.
            objectOffsets[o] = in.pos() - 4 - kSegmentHeaderSize - kRecordHeaderSize;
            obj.fragments.clear();
            obj.picture.reset();
            const std::uint32_t length = in.read3byte();
            obj.object_data_length = length >= 4 ? length - 4 : 0;
            obj.width = in.readword();
            obj.height = in.readword();
            if (obj.width > kMaxObjectSide || obj.height > kMaxObjectSide)
                in.fail(fmt::format("object {} is {}x{}, larger than any menu ({} at most per side)", o, obj.width,
                                    obj.height, kMaxObjectSide));
        }
        obj.fragments.push_back(keepRest(in, version, flags));
    }

    void readICS(ByteReader& in, std::uint16_t) {
        m_.video_width = in.readword();
        m_.video_height = in.readword();
        {
            BitReader bits(in);
            m_.frame_rate_id = static_cast<std::uint8_t>(bits.bits(4));
            bits.skip(4);
        }
        m_.composition_number = in.readword();
        {
            BitReader bits(in);
            m_.composition_state = static_cast<CompositionState>(bits.bits(2));
            bits.skip(6);
        }
        const std::uint8_t flags = readSequenceFlags(in);
        if (flags & kFirstInSequence) {
            m_.interactive_composition_data_length = in.read3byte();
            {
                BitReader bits(in);
                m_.stream_model = static_cast<StreamModel>(bits.bits(1));
                m_.user_interface_model = static_cast<UserInterfaceModel>(bits.bits(1));
                bits.skip(6);
            }
            if (hasTimeOuts(m_)) {
                m_.composition_time_out_pts = in.read5byte();
                m_.selection_time_out_pts = in.read5byte();
            }
            m_.user_time_out_duration = in.read3byte();
            m_.pages.assign(in.readbyte(), TPage{});
            m_.page_buttons.assign(m_.pages.size(), TPageButton{});
        }
        m_.ics_segments.push_back(keepRest(in, 0, flags));
        report_.icsFound = true;
    }

public:
    // Where each object's current definition (its first ODS) starts in the
    // data, by object id (ids run to 65535; a menu defines a few of them).
    std::map<std::size_t, std::size_t> objectOffsets;

private:
    std::span<const std::uint8_t> data_;
    const std::string& name_;
    TIGSc& m_;
    Bytes& res_;
    MenuLoadReport& report_;
    Log* log_;
};

// Refuses objects whose declared size the data cannot back (see loadMNU).
void checkObjectSizes(const TIGSc& m, const std::map<std::size_t, std::size_t>& offsets, const std::string& name) {
    const auto offsetOf = [&](std::size_t o) {
        const auto it = offsets.find(o);
        return it != offsets.end() ? it->second : 0;
    };
    const std::uint64_t limit = maxMenuObjectPixels(m);
    std::uint64_t total = 0;
    for (std::size_t o = 0; o < m.objects.size(); ++o) {
        const TIGobject& obj = m.objects[o];
        if (obj.fragments.empty()) continue;
        std::uint64_t coded = 0;
        for (const TIGfragment& f : obj.fragments) coded += f.length;
        coded = std::min<std::uint64_t>(coded, obj.object_data_length);
        if (obj.width != 0 && coded < obj.height)
            throw FormatError(name, offsetOf(o),
                              fmt::format("object {} declares {}x{} pixels but has only {} bytes of coded data, "
                                          "fewer than its {} lines need (at least {}): refused as not a real object",
                                          o, obj.width, obj.height, coded, obj.height, 2 * std::uint64_t{obj.height}));
        total += std::uint64_t{obj.width} * obj.height;
        if (total > limit)
            throw FormatError(name, offsetOf(o),
                              fmt::format("the objects up to object {} ({}x{}) declare {} pixels in all, more than "
                                          "{} pages of the menu's size can show ({}): refused as not a real menu",
                                          o, obj.width, obj.height, total, kMaxObjectPages, limit));
    }
}

}  // namespace

std::uint64_t maxMenuObjectPixels(const TIGSc& m) {
    const std::uint64_t page = std::max<std::uint64_t>(std::uint64_t{m.video_width} * m.video_height, 1920 * 1080);
    return kMaxObjectPages * page;
}

bool startsWithMenuRecord(std::span<const std::uint8_t> data) {
    return data.size() >= 2 && data[0] == 'I' && data[1] == 'G';
}

void requireMenuRecord(std::span<const std::uint8_t> data, const std::string& name) {
    if (!startsWithMenuRecord(data))
        throw FormatError(name, 0, "not a menu: a .mnu file starts with the record header \"IG\"");
}

TIGSc loadMNU(std::span<const std::uint8_t> data, const std::string& name, MenuLoadReport* reportOut, Log* log) {
    MenuLoadReport report;
    TIGSc m;
    Bytes resource;
    SegmentLoader segments(data, name, m, resource, report, log);
    ByteReader in(data, name);
    while (!in.atEnd()) {
        const std::size_t at = in.pos();
        if (in.remaining() < kRecordHeaderSize)
            in.fail(fmt::format("the data ends inside a record header ({} of {} bytes)", in.remaining(),
                                kRecordHeaderSize));
        const bool magic = startsWithMenuRecord(data.subspan(at));
        in.skip(2);
        if (!magic) {
            report.formatError = true;
            report.formatErrorOffset = at;
            if (log) log->erslog("File format error");
            report.warnings.push_back(fmt::format("Record header at offset {} does not start with \"IG\": reading "
                                                  "stopped there",
                                                  at));
            break;
        }
        const std::uint32_t pts = in.readlword();
        in.readlword();  // DTS
        if (m.in_time == 0) m.in_time = pts;
        if (in.remaining() < kSegmentHeaderSize)
            in.fail(fmt::format("the data ends inside a segment header ({} of {} bytes)", in.remaining(),
                                kSegmentHeaderSize));
        const std::uint8_t type = in.readbyte();
        const std::uint16_t n = in.readword();
        if (n > in.remaining())
            throw FormatError(name, at + kRecordHeaderSize,
                              fmt::format("{} segment declares {} bytes, only {} are left", segmentName(type), n,
                                          in.remaining()));
        const std::size_t start = in.pos();
        if (!segments.read(type, n, start)) break;
        in.seek(start + n);
    }
    m.resource = std::make_shared<const Bytes>(std::move(resource));
    checkObjectSizes(m, segments.objectOffsets, name);

    if (!report.icsFound) {
        const char* text = "No interactive composition (ICS) found: the menu has no pages";
        if (log) log->erslog(text);
        report.warnings.push_back(text);
    }
    getIGS(m, name, &report, log);
    // Players show a palette with the matrix of the video.
    setColourMatrix(m, videoMatrix(m));
    if (log) log->log2(menuSummaryText(m));
    if (reportOut) *reportOut = std::move(report);
    return m;
}

TIGSc loadMNUFile(const std::filesystem::path& path, MenuLoadReport* report, Log* log) {
    const Bytes data = readDatabaseFile(path, kMaxMenuFileSize);
    return loadMNU(data, path.string(), report, log);
}

void getIGS(TIGSc& m, const std::string& name, MenuLoadReport* reportOut, Log* log) {
    MenuLoadReport local;
    MenuLoadReport& report = reportOut ? *reportOut : local;
    // The page data is the ICS segments' data one after the other.
    Bytes pageData;
    const Bytes empty;
    const Bytes& res = m.resource ? *m.resource : empty;
    for (const TIGfragment& f : m.ics_segments) {
        if (std::uint64_t{f.position} + f.length > res.size())
            throw FormatError(name, f.position, "ICS segment data lies outside the resource store");
        pageData.insert(pageData.end(), res.begin() + f.position, res.begin() + f.position + f.length);
    }
    ByteReader in(pageData, name + " (page data)");
    in.checkCount(m.pages.size(), kMinPageSize, "pages");
    PageDataReader reader(in, report, log);
    m.page_buttons.assign(m.pages.size(), TPageButton{});
    for (std::size_t i = 0; i < m.pages.size(); ++i) {
        if (log) log->progress(static_cast<int>(80 + (i + 1) * 20 / m.pages.size()));
        try {
            reader.readPage(m.pages[i], i);
        } catch (const FormatError& e) {
            throw FormatError(e.file(), e.offset(),
                              fmt::format("page {} of {} ends early: {}", i, m.pages.size(), e.reason()));
        }
        m.page_buttons[i] = buildButtonTable(m.pages[i]);
    }
}

TPageButton buildButtonTable(const TPage& page) {
    std::size_t count = 0;
    std::size_t length = 0;
    for (const TBOG& bog : page.BOGs) {
        count += bog.buttons.size();
        for (const TIGbutton& b : bog.buttons) length = std::max<std::size_t>(length, std::size_t{b.button_id} + 1);
    }
    TPageButton table;
    table.byId.assign(std::max(count, length), TButtonSlot{});
    for (std::size_t j = 0; j < page.BOGs.size(); ++j)
        for (std::size_t k = 0; k < page.BOGs[j].buttons.size(); ++k) {
            const std::uint16_t id = page.BOGs[j].buttons[k].button_id;
            table.byId[id] = {id, static_cast<std::uint8_t>(j), static_cast<std::uint8_t>(k)};
        }
    return table;
}

const TIGbutton* buttonById(const TIGSc& m, std::size_t page, std::uint16_t id) {
    if (page >= m.pages.size() || page >= m.page_buttons.size()) return nullptr;
    const auto& slots = m.page_buttons[page].byId;
    if (id >= slots.size() || slots[id].button_id == kNoButton) return nullptr;
    const TButtonSlot& s = slots[id];
    const auto& bogs = m.pages[page].BOGs;
    if (s.bog >= bogs.size() || s.index >= bogs[s.bog].buttons.size()) return nullptr;
    return &bogs[s.bog].buttons[s.index];
}

std::string menuSummaryText(const TIGSc& m) {
    return fmt::format("[b]{}[/b] ICS, [b]{}[/b] OCS, [b]{}[/b] PCS found.", m.ics_segments.empty() ? 0 : 1,
                       m.objects.size(), m.palettes.size());
}

std::string igTimeText(std::uint32_t ticks) {
    const std::uint64_t ms = ticks90kToMs(ticks);
    const std::uint64_t s = ms / 1000;
    return fmt::format("{}:{:02}:{:02}.{:03}", s / 3600, (s / 60) % 60, s % 60, ms % 1000);
}

std::string igDurationText(std::uint32_t ticks) {
    const std::uint64_t s = ticks / kTicks90kPerSecond;
    return fmt::format("{}:{:02}:{:02}", s / 3600, (s / 60) % 60, s % 60);
}

}  // namespace navora

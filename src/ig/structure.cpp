#include "core/bytes.h"
#include "core/clock.h"
#include "ig/structure.h"

#include "ig/load.h"
#include "ig/objects.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace navora {

// ---- New menu --------------------------------------------------------------

TIGbutton templateButton() {
    TIGbutton b;
    b.button_id = 0;
    b.button_numeric_select_value = 0xFFFF;
    b.auto_action_flag = 0;
    b.button_horizontal_position = 0;
    b.button_vertical_position = 0;
    b.upper_button_id_ref = b.lower_button_id_ref = b.left_button_id_ref = b.right_button_id_ref = 0;
    b.normal_start_object_id_ref = b.normal_end_object_id_ref = kNoObjectRef;
    b.normal_repeat_flag = 0;
    b.selected_state_sound_id_ref = 0xFF;
    b.selected_start_object_id_ref = b.selected_end_object_id_ref = kNoObjectRef;
    b.selected_repeat_flag = 0;
    b.activated_state_sound_id_ref = 0xFF;
    b.activated_start_object_id_ref = b.activated_end_object_id_ref = kNoObjectRef;
    return b;
}

TIGSc newMenu(const TIGSc& previous) {
    TIGSc m;
    m.video_width = 1920;
    m.video_height = 1080;
    m.frame_rate_id = 1;
    m.composition_number = previous.composition_number;
    m.composition_state = previous.composition_state;
    m.interactive_composition_data_length = 67;
    m.stream_model = StreamModel::OutOfMux;
    m.user_interface_model = UserInterfaceModel::PopUp;
    m.composition_time_out_pts = 0;
    m.selection_time_out_pts = 0;
    m.user_time_out_duration = previous.user_time_out_duration;
    m.in_time = 180000;

    TPage page;
    page.animation_frame_rate_code = 1;
    page.default_selected_button_id_ref = kNoButton;
    page.default_activated_button_id_ref = kNoButton;
    page.palette_id_ref = 0;
    TBOG bog;
    bog.default_valid_button_id_ref = kNoButton;
    bog.buttons = {templateButton()};
    page.BOGs = {bog};
    m.pages = {page};
    m.page_buttons = {buildButtonTable(m.pages[0])};
    return m;
}

// ---- Deleting --------------------------------------------------------------

namespace {

void checkRange(std::size_t first, std::size_t last, std::size_t count, const char* what) {
    if (first > last || last >= count)
        throw std::out_of_range(fmt::format("no {} {}..{} (the menu has {})", what, first, last, count));
}

TPage& pageAt(TIGSc& m, std::size_t page) {
    if (page >= m.pages.size()) throw std::out_of_range(fmt::format("no page {}", page));
    return m.pages[page];
}

// Every button of every BOG of every page (the button tables point into the BOGs).
template <class F>
void forEachButton(TIGSc& m, F f) {
    for (TPage& page : m.pages)
        for (TBOG& bog : page.BOGs)
            for (TIGbutton& b : bog.buttons) f(b);
}

template <class F>
void forEachEffect(TIGSc& m, F f) {
    for (TPage& page : m.pages)
        for (Teffectseq& seq : page.effects)
            for (Teffect& e : seq.effects) f(e);
}

}  // namespace

DeleteResult DelIGobj(TIGSc& m, std::size_t first, std::size_t last) {
    checkRange(first, last, m.objects.size(), "objects");
    for (std::size_t o = first; o <= last; ++o)
        if (!getobjref(m, o).empty()) return {false, "Cannot delete object. Remove all reference first."};

    const std::size_t k = last - first + 1;
    m.objects.erase(m.objects.begin() + static_cast<std::ptrdiff_t>(first),
                    m.objects.begin() + static_cast<std::ptrdiff_t>(last + 1));
    // No range straddles the deleted block (the check above), so moving the
    // bounds above it keeps every range on the same objects. 0xFFFF (no
    // object) stays, in the buttons and in the composition objects alike.
    auto renumber = [&](std::uint16_t& ref) {
        if (ref != kNoObjectRef && ref > last) ref = static_cast<std::uint16_t>(ref - k);
    };
    forEachButton(m, [&](TIGbutton& b) {
        renumber(b.normal_start_object_id_ref);
        renumber(b.normal_end_object_id_ref);
        renumber(b.selected_start_object_id_ref);
        renumber(b.selected_end_object_id_ref);
        renumber(b.activated_start_object_id_ref);
        renumber(b.activated_end_object_id_ref);
    });
    forEachEffect(m, [&](Teffect& e) {
        for (TCompObject& c : e.composition_objects) renumber(c.object_id_ref);
    });
    return {true, {}};
}

DeleteResult DelPale(TIGSc& m, std::size_t first, std::size_t last) {
    if (m.palettes.size() < 2) return {false, "Cannot delete palette. Remove all objects first."};
    checkRange(first, last, m.palettes.size(), "palettes");
    for (std::size_t p = first; p <= last; ++p) {
        const std::string ref = getpalref(m, p);
        if (ref.find_first_not_of(' ') != std::string::npos)
            return {false, "Cannot delete palette. Remove all reference first."};
    }
    const std::size_t k = last - first + 1;
    m.palettes.erase(m.palettes.begin() + static_cast<std::ptrdiff_t>(first),
                     m.palettes.begin() + static_cast<std::ptrdiff_t>(last + 1));
    for (std::size_t p = first; p < m.palettes.size(); ++p) m.palettes[p].palette_id = static_cast<std::uint16_t>(p);
    auto renumber = [&](std::uint8_t& ref) {
        if (ref > last) ref = static_cast<std::uint8_t>(ref - k);
    };
    for (TPage& page : m.pages) renumber(page.palette_id_ref);
    forEachEffect(m, [&](Teffect& e) { renumber(e.palette_id_ref); });
    return {true, {}};
}

// ---- Page header -------------------------------------------------------------

namespace {

template <class T, class V>
bool store(T& field, V value) {
    if (field == static_cast<T>(value)) return false;
    field = static_cast<T>(value);
    return true;
}

}  // namespace

bool setDefaultSelectedButton(TIGSc& m, std::size_t page, std::uint16_t id) {
    return store(pageAt(m, page).default_selected_button_id_ref, id);
}

bool setDefaultActivatedButton(TIGSc& m, std::size_t page, std::uint16_t id) {
    return store(pageAt(m, page).default_activated_button_id_ref, id);
}

bool setPagePalette(TIGSc& m, std::size_t page, std::uint32_t palette) {
    TPage& p = pageAt(m, page);
    if (palette >= m.palettes.size()) return false;
    return store(p.palette_id_ref, palette);
}

bool setUOMaskHigh(TIGSc& m, std::size_t page, std::uint32_t mask) { return store(pageAt(m, page).UO_mask_high, mask); }

bool setUOMaskLow(TIGSc& m, std::size_t page, std::uint32_t mask) { return store(pageAt(m, page).UO_mask_low, mask); }

bool setAnimationFrameRateCode(TIGSc& m, std::size_t page, std::uint8_t code) {
    return store(pageAt(m, page).animation_frame_rate_code, code);
}

// ---- User time-out --------------------------------------------------------------

std::uint32_t parseUserTimeOut(std::string_view text) {
    const std::string shown(text);
    auto invalid = [&] { return InvalidTimeError(fmt::format("'{}' is not a valid time", shown)); };
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    // Up to three fields separated by ':', each one or two digits: hours
    // 0..23, minutes and seconds 0..59.
    // The seconds may carry up to three decimals ("0:00:01.5"), as the box
    // shows a time-out that is not a whole number of seconds.
    unsigned fields[3] = {0, 0, 0};
    unsigned ms = 0;
    int count = 0;
    const auto digitsAt = [&text] {
        std::size_t n = 0;
        while (n < text.size() && std::isdigit(static_cast<unsigned char>(text[n]))) ++n;
        return n;
    };
    while (true) {
        if (count == 3) throw invalid();
        const std::size_t digits = digitsAt();
        if (digits == 0 || digits > 2) throw invalid();
        std::from_chars(text.data(), text.data() + digits, fields[count]);
        ++count;
        text.remove_prefix(digits);
        if (count == 3 && !text.empty() && text.front() == '.') {
            text.remove_prefix(1);
            const std::size_t decimals = digitsAt();
            if (decimals == 0 || decimals > 3) throw invalid();
            std::from_chars(text.data(), text.data() + decimals, ms);
            for (std::size_t d = decimals; d < 3; ++d) ms *= 10;
            text.remove_prefix(decimals);
        }
        if (text.empty()) break;
        if (text.front() != ':') throw invalid();
        text.remove_prefix(1);
    }
    if (count < 2 || fields[0] > 23 || fields[1] > 59 || fields[2] > 59) throw invalid();
    const std::uint64_t ticks =
        secondsTo90k(std::uint64_t{fields[0]} * 3600 + fields[1] * 60 + fields[2]) + std::uint64_t{ms} * 90;
    if (ticks > kMaxUserTimeOut)
        throw InvalidTimeError(fmt::format("'{}' is longer than the longest user time-out (0:03:06)", shown));
    return static_cast<std::uint32_t>(ticks);
}

bool setUserTimeOut(TIGSc& m, std::string_view text) { return store(m.user_time_out_duration, parseUserTimeOut(text)); }

std::string userTimeOutText(std::uint32_t ticks) {
    const std::uint64_t s = ticks / kTicks90kPerSecond;
    const std::string whole = fmt::format("{}:{:02}:{:02}", s / 3600, (s / 60) % 60, s % 60);
    const std::uint32_t rest = ticks % kTicks90kPerSecond;
    return rest == 0 ? whole : fmt::format("{}.{:03}", whole, rest / 90);
}

// ---- BOG grid ------------------------------------------------------------------------

bool setDefaultValidButton(TIGSc& m, std::size_t page, std::size_t bog, std::uint32_t id) {
    TPage& p = pageAt(m, page);
    if (bog >= p.BOGs.size()) throw std::out_of_range(fmt::format("no BOG {} on page {}", bog, page));
    const std::size_t slots = page < m.page_buttons.size() ? m.page_buttons[page].byId.size() : 0;
    if (id != kNoButton && id >= slots) return false;
    return store(p.BOGs[bog].default_valid_button_id_ref, id);
}

// ---- Button grid ------------------------------------------------------------------------

const std::array<std::string_view, kButtonColumns>& buttonColumnTitles() {
    static const std::array<std::string_view, kButtonColumns> titles = {
        "id",      "value",  "a.act.",   "X",       "Y",     "upper",   "lower",   "left",  "right", "n.start",
        "n.end",   "n.repeat", "s.sound", "s.start", "s.end", "s.repeat", "a.sound", "a.start", "a.end", "comm.",
    };
    return titles;
}

std::string_view buttonColumnMask(ButtonColumn c) {
    switch (c) {
    case ButtonColumn::AutoAction:
    case ButtonColumn::NormalRepeat:
    case ButtonColumn::SelectedRepeat: return ">L";
    case ButtonColumn::X:
    case ButtonColumn::Y: return "9999";
    case ButtonColumn::SelectedSound:
    case ButtonColumn::ActivatedSound: return ">AA";
    case ButtonColumn::Id:
    case ButtonColumn::Commands: return "-";
    default: return ">AAAA";
    }
}

namespace {

// The object range bounds of a state, by the column of its start.
struct StateRefs {
    std::uint16_t* start;
    std::uint16_t* end;
    std::uint8_t* repeat;  // null for the activated state
};

StateRefs stateOf(TIGbutton& b, ButtonColumn c) {
    switch (c) {
    case ButtonColumn::NormalStart:
    case ButtonColumn::NormalEnd:
    case ButtonColumn::NormalRepeat:
        return {&b.normal_start_object_id_ref, &b.normal_end_object_id_ref, &b.normal_repeat_flag};
    case ButtonColumn::SelectedStart:
    case ButtonColumn::SelectedEnd:
    case ButtonColumn::SelectedRepeat:
        return {&b.selected_start_object_id_ref, &b.selected_end_object_id_ref, &b.selected_repeat_flag};
    default: return {&b.activated_start_object_id_ref, &b.activated_end_object_id_ref, nullptr};
    }
}

std::uint16_t* neighbourOf(TIGbutton& b, ButtonColumn c) {
    switch (c) {
    case ButtonColumn::Upper: return &b.upper_button_id_ref;
    case ButtonColumn::Lower: return &b.lower_button_id_ref;
    case ButtonColumn::Left: return &b.left_button_id_ref;
    default: return &b.right_button_id_ref;
    }
}

std::uint32_t parseDecimal(std::string_view text) {
    std::uint32_t v = 0;
    for (char ch : text)
        if (ch >= '0' && ch <= '9') v = v * 10 + static_cast<std::uint32_t>(ch - '0');
    return v;
}

}  // namespace

std::string buttonCellText(const TIGbutton& b, ButtonColumn c) {
    auto hex4 = [](std::uint16_t v) { return fmt::format("{:04X}", v); };
    auto yesNo = [](std::uint8_t f) { return std::string(f == 1 ? "Yes" : "No"); };
    switch (c) {
    case ButtonColumn::Id: return hex4(b.button_id);
    case ButtonColumn::Value: return hex4(b.button_numeric_select_value);
    case ButtonColumn::AutoAction: return yesNo(b.auto_action_flag);
    case ButtonColumn::X: return std::to_string(b.button_horizontal_position);
    case ButtonColumn::Y: return std::to_string(b.button_vertical_position);
    case ButtonColumn::Upper: return hex4(b.upper_button_id_ref);
    case ButtonColumn::Lower: return hex4(b.lower_button_id_ref);
    case ButtonColumn::Left: return hex4(b.left_button_id_ref);
    case ButtonColumn::Right: return hex4(b.right_button_id_ref);
    case ButtonColumn::NormalStart: return hex4(b.normal_start_object_id_ref);
    case ButtonColumn::NormalEnd: return hex4(b.normal_end_object_id_ref);
    case ButtonColumn::NormalRepeat: return yesNo(b.normal_repeat_flag);
    case ButtonColumn::SelectedSound: return fmt::format("{:02X}", b.selected_state_sound_id_ref);
    case ButtonColumn::SelectedStart: return hex4(b.selected_start_object_id_ref);
    case ButtonColumn::SelectedEnd: return hex4(b.selected_end_object_id_ref);
    case ButtonColumn::SelectedRepeat: return yesNo(b.selected_repeat_flag);
    case ButtonColumn::ActivatedSound: return fmt::format("{:02X}", b.activated_state_sound_id_ref);
    case ButtonColumn::ActivatedStart: return hex4(b.activated_start_object_id_ref);
    case ButtonColumn::ActivatedEnd: return hex4(b.activated_end_object_id_ref);
    case ButtonColumn::Commands: return std::to_string(b.commands.size());
    }
    return {};
}

bool setButtonCell(TIGSc& m, std::size_t page, std::size_t bog, std::size_t index, ButtonColumn column,
                   std::string_view text, std::size_t soundEntries) {
    TPage& p = pageAt(m, page);
    if (bog >= p.BOGs.size() || index >= p.BOGs[bog].buttons.size())
        throw std::out_of_range(fmt::format("no button {} in BOG {} of page {}", index, bog, page));
    // A partly filled edit mask leaves blanks: nothing is applied.
    if (text.find(' ') != std::string_view::npos) return false;
    TIGbutton& b = p.BOGs[bog].buttons[index];
    const TIGbutton before = b;
    const std::uint32_t hex = parseLenientHex(text);
    const bool yes = text == "Y" || text == "y";
    const std::size_t slots = page < m.page_buttons.size() ? m.page_buttons[page].byId.size() : 0;

    switch (column) {
    case ButtonColumn::Id:
    case ButtonColumn::Commands: break;
    case ButtonColumn::Value: b.button_numeric_select_value = static_cast<std::uint16_t>(hex); break;
    case ButtonColumn::AutoAction: b.auto_action_flag = yes ? 1 : 0; break;
    case ButtonColumn::X: {
        const std::uint32_t v = parseDecimal(text);
        if (v < m.video_width) b.button_horizontal_position = static_cast<std::uint16_t>(v);
        break;
    }
    case ButtonColumn::Y: {
        const std::uint32_t v = parseDecimal(text);
        if (v < m.video_height) b.button_vertical_position = static_cast<std::uint16_t>(v);
        break;
    }
    case ButtonColumn::Upper:
    case ButtonColumn::Lower:
    case ButtonColumn::Left:
    case ButtonColumn::Right:
        if (hex < slots) *neighbourOf(b, column) = static_cast<std::uint16_t>(hex);
        break;
    case ButtonColumn::NormalStart:
    case ButtonColumn::SelectedStart:
    case ButtonColumn::ActivatedStart: {
        if (hex >= m.objects.size()) break;
        const StateRefs s = stateOf(b, column);
        *s.start = static_cast<std::uint16_t>(hex);
        if (*s.end == kNoObjectRef || *s.end < *s.start) *s.end = *s.start;
        break;
    }
    case ButtonColumn::NormalEnd:
    case ButtonColumn::SelectedEnd:
    case ButtonColumn::ActivatedEnd:
        if (hex < m.objects.size()) *stateOf(b, column).end = static_cast<std::uint16_t>(hex);
        break;
    case ButtonColumn::NormalRepeat:
    case ButtonColumn::SelectedRepeat: {
        const StateRefs s = stateOf(b, column);
        // A single object cannot repeat.
        *s.repeat = (*s.start != *s.end && yes) ? 1 : 0;
        break;
    }
    case ButtonColumn::SelectedSound:
    case ButtonColumn::ActivatedSound:
        if (hex < soundEntries || hex == 0xFF) {
            auto& sound = column == ButtonColumn::SelectedSound ? b.selected_state_sound_id_ref
                                                                : b.activated_state_sound_id_ref;
            sound = static_cast<std::uint16_t>(hex);
        }
        break;
    }
    return !(b == before);
}

bool setButtonCommands(TIGSc& m, std::size_t page, std::size_t bog, std::size_t index, const TCommands& commands) {
    TPage& p = pageAt(m, page);
    if (bog >= p.BOGs.size() || index >= p.BOGs[bog].buttons.size())
        throw std::out_of_range(fmt::format("no button {} in BOG {} of page {}", index, bog, page));
    TIGbutton& b = p.BOGs[bog].buttons[index];
    if (b.commands == commands) return false;
    b.commands = commands;
    return true;
}

EditResult editButtonCommands(TIGSc& m, std::size_t page, std::size_t bog, std::size_t index,
                              const std::function<EditResult(TCommands&)>& edit) {
    TPage& p = pageAt(m, page);
    if (bog >= p.BOGs.size() || index >= p.BOGs[bog].buttons.size())
        throw std::out_of_range(fmt::format("no button {} in BOG {} of page {}", index, bog, page));
    return edit(p.BOGs[bog].buttons[index].commands);
}

// ---- Cropping ---------------------------------------------------------------------------

bool setCropping(TIGSc& m, std::size_t page, EffectKind kind, std::size_t effect, std::size_t object,
                 CropField field, long long value) {
    Teffectseq& seq = pageAt(m, page).effects.at(static_cast<std::size_t>(kind));
    if (effect >= seq.effects.size() || object >= seq.effects[effect].composition_objects.size())
        throw std::out_of_range(fmt::format("no composition object {} in effect {} of page {}", object, effect, page));
    if (value < 0 || value > 0xFFFF) return false;
    TCompObject& c = seq.effects[effect].composition_objects[object];
    switch (field) {
    case CropField::X: return store(c.cropping_horizontal_position, value);
    case CropField::Y: return store(c.cropping_vertical_position, value);
    case CropField::Width: return store(c.cropping_width, value);
    case CropField::Height: return store(c.cropping_height, value);
    }
    return false;
}

// ---- Reference check ------------------------------------------------------------------------

std::vector<std::string> menuReferenceFaults(const TIGSc& m, std::optional<std::size_t> only) {
    std::vector<std::string> faults;
    for (std::size_t p = 0; p < m.pages.size(); ++p) {
        if (only && *only != p) continue;
        const TPage& page = m.pages[p];
        std::vector<std::uint16_t> ids;
        for (const TBOG& bog : page.BOGs)
            for (const TIGbutton& b : bog.buttons) ids.push_back(b.button_id);
        auto onPage = [&](std::uint16_t id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
        if (page.default_selected_button_id_ref != kNoButton && !onPage(page.default_selected_button_id_ref))
            faults.push_back(fmt::format("Page {}: default selected button {:04X} does not exist", p,
                                         page.default_selected_button_id_ref));
        const std::uint16_t activated = page.default_activated_button_id_ref;
        if (activated != kNoButton && activated != 0xFFFE && !onPage(activated))
            faults.push_back(fmt::format("Page {}: default activated button {:04X} does not exist", p, activated));
        for (std::size_t g = 0; g < page.BOGs.size(); ++g) {
            const TBOG& bog = page.BOGs[g];
            const std::uint16_t valid = bog.default_valid_button_id_ref;
            if (valid != kNoButton && std::none_of(bog.buttons.begin(), bog.buttons.end(),
                                                   [&](const TIGbutton& b) { return b.button_id == valid; }))
                faults.push_back(
                    fmt::format("Page {}, BOG {}: default valid button {:04X} is not one of the BOG's "
                                "buttons",
                                p, g, valid));
            for (const TIGbutton& b : bog.buttons) {
                const std::pair<const char*, std::uint16_t> neighbours[] = {{"upper", b.upper_button_id_ref},
                                                                            {"lower", b.lower_button_id_ref},
                                                                            {"left", b.left_button_id_ref},
                                                                            {"right", b.right_button_id_ref}};
                for (const auto& [name, id] : neighbours)
                    if (!onPage(id))
                        faults.push_back(fmt::format("Page {}, BOG {}, button {:04X}: {} button {:04X} does not exist",
                                                     p, g, b.button_id, name, id));
            }
        }
    }
    return faults;
}

}  // namespace navora

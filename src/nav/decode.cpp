#include "nav/decode.h"

#include <algorithm>
#include <array>

namespace navora {

unsigned commandOption(std::uint32_t w0) {
    switch (static_cast<CommandGroup>(commandGroup(w0))) {
    case CommandGroup::Branch: return branchOption(w0);
    case CommandGroup::Compare: return compareOption(w0);
    case CommandGroup::Set: return setOption(w0);
    }
    return 0;
}

PackedKind packedKind(std::uint32_t w0) {
    switch (opcodeOf(w0)) {
    case Opcode::SetStream: return PackedKind::SetStream;
    case Opcode::SetButtonPage: return PackedKind::SetButtonPage;
    case Opcode::SetSecondaryStream: return PackedKind::SetSecondaryStream;
    default: return PackedKind::None;
    }
}

namespace {

struct Tables {
    std::array<std::array<std::array<std::string, kOptions>, kSubGroups>, kGroups> names;
    std::array<std::array<std::array<int, kOptions>, kSubGroups>, kGroups> counts{};
    std::vector<std::uint32_t> valid;

    Tables() {
        auto put = [this](unsigned g, unsigned s, std::initializer_list<std::pair<const char*, int>> entries) {
            unsigned o = 0;
            for (const auto& [name, count] : entries) {
                names[g][s][o] = name;
                counts[g][s][o] = count;
                ++o;
            }
        };
        put(0, 0, {{"NOP", 0}, {"GoTo", 1}, {"Break", 0}});
        put(0, 1, {{"Jump Object", 1}, {"Jump Title", 1}, {"Call Object", 1}, {"Call Title", 1}, {"Resume", 0}});
        put(0, 2, {{"Play PL", 1},
                   {"Play PL_PI", 2},
                   {"Play PL_MK", 2},
                   {"Terminate PL", 0},
                   {"Link PI", 1},
                   {"Link MK", 1}});
        put(1, 0, {{"--", 0}, {"BC", 2}, {"EQ", 2}, {"NE", 2}, {"GE", 2}, {"GT", 2}, {"LE", 2}, {"LT", 2}});
        put(2, 0, {{"---", 0},
                   {"Move", 2},
                   {"Swap", 2},
                   {"Add", 2},
                   {"Sub", 2},
                   {"Mul", 2},
                   {"Div", 2},
                   {"Mod", 2},
                   {"Rnd", 2},
                   {"And", 2},
                   {"Or", 2},
                   {"Xor", 2},
                   {"Bit Set", 2},
                   {"Bit Clear", 2},
                   {"Shift Left", 2},
                   {"Shift Right", 2}});
        put(2, 1, {{"---", 0},
                   {"SetStream", 2},
                   {"SetNVTimer", 2},
                   {"SetButtonPage", 2},
                   {"EnableButton", 1},
                   {"DisableButton", 1},
                   {"SetSecondaryStream", 2},
                   {"PopUpMenu Off", 0},
                   {"Still On", 0},
                   {"Still Off", 0}});

        // The valid words in table order; PopUpMenu Off, Still On and Still
        // Off are listed twice, as the table has always been built.
        auto add = [this](std::initializer_list<std::uint32_t> words) {
            valid.insert(valid.end(), words.begin(), words.end());
        };
        auto range = [this](std::uint32_t from, std::uint32_t to) {
            for (std::uint32_t w = from; w <= to; ++w) valid.push_back(w);
        };
        add({0x00000000, 0x20010000, 0x20810000, 0x00020000});
        add({0x21000000, 0x21800000, 0x21010000, 0x21810000, 0x21020000, 0x21820000, 0x21030000, 0x21830000});
        add({0x01040000, 0x22000000, 0x22800000});
        add({0x42010000, 0x42810000, 0x42410000, 0x42C10000, 0x42020000, 0x42820000, 0x42420000, 0x42C20000});
        add({0x02030000, 0x22040000, 0x22840000, 0x22050000, 0x22850000});
        for (std::uint32_t op = 1; op <= 7; ++op) {
            std::uint32_t o = op << 8;
            add({0x08000000 | o, 0x48000000 | o, 0x48C00000 | o, 0x48400000 | o});
        }
        range(0x10000001, 0x10000005);
        range(0x50000001, 0x50000005);
        range(0x50400001, 0x50400005);
        range(0x50000006, 0x5000000F);
        range(0x50400006, 0x5040000F);
        for (std::uint32_t op : {1u, 2u, 3u})
            add({0x51000000 | op, 0x51800000 | op, 0x51400000 | op, 0x51C00000 | op, 0x11000000 | op});
        add({0x31000004, 0x31800004, 0x11000004, 0x31000005, 0x31800005, 0x11000005});
        add({0x51000006, 0x51800006, 0x51400006, 0x51C00006, 0x11000006});
        add({0x11000007, 0x11000008, 0x11000009});
        add({0x11000007, 0x11000008, 0x11000009});
        add({0x31000010, 0x31000011});
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

const std::vector<std::uint32_t> kForbiddenMovieObject = {0x02030000, 0x22050000, 0x22850000, 0x22040000,
                                                          0x22840000, 0x31000004, 0x31800004, 0x31000005,
                                                          0x31800005, 0x11000007, 0x11000008, 0x11000009};
const std::vector<std::uint32_t> kForbiddenButton = {0x22000000, 0x22800000, 0x42010000, 0x42810000, 0x42410000,
                                                     0x42C10000, 0x42020000, 0x42820000, 0x42420000, 0x42C20000};

const std::string kEmpty;

}  // namespace

const std::vector<std::string>& groupNames() {
    static const std::vector<std::string> names = {"Branch", "Compare", "Set"};
    return names;
}

const std::vector<std::string>& subGroupNames(unsigned group) {
    static const std::vector<std::string> names[4] = {{"GoTo", "Jump", "Play"}, {"-"}, {"Set", "SetSystem"}, {}};
    return names[group < 3 ? group : 3];
}

const std::string& commandName(unsigned group, unsigned subGroup, unsigned option) {
    if (group >= kGroups || subGroup >= kSubGroups || option >= kOptions) return kEmpty;
    return tables().names[group][subGroup][option];
}

int expectedOperandCount(unsigned group, unsigned subGroup, unsigned option) {
    if (group >= kGroups || subGroup >= kSubGroups || option >= kOptions) return 0;
    return tables().counts[group][subGroup][option];
}

const std::vector<std::uint32_t>& validCommandWords() { return tables().valid; }

bool isValidCommand(std::uint32_t w0) {
    const auto& v = tables().valid;
    return std::find(v.begin(), v.end(), w0) != v.end();
}

const std::vector<std::uint32_t>& forbiddenCommandWords(CommandContext context) {
    return context == CommandContext::MovieObject ? kForbiddenMovieObject : kForbiddenButton;
}

bool isForbiddenCommand(std::uint32_t w0, CommandContext context) {
    const auto& f = forbiddenCommandWords(context);
    return std::find(f.begin(), f.end(), w0) != f.end();
}

const std::vector<std::string>& psrDescriptions() {
    static const std::vector<std::string> d = {
        "Interactive Graphics Stream Number (b7-b0) {1-32,$ff}",
        "Primary Audio Stream Number (b7-b0) {1-32,$ff}",
        "PG and PiP PG TextST Stream Number (b31: disp_s, b30: PIP_PG_textST_valid, b27-b16: PiP PG TextST, "
        "b11-b0: PG TextST) {0-255,$fff}",
        "Angle Number (b7-b0) {1-9}",
        "Title Number (b15-b0) {1-999,$ffff}",
        "Chapter Number (b15-b0) {1-999,$ffff}",
        "PlayList id (b15-b0) {0-1999}",
        "PlayItem id (b15-b0) {0-998}",
        "Presentation Time in 45kHz {0-$ffffffff}",
        "Navigation Timer (b15-b0) {0-300} sec",
        "Selected Button id (b15-b0) {0-$1fdf,$ffff}",
        "Menu Page id (b7-b0) {0-$fe}",
        "User Style Number (b7-b0) {1-25,$ff}",
        "Parental Level (b7-b0) {0-255} age",
        "Sec. Audio and Sec. Video Stream Number (b31: disp_v, b30: disp_a, b27-b24: sec. video size, b15-b8: "
        "sec.video, b7-b0: sec.audio",
        "Player Capability for Audio (b15-b14: MLP, b13-b12: DD Lossless, b11-b10: DTS-HD ext., b9-b8: DTS-HD "
        "core, b7-b6: DD+ dep., b5-b4: DD+ ind., b3-b0: LPCM)",
        "Language Code for Audio (b23-b0)",
        "Language code for PG and Text subtitle (b23-b0)",
        "Language Code for Menu (b23-b0)",
        "Country Code (b15-b0)",
        "Region Code (b7-b0) {1,2,4}",
        "reserved",
        "reserved",
        "reserved",
        "reserved",
        "reserved",
        "reserved",
        "reserved",
        "reserved",
        "Player Capability for Video (b1: 50Hz and 25Hz, b0: HD sec video)",
        "Player Capability for Text Subtitle",
        "Player Profile / Version number (b19-b16: profile {0,1,3,8}, b15-b0: player version {$0200})",
        "reserved",
        "reserved",
        "reserved",
        "reserved",
        "Back-up Register for PSR4",
        "Back-up Register for PSR5",
        "Back-up Register for PSR6",
        "Back-up Register for PSR7",
        "Back-up Register for PSR8",
        "reserved",
        "Back-up Register for PSR10",
        "Back-up Register for PSR11",
        "Back-up Register for PSR12",
    };
    return d;
}

std::string_view psrDescription(unsigned p) {
    const auto& d = psrDescriptions();
    return p < d.size() ? std::string_view(d[p]) : std::string_view();
}

}  // namespace navora

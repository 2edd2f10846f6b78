#pragma once
// Decoding of navigation command words: the fields of the opcode word, the
// operand words, and the fixed tables (names, expected operand counts, valid
// and forbidden words, player status register descriptions).

#include "core/command.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// Where a command list lives: a movie object program or a menu button program.
// Decides which valid words are forbidden.
enum class CommandContext { MovieObject, Button };

// --- Named codes of word 0 ---

// The fields of word 0: operand count, group, sub-group, the immediate
// flags (the operand word holds the value itself, not a register number),
// and the option, whose place depends on the group.
inline constexpr std::uint32_t kOperandCountField = 0xE0000000;  // bits 31-29
inline constexpr std::uint32_t kGroupField = 0x18000000;         // bits 28-27
inline constexpr std::uint32_t kSubGroupField = 0x07000000;      // bits 26-24
inline constexpr std::uint32_t kImmediate1 = 0x00800000;         // bit 23, operand 1
inline constexpr std::uint32_t kImmediate2 = 0x00400000;         // bit 22, operand 2
// An operand word with this bit names a PSR, without it a GPR.
inline constexpr std::uint32_t kPsrFlag = 0x80000000;

enum class CommandGroup : unsigned { Branch = 0, Compare = 1, Set = 2 };
enum class BranchSubGroup : unsigned { GoTo = 0, Jump = 1, Play = 2 };
enum class SetSubGroup : unsigned { Set = 0, SetSystem = 1 };
// Option 0 of Compare keeps the outcome of the run's previous comparison.
enum class CompareOption : unsigned { Previous = 0, BC, EQ, NE, GE, GT, LE, LT };
enum class SetOption : unsigned {
    None = 0, Move, Swap, Add, Sub, Mul, Div, Mod, Rnd, And, Or, Xor, BitSet, BitClear, ShiftLeft, ShiftRight
};

// Word 0 of each command with both immediate flags clear; a command's word is
// one of these with the flags of its immediate operands set (withFlags()).
enum class Opcode : std::uint32_t {
    Nop = 0x00000000,
    GoTo = 0x20010000,
    Break = 0x00020000,
    JumpObject = 0x21000000,
    JumpTitle = 0x21010000,
    CallObject = 0x21020000,
    CallTitle = 0x21030000,
    Resume = 0x01040000,
    PlayPL = 0x22000000,
    PlayPLatPI = 0x42010000,
    PlayPLatMK = 0x42020000,
    TerminatePL = 0x02030000,
    LinkPI = 0x22040000,
    LinkMK = 0x22050000,
    Move = 0x50000001,
    SetStream = 0x51000001,
    SetNVTimer = 0x51000002,
    SetButtonPage = 0x51000003,
    EnableButton = 0x31000004,
    DisableButton = 0x31000005,
    SetSecondaryStream = 0x51000006,
    PopUpMenuOff = 0x11000007,
    StillOn = 0x11000008,
    StillOff = 0x11000009,
};

// Word 0 without its immediate flags.
constexpr Opcode opcodeOf(std::uint32_t w0) { return static_cast<Opcode>(w0 & ~(kImmediate1 | kImmediate2)); }
// The word of an opcode whose operands 1 and 2 are immediate as given.
constexpr std::uint32_t withFlags(Opcode op, bool immediate1, bool immediate2 = false) {
    return static_cast<std::uint32_t>(op) | (immediate1 ? kImmediate1 : 0) | (immediate2 ? kImmediate2 : 0);
}

// The Set operations (group Set, sub-group Set, two operands) with option 0.
inline constexpr std::uint32_t kSetOperations = 0x50000000;
// The navigation machine compares on every word from "BC" with two register
// operands to "LT" with two immediate operands, by the option in bits 10-8.
inline constexpr std::uint32_t kFirstCompareWord = 0x48000100;
inline constexpr std::uint32_t kLastCompareWord = 0x48C00700;

// --- Fields of word 0 ---

inline unsigned operandCount(std::uint32_t w0) { return w0 >> 29; }
inline unsigned commandGroup(std::uint32_t w0) { return (w0 >> 27) & 3; }
inline unsigned commandSubGroup(std::uint32_t w0) { return (w0 >> 24) & 7; }
inline bool op1Immediate(std::uint32_t w0) { return (w0 & kImmediate1) != 0; }
inline bool op2Immediate(std::uint32_t w0) { return (w0 & kImmediate2) != 0; }
inline unsigned branchOption(std::uint32_t w0) { return (w0 >> 16) & 0xF; }
inline unsigned compareOption(std::uint32_t w0) { return (w0 >> 8) & 0xF; }
inline unsigned setOption(std::uint32_t w0) { return w0 & 0x1F; }
// The branch, compare or set option by group; 0 for group 3.
unsigned commandOption(std::uint32_t w0);

inline unsigned operandCount(const TCommand& c) { return operandCount(c.w[0]); }
inline unsigned commandGroup(const TCommand& c) { return commandGroup(c.w[0]); }
inline unsigned commandSubGroup(const TCommand& c) { return commandSubGroup(c.w[0]); }
inline unsigned commandOption(const TCommand& c) { return commandOption(c.w[0]); }

// --- Operand words ---

enum class RegisterKind { GPR, PSR };

// A register operand names a PSR when bit 31 is set, else a GPR.
inline RegisterKind registerKind(std::uint32_t w) { return (w & kPsrFlag) ? RegisterKind::PSR : RegisterKind::GPR; }
inline unsigned psrNumber(std::uint32_t w) { return w & 0x7F; }
inline unsigned gprNumber(std::uint32_t w) { return w & 0xFFF; }
inline unsigned registerNumber(std::uint32_t w) {
    return registerKind(w) == RegisterKind::PSR ? psrNumber(w) : gprNumber(w);
}

// Operand n (1 or 2): is it immediate, and its word.
inline bool operandImmediate(const TCommand& c, int n) { return n == 1 ? op1Immediate(c.w[0]) : op2Immediate(c.w[0]); }
inline std::uint32_t operandWord(const TCommand& c, int n) { return c.w[n == 1 ? 1 : 2]; }

// The three SetSystem commands whose operands hold two flagged sub-fields.
enum class PackedKind { None, SetStream, SetButtonPage, SetSecondaryStream };
// The packed kind of word 0: only the exact words 51000001, 51400001,
// 51800001, 51C00001 (SetStream), the same with option 3 (SetButtonPage)
// and option 6 (SetSecondaryStream).
PackedKind packedKind(std::uint32_t w0);

// --- Tables ---

inline constexpr int kGroups = 3;
inline constexpr int kSubGroups = 8;
inline constexpr int kOptions = 32;
inline constexpr int kPsrCount = 128;
inline constexpr int kGprCount = 4096;
// The player status registers the navigation machine and the menu emulator
// read and write.
inline constexpr unsigned kPsrIgStream = 0;           // Interactive Graphics stream number
inline constexpr unsigned kPsrPrimaryAudio = 1;       // primary audio stream number
inline constexpr unsigned kPsrPgTextSt = 2;           // PG and text subtitle stream number
inline constexpr unsigned kPsrAngle = 3;              // angle number
inline constexpr unsigned kPsrTitle = 4;              // title number
inline constexpr unsigned kPsrChapter = 5;            // chapter number
inline constexpr unsigned kPsrPlaylist = 6;           // playlist id
inline constexpr unsigned kPsrPlayItem = 7;           // PlayItem id
inline constexpr unsigned kPsrPresentationTime = 8;   // presentation time, 45 kHz
inline constexpr unsigned kPsrSelectedButton = 10;    // the selected button's id
inline constexpr unsigned kPsrMenuPage = 11;          // the menu page shown
inline constexpr unsigned kPsrStyle = 12;             // user style number
inline constexpr unsigned kPsrSecondaryStreams = 14;  // secondary audio and video stream numbers
inline constexpr unsigned kPsrAudioCapability = 15;
inline constexpr unsigned kPsrAudioLanguage = 16;
inline constexpr unsigned kPsrPgLanguage = 17;
inline constexpr unsigned kPsrMenuLanguage = 18;
inline constexpr unsigned kPsrCountry = 19;
inline constexpr unsigned kPsrRegion = 20;
inline constexpr unsigned kPsrVideoCapability = 29;
inline constexpr unsigned kPsrTextCapability = 30;
inline constexpr unsigned kPsrPlayerProfile = 31;
inline constexpr unsigned kPsrMenuPageCopy = 43;  // the page shown, for the renderer's redraw
// The characteristic text capabilities, PSR48 to PSR61.
inline constexpr unsigned kPsrCharacteristicTextFirst = 48;
inline constexpr unsigned kPsrCharacteristicTextLast = 61;
// PSR10 when no button is selected (also the button id ref "none" of a menu).
inline constexpr std::uint32_t kNoButtonSelected = 0xFFFF;
// PSR11 before a menu page was shown.
inline constexpr std::uint32_t kNoMenuPage = 0xFFFF;
inline constexpr int kPsrDescriptions = 45;

// "Branch", "Compare", "Set".
const std::vector<std::string>& groupNames();
// The sub-group names of a group ("GoTo", "Jump", "Play" / "-" / "Set",
// "SetSystem"); empty for group 3.
const std::vector<std::string>& subGroupNames(unsigned group);
// The command name of (group, sub-group, option); empty for every unlisted
// combination and for group 3.
const std::string& commandName(unsigned group, unsigned subGroup, unsigned option);
inline const std::string& commandName(std::uint32_t w0) {
    return commandName(commandGroup(w0), commandSubGroup(w0), commandOption(w0));
}
// The operand count a command of (group, sub-group, option) takes.
int expectedOperandCount(unsigned group, unsigned subGroup, unsigned option);

// The valid words 0 as the table is built: 125 entries, 122 distinct.
const std::vector<std::uint32_t>& validCommandWords();
bool isValidCommand(std::uint32_t w0);
// The valid words that are forbidden in a context (12 for movie objects, 10 for buttons).
const std::vector<std::uint32_t>& forbiddenCommandWords(CommandContext context);
bool isForbiddenCommand(std::uint32_t w0, CommandContext context);

// The 45 PSR descriptions (PSR 0..44).
const std::vector<std::string>& psrDescriptions();
// The description of PSR p; empty for p >= 45.
std::string_view psrDescription(unsigned p);

}  // namespace navora

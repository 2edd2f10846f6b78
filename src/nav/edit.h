#pragma once
// Editing of command lists: line edits with the command clipboard, GoTo
// target maintenance, the command composer's word transformations and display
// state, following a command to what it names, and program list exports.

#include "core/bytes.h"
#include "core/command.h"
#include "nav/decode.h"
#include "navdb/movieobject.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// Insertion never makes a list longer than this.
inline constexpr std::size_t kMaxCommands = 9999;

// The command clipboard: program-wide, filled by copy and cut, used by paste.
struct CommandClipboard {
    TCommands commands;
};
CommandClipboard& commandClipboard();

// What an edit did and what the grid shows afterwards.
struct EditResult {
    bool changed = false;
    std::optional<std::size_t> select;  // the line to select; none when the list is empty
    std::ptrdiff_t delta = 0;           // commands added (> 0) or removed (< 0)
    std::string status;                 // status panel 1 text, when the edit reports one
};

// --- Line edits on a list ---

// Inserts cmds after line `after` (the last selected line); into an empty
// list at 0 .. n-1. Refused (unchanged) when the list would exceed 9999.
EditResult inscmd(TCommands& list, std::size_t after, const TCommands& cmds);
// Deletes lines first..last (clamped to the list).
EditResult delecmd(TCommands& list, std::size_t first, std::size_t last);
// Puts lines first..last into the clipboard ("Command(s) copied").
EditResult copycmd(const TCommands& list, std::size_t first, std::size_t last, CommandClipboard& clip);
// Copy, then delete.
EditResult cutcmd(TCommands& list, std::size_t first, std::size_t last, CommandClipboard& clip);
// Inserts the clipboard after line `after` ("Nothing to insert." when it is empty).
EditResult pastecmd(TCommands& list, std::size_t after, const CommandClipboard& clip);
// Shift+N: line becomes the blank command; the selection moves one line down.
EditResult blankcmd(TCommands& list, std::size_t line);

// Immediate GoTo targets (word 0 exactly 20810000) greater than p, or all of
// them when p is -1, move by delta (wrapping in 32 bits). Returns the lines changed.
std::vector<std::size_t> updategotos(TCommands& list, std::int64_t p, std::int64_t delta);

// --- The same on a movie object: MovieObjects length and a non-zero
// ExtensionData start address move by 12 bytes per command. An object out of
// range changes nothing.

// Runs a line edit (inscmd, delecmd, ...) on the program of movie object
// `object` and moves the lengths by what it added or removed.
EditResult editObjectCommands(TMOBJ& m, std::size_t object, const std::function<EditResult(TCommands&)>& edit);
EditResult insertObjectCommands(TMOBJ& m, std::size_t object, std::size_t after, const TCommands& cmds);
// Inserts cmds so that the first of them becomes line `line` (0 .. the
// command count): after line - 1 as insertObjectCommands does, and before the
// first line with every immediate GoTo target of the old lines moved along.
EditResult insertObjectCommandsAt(TMOBJ& m, std::size_t object, std::size_t line, const TCommands& cmds);
EditResult deleteObjectCommands(TMOBJ& m, std::size_t object, std::size_t first, std::size_t last);
EditResult pasteObjectCommands(TMOBJ& m, std::size_t object, std::size_t after, const CommandClipboard& clip);
EditResult cutObjectCommands(TMOBJ& m, std::size_t object, std::size_t first, std::size_t last,
                             CommandClipboard& clip);
EditResult blankObjectCommand(TMOBJ& m, std::size_t object, std::size_t line);
// Replaces line `line` of a movie object's program with c (the composer's
// command). Returns whether the command changed; lines out of range change nothing.
bool setObjectCommand(TMOBJ& m, std::size_t object, std::size_t line, const TCommand& c);

// --- Composer ---

enum class OperandType { GPR = 0, PSR = 1, Imm = 2 };
// "GPR", "PSR", "Imm".
const std::vector<std::string>& operandTypeNames();

// Group: operand count and immediate flags kept, sub-group and option cleared.
std::uint32_t composeGroup(std::uint32_t w0, unsigned group);
// Sub-group: count, group and flags kept, option cleared.
std::uint32_t composeSubGroup(std::uint32_t w0, unsigned subGroup);
// Option placed by group; then the operands the option expects are switched on.
std::uint32_t composeOption(std::uint32_t w0, unsigned option);
// Operand on/off (operand 1 off also switches 2 off, operand 2 on also
// switches 1 on); the operand count becomes the number of operands on.
std::uint32_t composeOperandOn(std::uint32_t w0, int operand, bool on);
// Operand type; returns the type the list shows afterwards ("PSR" falls back
// to "GPR" in the packed SetStream and SetSecondaryStream register forms).
OperandType composeOperandType(TCommand& c, int operand, OperandType type);
// Word box 0, 1 or 2 (hexadecimal); word 0 = 0 also clears words 1 and 2.
void composeWord(TCommand& c, int word, std::uint32_t value);
// Operand value box (decimal); with the type "PSR" bit 31 is set as well.
void composeValue(TCommand& c, int operand, std::uint32_t value, OperandType type);
// Why a value typed into the decimal box of an operand of c does not fit its
// field: an immediate (and the whole word of the packed SetStream and
// SetSecondaryStream register forms) takes 0 to 4294967295, a GPR number 0 to
// 4095, a PSR number 0 to 127. Nothing when it fits.
std::optional<std::string> operandValueRefusal(const TCommand& c, int operand, long long value, OperandType type);

inline bool operand1On(std::uint32_t w0) { return ((w0 >> 29) & 3) != 0; }
inline bool operand2On(std::uint32_t w0) { return (w0 >> 30) & 1; }

struct ComposerOperand {
    bool enabled = false;  // boxes enabled, on/off box checked
    OperandType type = OperandType::GPR;
    std::uint32_t value = 0;  // decimal box: register number or the whole word
    std::uint32_t word = 0;   // hexadecimal box
};

struct ComposerState {
    unsigned group = 0;  // index in the group list (3: no entry)
    unsigned subGroup = 0;
    unsigned option = 0;
    std::vector<std::string> subGroupNames;  // up to the first empty name
    std::vector<std::string> optionNames;    // up to the first empty name
    std::uint32_t opcode = 0;
    ComposerOperand op1, op2;
    std::string gridHint;  // "Navigation commands" or "PSR" + n + ": " + description
};

// The composer's display of a command.
ComposerState composerState(const TCommand& c);

// --- Following a command ---

struct FollowTarget {
    enum class Kind { None, Line, Title, Playlist, ButtonPage };
    Kind kind = Kind::None;
    std::uint32_t line = 0;                 // Line: the line to select
    std::optional<std::uint32_t> title;     // Title: the title to select, when 1..999 (the BDMV tab shows anyway)
    std::string playlist;                   // Playlist: the name, 5 digits
    std::optional<std::uint32_t> playItem;  // Playlist: the play item (42C10000)
    std::optional<unsigned> page;           // ButtonPage: the page to choose
    std::optional<unsigned> button;         // ButtonPage: the button to find in the current page
};

// What a double-click on line index follows to; button pages only when a menu is loaded.
FollowTarget followCommand(const TCommands& list, std::size_t index, bool menuLoaded);

// --- Program lists ---

enum class ProgramFormat { List = 0, Binary = 1 };

// The .lst text: five header lines and one row per command, CR LF line ends.
std::string programListText(const TCommands& list);
// The .bin bytes: 12 bytes per command, big-endian words.
Bytes programListBinary(const TCommands& list);
// "program_" + the object number as 3 digits + ".lst" or ".bin".
std::string programListFileName(std::size_t object, ProgramFormat format);
// The program list rows alone, one per command with "\n" after each: the
// text a copy puts on the clipboard.
std::string programListRows(const TCommands& list);

// Commands read back from program list text: a saved .lst, rows copied from
// a command grid, or command lines typed or edited by hand. Blank lines and
// lines starting with ";" are skipped; every other line is assembled as a
// program-list row (assembleRow: words in brackets, a command line, or both).
// A line that does not assemble, or more than kMaxCommands commands, make the
// whole text fail: badLine (from 1) and error (with the column) say where.
struct ProgramListParse {
    TCommands commands;
    std::size_t badLine = 0;  // 0: every line was read
    std::string error;
};
ProgramListParse parseProgramList(std::string_view text);

// Writes the program list atomically. Throws IoError.
void saveProgramList(const std::filesystem::path& path, const TCommands& list, ProgramFormat format);

}  // namespace navora

#pragma once
// The text form of a navigation command: the five cells of a command grid row.

#include "core/command.h"
#include "nav/decode.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace navora {

enum class CommandKind { Normal, Invalid, Forbidden };

// Columns of the command grids.
enum CommandColumn : int { ColNo = 0, ColOpcode = 1, ColDestination = 2, ColSource = 3, ColCommandLine = 4 };

// Column titles of the command grids.
const std::array<std::string, 5>& commandColumnTitles();

// One command grid row.
struct CommandRow {
    std::string no;           // "0000"
    std::string opcode;       // word 0, 8 upper-case hexadecimal digits
    std::string destination;  // word 1, plus one blank when operand 1 is used
    std::string source;       // word 2, plus one blank when operand 2 is used
    std::string line;         // the command line with its comments
    CommandKind kind = CommandKind::Normal;
    bool beep = false;  // an invalid command drawn in a button program: sound the short beep

    std::array<std::string, 5> cells() const { return {no, opcode, destination, source, line}; }
    const std::string& cell(int column) const;
};

// The short beep of an invalid button command: 2000 Hz for 40 ms.
inline constexpr int kInvalidBeepHz = 2000;
inline constexpr int kInvalidBeepMs = 40;

// The grid row of command c at position index (from 0) of its list.
CommandRow comm2str(const TCommand& c, std::size_t index, CommandContext context);

// The operand texts alone (" GPR3", ", PSR4", the packed forms ...); empty
// when the operand count does not reach the operand.
std::string operandText(const TCommand& c, int operand);

// The program list row "0000  [OPCODE,DEST ,SRC]  line" (no line end).
std::string programListRow(const CommandRow& row);

// --- Number forms shared with the views ---

std::string hex8(std::uint32_t v);        // "0000ABCD"
std::string dec4(std::size_t v);          // "0007"
std::string dec3(std::size_t v);          // "007"
std::string dec5(std::uint64_t v);        // "00007"

}  // namespace navora

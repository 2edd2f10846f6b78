#pragma once
// The command assembler: the inverse of the disassembler. A command line as
// the command grids show it ("Move GPR3, 5", "SetStream 2, (0), 1, 3",
// "*Still On  ; Forbidden opcode") becomes the three words again, and a
// program-list row ("0003  [50400001,00000003 ,00000005 ]  Move GPR3, 5")
// gives back exactly the words it was printed from.

#include "core/command.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace navora {

struct AsmResult {
    std::optional<TCommand> command;
    std::size_t column = 0;  // from 1: where the text stops making sense (0 when assembled)
    std::string error;       // what was wrong there

    explicit operator bool() const { return command.has_value(); }
};

// Assembles a command line. A leading "!" or "*" mark and everything from the
// first ";" (the comments the disassembler appends) are ignored. Operands are
// written as the disassembler writes them: "GPRn", "PSRn", an unsigned 32-bit
// number (decimal, or hexadecimal after "0x"), and for SetStream,
// SetButtonPage and SetSecondaryStream the packed sub-fields, each in
// parentheses when its enable flag is clear. The operand count and the
// immediate flags follow from the operands written; bits no text shows
// (reserved bits, register word bits above the number) are 0.
AsmResult assembleCommand(std::string_view line);

// Assembles one program-list row: an optional line number, then optional
// words "[" opcode "," destination "," source "]" (hexadecimal), then an
// optional command line. When the command line is what the words disassemble
// to (marks and comments aside), or is missing, the words are the command:
// so every row the disassembler prints reads back to exactly its words, also
// those of invalid commands and bits no text shows. A command line that says
// something else was edited and is assembled. Columns count in the row.
AsmResult assembleRow(std::string_view row);

// The command line without its "!" or "*" mark, its comments from the first
// ";" and surrounding blanks: what two lines must share to say the same.
std::string_view commandCore(std::string_view line);

}  // namespace navora

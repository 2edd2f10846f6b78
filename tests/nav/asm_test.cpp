#include "nav/asm.h"

#include "ig/load.h"
#include "nav/decode.h"
#include "nav/disasm.h"
#include "navdb/movieobject_io.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace navora;

namespace {

TCommand cmd(std::uint32_t w0, std::uint32_t w1 = 0, std::uint32_t w2 = 0) { return TCommand{{w0, w1, w2}}; }

std::string hexWords(const TCommand& c) { return hex8(c.w[0]) + " " + hex8(c.w[1]) + " " + hex8(c.w[2]); }

// Operand words that show every text form of operand n of w0: registers at
// both ends of their ranges (PSR 16 also draws the language comment), numbers
// at both ends of 32 bits; for the packed forms each field at its largest
// value with its enable flag set and clear.
std::vector<std::uint32_t> operandForms(std::uint32_t w0, int n) {
    const bool immediate = n == 1 ? op1Immediate(w0) : op2Immediate(w0);
    const PackedKind packed = packedKind(w0);
    if (packed == PackedKind::None) {
        if (immediate) return {0, 17, 0x00656E67, 0xFFFFFFFF};
        return {0, 4095, kPsrFlag | 0, kPsrFlag | 16, kPsrFlag | 127};
    }
    std::uint32_t hiField = 0, loField = 0;  // the two fields at their largest values
    switch (packed) {
    case PackedKind::SetStream:
        hiField = immediate ? 0xFFu << 16 : 0xFFFu << 16;
        loField = n == 1 ? 0xFFF : 0xFF;
        break;
    case PackedKind::SetButtonPage:
        hiField = 0;
        loField = immediate ? (n == 1 ? 0xFFFF : 0xFF) : (n == 1 ? 0xFFF : 0xFFFu << 16);
        break;
    case PackedKind::SetSecondaryStream:
        hiField = n == 1 ? 0xFu << 16 : (immediate ? 0xFFu << 16 : 0xFFFu << 16);
        loField = n == 1 ? (immediate ? 0xFF : 0xFFF) : 0xFFF;
        break;
    case PackedKind::None: break;
    }
    std::vector<std::uint32_t> forms;
    const bool twoFields = packed != PackedKind::SetButtonPage;
    for (std::uint32_t hi : {0u, 0x80000000u})
        for (std::uint32_t lo : twoFields ? std::vector<std::uint32_t>{0u, 0x8000u} : std::vector<std::uint32_t>{0u}) {
            forms.push_back(hi | lo);
            // SetButtonPage's immediate button shows bits 15-0, its flag bit 15 among them.
            if (packed == PackedKind::SetButtonPage && immediate && n == 1) forms.push_back(hi | 0x1234);
            forms.push_back(hi | lo | hiField | loField);
        }
    return forms;
}

// Every word 0 the disassembler names, with every form of its operands.
std::vector<TCommand> everyForm() {
    std::vector<std::uint32_t> words = validCommandWords();
    // Named but invalid forms: the disassembler prints them with "!".
    for (std::uint32_t w : {0x48800100u, 0x08000000u, 0x50000000u, 0x40010000u, 0x31000001u, 0x50000010u})
        words.push_back(w);
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    std::vector<TCommand> out;
    for (std::uint32_t w0 : words) {
        if (commandName(w0).empty()) continue;  // SetSystem 16 and 17: no name to assemble from
        const unsigned count = std::min(operandCount(w0), 2u);
        const std::vector<std::uint32_t> ones = count >= 1 ? operandForms(w0, 1) : std::vector<std::uint32_t>{0};
        const std::vector<std::uint32_t> twos = count >= 2 ? operandForms(w0, 2) : std::vector<std::uint32_t>{0};
        for (std::uint32_t a : ones)
            for (std::uint32_t b : twos) out.push_back(cmd(w0, a, b));
    }
    return out;
}

}  // namespace

// Each form's command line, in both contexts (with and without the forbidden
// mark), assembles to exactly its words; so does its program-list row.
TEST(Assembler, EveryFormTheDisassemblerPrintsReadsBack) {
    const std::vector<TCommand> forms = everyForm();
    ASSERT_GT(forms.size(), 1000u);
    for (const TCommand& c : forms) {
        for (CommandContext context : {CommandContext::MovieObject, CommandContext::Button}) {
            const CommandRow row = comm2str(c, 7, context);
            const AsmResult line = assembleCommand(row.line);
            ASSERT_TRUE(line) << row.line << ": column " << line.column << ": " << line.error;
            EXPECT_EQ(hexWords(*line.command), hexWords(c)) << row.line;
            const AsmResult r = assembleRow(programListRow(row));
            ASSERT_TRUE(r) << programListRow(row);
            EXPECT_EQ(*r.command, c) << programListRow(row);
        }
    }
}

// Rows read back exactly for any words, also those whose text leaves bits out
// (reserved bits, register bits above the number, operand counts above 2,
// unnamed opcodes); and a bare command line, when it assembles at all, gives a
// command that prints the same line again: the assembler never misreads.
TEST(Assembler, RowsAreExactAndLinesNeverMisread) {
    std::mt19937 random(2024);
    std::vector<std::uint32_t> w0s = validCommandWords();
    for (int i = 0; i < 3000; ++i) {
        std::uint32_t w = w0s[random() % w0s.size()];
        switch (random() % 4) {
        case 0: w ^= 1u << (random() % 32); break;  // a neighbour: often invalid, sometimes unnamed
        case 1: w = static_cast<std::uint32_t>(random()); break;
        default: break;
        }
        const TCommand c = cmd(w, static_cast<std::uint32_t>(random()), static_cast<std::uint32_t>(random()));
        const CommandRow row = comm2str(c, static_cast<std::size_t>(i), CommandContext::Button);
        const AsmResult r = assembleRow(programListRow(row));
        ASSERT_TRUE(r) << programListRow(row) << ": " << r.error;
        EXPECT_EQ(*r.command, c) << programListRow(row);
        if (const AsmResult line = assembleCommand(row.line)) {
            EXPECT_EQ(commandCore(comm2str(*line.command, 0, CommandContext::Button).line), commandCore(row.line))
                << row.line;
        }
    }
}

// Typed lines: names in any case, hexadecimal numbers, blanks anywhere
// between items; an edited row's text wins over its words; a row of words alone.
TEST(Assembler, TypedLinesAndEditedRows) {
    const std::pair<const char*, TCommand> cases[] = {
        {"goto 5", cmd(0x20810000, 5)},
        {"  Move  GPR1 ,0x1F  ", cmd(0x50400001, 1, 0x1F)},
        {"EQ GPR3, PSR4", cmd(0x48000200, 3, 0x80000004)},
        {"Play PL_PI 1, GPR2", cmd(0x42810000, 1, 2)},
        {"Play PL 7", cmd(0x22800000, 7)},
        {"SetButtonPage (5), 2", cmd(0x51C00003, 5, 0x80000002)},
        {"SetStream 2, (0), GPR3, GPR1", cmd(0x51800001, 0x80020000, 0x80038001)},
        {"SetSecondaryStream 1, (GPR7), 2, 3", cmd(0x51400006, 0x80010007, 0x80028003)},
        {"Still On", cmd(0x11000008)},
        {"BC", cmd(0x08000100)},
        {"*Still On  ; Forbidden opcode", cmd(0x11000008)},
        {"Move PSR16, 6647399       ;PSR16: Language Code for Audio (b23-b0)  [eng]",
         cmd(0x50400001, 0x80000010, 6647399)},
        {"0002  GoTo 9", cmd(0x20810000, 9)},
        {"0002  [20810000,00000005 ,00000000]  GoTo 9", cmd(0x20810000, 9)},
        {"[20810000, 5, 0]", cmd(0x20810000, 5)},
        {"12 [20810000,00000005 ,00000000]  GoTo 5   ; a note", cmd(0x20810000, 5)},
    };
    for (const auto& [text, want] : cases) {
        const AsmResult r = assembleRow(text);
        ASSERT_TRUE(r) << text << ": column " << r.column << ": " << r.error;
        EXPECT_EQ(hexWords(*r.command), hexWords(want)) << text;
    }
}

// A line that does not assemble says where (column from 1) and what.
TEST(Assembler, ErrorsNameTheColumn) {
    struct Case {
        const char* text;
        std::size_t column;
        const char* error;
    };
    const Case cases[] = {
        {"", 1, "no command"},
        {"!  ; Invalid opcode", 4, "no command"},
        {"Goto5", 1, "unknown command name"},
        {" GPR0", 2, "unknown command name"},
        {"GoTo x", 6, "expected GPRn, PSRn or a number"},
        {"GoTo 4294967296", 6, "number above 4294967295"},
        {"Move GPR4096, 1", 6, "GPR number above 4095"},
        {"Move PSR128, 1", 6, "PSR number above 127"},
        {"Move GPR1 2", 11, "expected \",\""},
        {"Move GPR1, 2, 3", 15, "at most two operands"},
        {"Move (GPR1), 2", 6, "parentheses only"},
        {"Move GPR1, 0x", 14, "expected a hexadecimal number"},
        {"SetStream 1, 2", 15, "two operands of two fields each"},
        {"SetStream 256, 1, 2, 3", 11, "field value above 255"},
        {"SetStream GPR1, 2, 3, 4", 17, "expected a GPR here"},
        {"SetButtonPage (5, 2", 17, "expected \")\""},
        {"SetButtonPage 65536, 2", 15, "field value above 65535"},
        {"SetSecondaryStream 16, 0, 1, 1", 20, "field value above 15"},
        {"0003  [5040000G,0,0]  Move GPR0, 0", 15, "expected \",\""},
        {"[123456789,0,0]", 10, "at most eight"},
        {"[1,2]", 5, "expected \",\""},
        {"[1,2,3", 7, "expected \"]\""},
        {"[1, ,3]", 5, "expected a hexadecimal word"},
        {"[20810000,5,0]  GoTo x", 22, "expected GPRn"},
    };
    for (const Case& c : cases) {
        const AsmResult r = assembleRow(c.text);
        EXPECT_FALSE(r) << c.text;
        EXPECT_EQ(r.column, c.column) << c.text << ": " << r.error;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.text << ": " << r.error;
    }
}

// Every command of the corpus movie objects and menus: its row reads back to
// its words, and its command line alone to the same words.
TEST(Assembler, CorpusProgramsRoundTrip) {
    NAVORA_NEED_CORPUS();
    std::size_t lines = 0;
    auto check = [&](const TCommands& list, CommandContext context, const std::string& where) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            const CommandRow row = comm2str(list[i], i, context);
            const AsmResult r = assembleRow(programListRow(row));
            ASSERT_TRUE(r) << where << " " << programListRow(row);
            EXPECT_EQ(*r.command, list[i]) << where << " " << programListRow(row);
            // The line alone gives a command that prints the same line; the
            // words are the same but for bits the line does not show (the PG
            // display flag, bit 14 of SetStream's first operand, shows nowhere).
            const AsmResult line = assembleCommand(row.line);
            ASSERT_TRUE(line) << where << " " << row.line << ": " << line.error;
            EXPECT_EQ(comm2str(*line.command, i, context).line, row.line) << where;
            TCommand shown = list[i];
            if (packedKind(shown.w[0]) == PackedKind::SetStream) shown.w[1] &= ~0x4000u;
            EXPECT_EQ(hexWords(*line.command), hexWords(shown)) << where << " " << row.line;
            ++lines;
        }
    };
    for (const auto& file : test::corpusFiles("MovieObject.bdmv")) {
        const Bytes data = test::readFile(file);
        if (data.size() >= 8 && std::string(data.begin() + 4, data.begin() + 8) == "0300") continue;  // not read
        const TMOBJ m = readMovieObjects(data, file.string());
        for (std::size_t o = 0; o < m.mobjs.objects.size(); ++o)
            check(m.mobjs.objects[o].commands, CommandContext::MovieObject,
                  file.string() + " object " + std::to_string(o));
    }
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(test::corpusDir() / "igs", ec)) {
        if (e.path().extension() != ".mnu") continue;
        const TIGSc menu = loadMNUFile(e.path());
        for (const TPage& page : menu.pages)
            for (const TBOG& bog : page.BOGs)
                for (const TIGbutton& b : bog.buttons)
                    check(b.commands, CommandContext::Button, e.path().filename().string());
    }
    EXPECT_GT(lines, 50u);
}

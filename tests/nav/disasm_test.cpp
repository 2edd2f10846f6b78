#include "nav/decode.h"
#include "nav/disasm.h"

#include <gtest/gtest.h>

#include <set>

using namespace navora;

namespace {

TCommand cmd(std::uint32_t w0, std::uint32_t w1 = 0, std::uint32_t w2 = 0) { return TCommand{{w0, w1, w2}}; }

struct LineCase {
    TCommand c;
    CommandContext context;
    std::string line;
};

}  // namespace

TEST(Decode, ValidAndForbiddenWords) {
    // The table names 122 distinct words.
    EXPECT_EQ(std::set<std::uint32_t>(validCommandWords().begin(), validCommandWords().end()).size(), 122u);
    // A forbidden word is a valid one, forbidden in one context only.
    const std::pair<std::uint32_t, CommandContext> forbidden[] = {
        {0x11000008, CommandContext::MovieObject},  // Still On
        {0x22850000, CommandContext::MovieObject},  // Link MK
        {0x31800004, CommandContext::MovieObject},  // EnableButton
        {0x22800000, CommandContext::Button},       // Play PL
        {0x42C20000, CommandContext::Button},       // Play PL_MK
    };
    for (auto [w, ctx] : forbidden) {
        EXPECT_TRUE(isValidCommand(w)) << std::hex << w;
        EXPECT_TRUE(isForbiddenCommand(w, ctx)) << std::hex << w;
        const auto other = ctx == CommandContext::Button ? CommandContext::MovieObject : CommandContext::Button;
        EXPECT_FALSE(isForbiddenCommand(w, other)) << std::hex << w;
    }
    for (auto ctx : {CommandContext::MovieObject, CommandContext::Button})
        for (std::uint32_t w : forbiddenCommandWords(ctx)) EXPECT_TRUE(isValidCommand(w)) << std::hex << w;
    // PSR 0..44 are described, the others not.
    EXPECT_EQ(psrDescription(44), "Back-up Register for PSR12");
    EXPECT_EQ(psrDescription(45), "");

    // Range ends and words just outside them.
    for (std::uint32_t w : {0x10000005u, 0x5000000Fu, 0x5040000Fu, 0x31000011u, 0x11000009u})
        EXPECT_TRUE(isValidCommand(w)) << std::hex << w;
    for (std::uint32_t w : {0x10000006u, 0x50000010u, 0x50800001u, 0x31000012u, 0x48800100u, 0x1100000Au})
        EXPECT_FALSE(isValidCommand(w)) << std::hex << w;

    EXPECT_EQ(commandName(0x42C20000), "Play PL_MK");
    EXPECT_EQ(commandName(0x5000000F), "Shift Right");
    EXPECT_EQ(commandName(0x31000010), "");  // SetSystem 16 has no name
    EXPECT_EQ(commandName(0x18000000), "");  // group 3
    EXPECT_EQ(expectedOperandCount(2, 1, 4), 1);  // EnableButton
    EXPECT_EQ(expectedOperandCount(0, 2, 1), 2);  // Play PL_PI
    EXPECT_EQ(expectedOperandCount(1, 0, 0), 0);
    EXPECT_EQ(commandOption(0x48000700), 7u);
    EXPECT_EQ(commandOption(0x5000001F), 31u);
    EXPECT_EQ(commandOption(0x18FFFFFF), 0u);  // group 3 has no option
}

TEST(Disasm, CommandLines) {
    const auto MO = CommandContext::MovieObject;
    const auto BT = CommandContext::Button;
    const std::vector<LineCase> cases = {
        {cmd(0x00000000, 7, 9), MO, "NOP"},
        {cmd(0x20810000, 5), MO, "GoTo 5"},
        {cmd(0x50400001, 0x80000010, 0x00656E67), MO,
         "Move PSR16, 6647399       ;PSR16: Language Code for Audio (b23-b0)  [eng]"},
        {cmd(0x48000200, 3, 0x80000004), MO, "EQ GPR3, PSR4       ;PSR4: Title Number (b15-b0) {1-999,$ffff}"},
        {cmd(0x12345678), MO, "!  ; Invalid opcode"},
        {cmd(0x11000008), MO, "*Still On  ; Forbidden opcode"},
        {cmd(0x11000008), BT, "Still On"},
        {cmd(0x22800000, 3), BT, "*Play PL 3  ; Forbidden opcode"},
        {cmd(0x22800000, 3), MO, "Play PL 3"},
        // BC with operand count 0 is valid; with an immediate destination it is not.
        {cmd(0x08000100, 1, 2), MO, "BC"},
        {cmd(0x48800100, 0, 0), MO, "!BC 0, GPR0  ; Invalid opcode"},
        {cmd(0x50400001, 1, 0xFFFFFFFF), MO, "Move GPR1, 4294967295"},
        {cmd(0x50400001, 0x8000002C, 1), MO, "Move PSR44, 1       ;PSR44: Back-up Register for PSR12"},
        {cmd(0x50400001, 0x8000002D, 1), MO, "Move PSR45, 1"},
        {cmd(0x50000001, 0x800000AC, 1), MO, "Move PSR44, GPR1       ;PSR44: Back-up Register for PSR12"},
        // Operand 2's PSR wins over operand 1's, even when it has no description.
        {cmd(0x50000001, 0x80000004, 0x8000002D), MO, "Move PSR4, PSR45"},
        {cmd(0x50000001, 0x80000004, 0x80000005), MO,
         "Move PSR4, PSR5       ;PSR5: Chapter Number (b15-b0) {1-999,$ffff}"},
        // Bits 23-16 zero: the language text has two characters.
        {cmd(0x50400001, 0x80000013, 17477), MO, "Move PSR19, 17477       ;PSR19: Country Code (b15-b0)  [DE]"},
        // Operand 1 not a PSR: the characters come from operand 1's word; control bytes show as ".".
        {cmd(0x50000001, 0x00000041, 0x80000012), MO,
         "Move GPR65, PSR18       ;PSR18: Language Code for Menu (b23-b0)  [.A]"},
        // No comment for an invalid command.
        {cmd(0x70000001, 0x80000004, 0x80000004), MO, "!Move PSR4, PSR4  ; Invalid opcode"},
        // Packed forms.
        {cmd(0x51C00003, 0x00000005, 0x80000002), BT, "SetButtonPage (5), 2"},
        {cmd(0x51000003, 0x80000007, 0x00090000), BT, "SetButtonPage GPR7, (GPR9)"},
        {cmd(0x51C00001, 0x8001C002, 0x00000000), MO, "SetStream 1, 2, (0), (0)"},
        {cmd(0x51000001, 0x80038005, 0x00048006), MO, "SetStream GPR3, GPR5, (GPR4), GPR6"},
        {cmd(0x51C00006, 0x80050003, 0x00078009), MO, "SetSecondaryStream 5, (3), (7), 9"},
        {cmd(0x51000006, 0x00050003, 0x80078009), MO, "SetSecondaryStream (5), (GPR3), GPR7, GPR9"},
        // A packed word's register operand never names a PSR.
        {cmd(0x51400001, 0x80040010, 0x80000004), MO, "SetStream GPR4, (GPR16), 0, (4)"},
        {cmd(0x21810000, 0xFFFFFFFF), MO, "Jump Title 4294967295"},
    };
    for (const auto& tc : cases) EXPECT_EQ(comm2str(tc.c, 0, tc.context).line, tc.line) << std::hex << tc.c.w[0];
}

TEST(Disasm, RowCellsKindAndBeep) {
    CommandRow r = comm2str(cmd(0x20810000, 5), 12, CommandContext::MovieObject);
    EXPECT_EQ(r.cells(), (std::array<std::string, 5>{"0012", "20810000", "00000005 ", "00000000", "GoTo 5"}));
    EXPECT_EQ(r.kind, CommandKind::Normal);
    EXPECT_EQ(programListRow(r), "0012  [20810000,00000005 ,00000000]  GoTo 5");

    // Operand count 0: no operand text and no marker blanks whatever the words hold.
    r = comm2str(cmd(0x00020000, 0x80000004, 0xABCDEF01), 0, CommandContext::MovieObject);
    EXPECT_EQ(r.destination, "80000004");
    EXPECT_EQ(r.source, "ABCDEF01");
    EXPECT_EQ(r.line, "Break");

    r = comm2str(cmd(0x50000001, 1, 2), 0, CommandContext::MovieObject);
    EXPECT_EQ(r.destination, "00000001 ");
    EXPECT_EQ(r.source, "00000002 ");

    // Count 3 (invalid) marks the destination only, and shows both operands.
    r = comm2str(cmd(0x70000001, 1, 2), 0, CommandContext::Button);
    EXPECT_EQ(r.destination, "00000001 ");
    EXPECT_EQ(r.source, "00000002");
    EXPECT_EQ(r.kind, CommandKind::Invalid);
    EXPECT_TRUE(r.beep);
    EXPECT_FALSE(comm2str(cmd(0x70000001), 0, CommandContext::MovieObject).beep);
    EXPECT_EQ(comm2str(cmd(0x02030000), 0, CommandContext::MovieObject).kind, CommandKind::Forbidden);
    EXPECT_FALSE(comm2str(cmd(0x02030000), 0, CommandContext::Button).beep);
}


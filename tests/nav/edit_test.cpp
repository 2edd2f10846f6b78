#include "nav/edit.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace navora;

namespace {

TCommand cmd(std::uint32_t w0, std::uint32_t w1 = 0, std::uint32_t w2 = 0) { return TCommand{{w0, w1, w2}}; }
TCommand goTo(std::uint32_t line) { return cmd(0x20810000, line); }

// Ten commands: Move GPRi := i, with the given commands put at their lines.
TCommands program(std::initializer_list<std::pair<std::size_t, TCommand>> at) {
    TCommands l;
    for (std::uint32_t i = 0; i < 10; ++i) l.push_back(cmd(0x50400001, i, i));
    for (const auto& [line, c] : at) l[line] = c;
    return l;
}

}  // namespace

TEST(CommandEdit, GoToTargetsFollowInsertAndDelete) {
    struct Case {
        const char* what;
        std::function<EditResult(TCommands&)> edit;
        std::vector<std::uint32_t> targets;  // of lines 2, 3 (GoTo 7, GoTo 3) after the edit, wherever they are
        std::optional<std::size_t> select;
    };
    const TCommand blank{};
    const std::vector<Case> cases = {
        {"insert 2 after line 4", [&](TCommands& l) { return inscmd(l, 4, {blank, blank}); }, {9, 3}, 5},
        {"insert 2 after line 8", [&](TCommands& l) { return inscmd(l, 8, {blank, blank}); }, {7, 3}, 9},
        {"insert 1 after line 2", [&](TCommands& l) { return inscmd(l, 2, {blank}); }, {8, 4}, 3},
        {"delete 5..6", [&](TCommands& l) { return delecmd(l, 5, 6); }, {5, 3}, 4},
        // A target inside the deleted block moves to the command now in its place.
        {"delete 6..7", [&](TCommands& l) { return delecmd(l, 6, 7); }, {6, 3}, 5},
        {"delete 3", [&](TCommands& l) { return delecmd(l, 3, 3); }, {6}, 2},
        {"delete 7..9 (the end)", [&](TCommands& l) { return delecmd(l, 7, 9); }, {7, 3}, 6},
        {"delete 0", [&](TCommands& l) { return delecmd(l, 0, 0); }, {6, 2}, 0},
        {"delete 9 (last)", [&](TCommands& l) { return delecmd(l, 9, 9); }, {7, 3}, 8},
    };
    for (const auto& tc : cases) {
        TCommands l = program({{2, goTo(7)}, {3, goTo(3)}, {4, cmd(0x20010000, 7)}});
        EditResult r = tc.edit(l);
        EXPECT_TRUE(r.changed) << tc.what;
        EXPECT_EQ(r.select, tc.select) << tc.what;
        std::vector<std::uint32_t> targets;
        for (const TCommand& c : l) {
            if (c.w[0] == 0x20810000) targets.push_back(c.w[1]);
            if (c.w[0] == 0x20010000) {
                EXPECT_EQ(c.w[1], 7u) << tc.what;  // register GoTo untouched
            }
        }
        EXPECT_EQ(targets, tc.targets) << tc.what;
    }

    // Deleting lines 3..4: 7 -> 5; 3 and 4 -> 3, the command that took line 3's
    // place (not line 2, the one before); 2 unchanged.
    TCommands l = program({{0, goTo(7)}, {1, goTo(3)}, {2, goTo(2)}, {5, goTo(4)}});
    delecmd(l, 3, 4);
    EXPECT_EQ(l[0].w[1], 5u);
    EXPECT_EQ(l[1].w[1], 3u);
    EXPECT_EQ(l[2].w[1], 2u);
    EXPECT_EQ(l[3].w[1], 3u);
    // Deleting line 0: a GoTo 0 goes to the new first line instead of wrapping to 0xFFFFFFFF.
    l = program({{1, goTo(0)}, {2, goTo(4)}});
    delecmd(l, 0, 0);
    EXPECT_EQ(l[0].w[1], 0u);
    EXPECT_EQ(l[1].w[1], 3u);
    // Only word 0 exactly 20810000 counts.
    l = {cmd(0x20810001, 5), cmd(0x20010000, 5)};
    EXPECT_TRUE(updategotos(l, -1, 1).empty());
}

TEST(CommandEdit, ClipboardCopyCutPaste) {
    CommandClipboard clip;
    TCommands l = program({{5, goTo(6)}});
    EditResult r = pastecmd(l, 3, clip);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(r.status, "Nothing to insert.");

    r = copycmd(l, 5, 6, clip);
    EXPECT_EQ(r.status, "Command(s) copied");
    EXPECT_EQ(clip.commands, (TCommands{goTo(6), l[6]}));

    // Pasting after line 4 moves every target after it, the pasted GoTo too.
    r = pastecmd(l, 4, clip);
    EXPECT_EQ(r.select, 5u);
    ASSERT_EQ(l.size(), 12u);
    EXPECT_EQ(l[5], goTo(8));
    EXPECT_EQ(l[7], goTo(8));

    // Into an empty list the clipboard becomes the program at lines 0..n-1, unchanged.
    TCommands empty;
    clip.commands = {cmd(0x50400001, 1, 1), goTo(2), cmd(0x00020000)};
    r = pastecmd(empty, 0, clip);
    EXPECT_EQ(r.select, 0u);
    EXPECT_EQ(empty, clip.commands);

    // Cut = copy + delete.
    l = program({});
    r = cutcmd(l, 2, 4, clip);
    EXPECT_EQ(l.size(), 7u);
    EXPECT_EQ(clip.commands.size(), 3u);
    EXPECT_EQ(clip.commands[0], cmd(0x50400001, 2, 2));
    EXPECT_EQ(r.select, 1u);

    // Deleting everything leaves no selection; deleting from an empty list does nothing.
    r = delecmd(l, 0, 99);
    EXPECT_TRUE(l.empty());
    EXPECT_FALSE(r.select.has_value());
    EXPECT_FALSE(delecmd(l, 0, 0).changed);
}

TEST(CommandEdit, BlankLineAndLimit) {
    TCommands l = program({});
    EditResult r = blankcmd(l, 5);
    EXPECT_EQ(l[5], TCommand{});
    EXPECT_EQ(r.select, 6u);
    r = blankcmd(l, 9);
    EXPECT_EQ(r.select, 9u);

    TCommands big(9998);
    EXPECT_FALSE(inscmd(big, 0, {TCommand{}, TCommand{}}).changed);
    EXPECT_EQ(big.size(), 9998u);
    EXPECT_TRUE(inscmd(big, 9997, {TCommand{}}).changed);
    EXPECT_EQ(big.size(), 9999u);
    EXPECT_FALSE(inscmd(big, 0, {TCommand{}}).changed);
}

TEST(CommandEdit, MovieObjectLengthBookkeeping) {
    TMOBJ m;
    m.mobjs.objects.resize(2);
    m.mobjs.objects[1].commands = program({});
    m.mobjs.length = 6 + 4 + 4 + 120;
    m.extension_data_start_address = 40 + 4 + m.mobjs.length;
    const std::uint32_t length = m.mobjs.length;
    const std::uint32_t ext = m.extension_data_start_address;

    CommandClipboard clip;
    insertObjectCommands(m, 1, 9, {TCommand{}, TCommand{}});
    EXPECT_EQ(m.mobjs.length, length + 24);
    EXPECT_EQ(m.extension_data_start_address, ext + 24);
    cutObjectCommands(m, 1, 0, 2, clip);
    EXPECT_EQ(m.mobjs.length, length - 12);
    pasteObjectCommands(m, 0, 0, clip);
    EXPECT_EQ(m.mobjs.objects[0].commands.size(), 3u);
    EXPECT_EQ(m.mobjs.length, length + 24);
    deleteObjectCommands(m, 0, 0, 2);
    EXPECT_EQ(m.mobjs.length, length - 12);
    EXPECT_EQ(m.extension_data_start_address, ext - 12);
    blankObjectCommand(m, 1, 0);
    EXPECT_EQ(m.mobjs.length, length - 12);
    // Refused and out-of-range edits leave the lengths alone; a zero start address stays zero.
    EXPECT_FALSE(insertObjectCommands(m, 5, 0, {TCommand{}}).changed);
    m.extension_data_start_address = 0;
    deleteObjectCommands(m, 1, 0, 0);
    EXPECT_EQ(m.extension_data_start_address, 0u);
    EXPECT_EQ(m.mobjs.length, length - 24);
}

TEST(CommandEdit, ProgramListExport) {
    const TCommands l = {TCommand{}, goTo(5)};
    const std::string rule = ";------------------------------------------------------------";
    EXPECT_EQ(programListText(l), rule + "\r\n;\r\n;             MovieObject program list by Navora\r\n;\r\n" + rule +
                                      "\r\n0000  [00000000,00000000,00000000]  NOP\r\n"
                                      "0001  [20810000,00000005 ,00000000]  GoTo 5\r\n");
    EXPECT_EQ(programListBinary(l),
              (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x81, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0}));
    EXPECT_EQ(programListFileName(7, ProgramFormat::List), "program_007.lst");
    EXPECT_EQ(programListFileName(12, ProgramFormat::Binary), "program_012.bin");

    test::TempDir dir;
    saveProgramList(dir / "p.bin", l, ProgramFormat::Binary);
    EXPECT_EQ(test::readFile(dir / "p.bin"), programListBinary(l));
    saveProgramList(dir / "p.lst", l, ProgramFormat::List);
    EXPECT_EQ(test::readFile(dir / "p.lst").size(), programListText(l).size());
}

// Copied rows and saved lists read back word for word; anything else is
// refused whole, naming the line.
TEST(CommandEdit, ProgramListReadBack) {
    // An invalid opcode, a forbidden one, a PSR comment with a language code in brackets.
    const TCommands l = program({{1, cmd(0xFFFFFFFF, 1, 2)}, {2, cmd(0x22000000, 5)},
                                 {3, cmd(0x50000001, 1, 0x80000010)}, {4, goTo(3)}});
    EXPECT_EQ(parseProgramList(programListText(l)).commands, l);
    EXPECT_EQ(parseProgramList(programListRows(l)).commands, l);
    // Words alone, words with their own line, and a typed line.
    const ProgramListParse hand =
        parseProgramList("\n  [50400001, a ,  0000001F]\r\n;[00000000,0,0]\n[50400001,A,1F]  Move GPR10, 31\nGoTo 3\n");
    EXPECT_EQ(hand.badLine, 0u);
    EXPECT_EQ(hand.commands, (TCommands{cmd(0x50400001, 0xA, 0x1F), cmd(0x50400001, 0xA, 0x1F), goTo(3)}));
    EXPECT_TRUE(parseProgramList("").commands.empty());

    const std::pair<std::string, std::size_t> bad[] = {
        {"[50400001,0,0]\nMove GPR0 0\n", 2},    // a line that does not assemble
        {"[50400001,0]\n", 1},                   // two words
        {"[50400001,0,0,0]\n", 1},               // four
        {"[504000011,0,0]\n", 1},                // nine digits
        {"[5040000G,0,0]\n", 1},                 // not hexadecimal
        {"[50400001,,0]\n", 1},                  // an empty word
        {"[50400001,0,0\n", 1},                  // no closing bracket
    };
    for (const auto& [text, line] : bad) {
        const ProgramListParse r = parseProgramList(text);
        EXPECT_EQ(r.badLine, line) << text;
        EXPECT_TRUE(r.commands.empty()) << text;
        EXPECT_NE(r.error.find("line " + std::to_string(line) + " is not a command"), std::string::npos) << r.error;
    }
    std::string many;
    for (std::size_t i = 0; i <= kMaxCommands; ++i) many += "[0,0,0]\n";
    const ProgramListParse r = parseProgramList(many);
    EXPECT_EQ(r.badLine, kMaxCommands + 1);
    EXPECT_TRUE(r.commands.empty());
}

TEST(Composer, WordTransformations) {
    // Group "Compare" keeps count and immediate flags, clears sub-group and option.
    std::uint32_t w = composeGroup(0x21810000, 1);
    EXPECT_EQ(w, 0x28800000u);
    // Option "EQ" switches both operands on.
    w = composeOption(w, 2);
    EXPECT_EQ(w, 0x48800200u);
    // Option "--" expects none but switches nothing off.
    EXPECT_EQ(composeOption(w, 0), 0x48800000u);
    EXPECT_EQ(composeSubGroup(0x5240000F, 1), 0x51400000u);
    EXPECT_EQ(composeOption(0x11000000, 4), 0x31000004u);  // EnableButton: one operand
    EXPECT_EQ(composeOption(0x00000000, 2), 0x00020000u);  // Break: none

    EXPECT_EQ(composeOperandOn(0x50000001, 1, false), 0x10000001u);  // off takes operand 2 along
    EXPECT_EQ(composeOperandOn(0x10000001, 2, true), 0x50000001u);   // on brings operand 1 along
    EXPECT_EQ(composeOperandOn(0x50000001, 2, false), 0x30000001u);
    EXPECT_EQ(composeOperandOn(0x90000001, 1, true), 0x30000001u);  // count 4 had neither operand

    TCommand c = cmd(0x50000001, 5, 6);
    EXPECT_EQ(composeOperandType(c, 1, OperandType::PSR), OperandType::PSR);
    EXPECT_EQ(c, cmd(0x50000001, 0x80000005, 6));
    EXPECT_EQ(composeOperandType(c, 2, OperandType::Imm), OperandType::Imm);
    EXPECT_EQ(c.w[0], 0x50400001u);
    EXPECT_EQ(composeOperandType(c, 1, OperandType::GPR), OperandType::GPR);
    EXPECT_EQ(c, cmd(0x50400001, 5, 6));
    // Packed SetStream register form: PSR falls back to GPR, the word's flag bit stays.
    c = cmd(0x51800001, 0x80030004, 0x00008001);
    EXPECT_EQ(composeOperandType(c, 1, OperandType::PSR), OperandType::GPR);
    EXPECT_EQ(c, cmd(0x51000001, 0x80030004, 0x00008001));
    EXPECT_EQ(composeOperandType(c, 2, OperandType::GPR), OperandType::GPR);
    EXPECT_EQ(c.w[2], 0x00008001u);

    composeValue(c, 1, 7, OperandType::PSR);
    EXPECT_EQ(c.w[1], 0x80000007u);
    composeValue(c, 2, 0xFFFFFFFF, OperandType::Imm);
    EXPECT_EQ(c.w[2], 0xFFFFFFFFu);
    composeWord(c, 1, 0x1234);
    EXPECT_EQ(c.w[1], 0x1234u);
    composeWord(c, 0, 0);
    EXPECT_EQ(c, TCommand{});
}

// A typed operand value that does not fit its field is refused by name
// instead of being cut (2^32 used to become 0).
TEST(Composer, OperandValuesThatDoNotFitAreRefused) {
    const TCommand move = cmd(0x50000001, 5, 6);       // Move GPR5, GPR6
    const TCommand setStream = cmd(0x51000001, 0, 0);  // SetStream, packed register form
    struct Case {
        TCommand c;
        long long value;
        OperandType type;
        std::optional<std::string> refusal;
    };
    const Case cases[] = {
        {move, 4294967295LL, OperandType::Imm, std::nullopt},
        {move, 4294967296LL, OperandType::Imm,
         "Destination 4294967296 does not fit: an immediate value is 0 to 4294967295"},
        {move, -1, OperandType::Imm, "Destination -1 does not fit: an immediate value is 0 to 4294967295"},
        {move, 4095, OperandType::GPR, std::nullopt},
        {move, 4096, OperandType::GPR, "Destination 4096 does not fit: a GPR number is 0 to 4095"},
        {move, 127, OperandType::PSR, std::nullopt},
        {move, 128, OperandType::PSR, "Destination 128 does not fit: a PSR number is 0 to 127"},
        {setStream, 0x80030004LL, OperandType::GPR, std::nullopt},
        {setStream, 4294967296LL, OperandType::GPR,
         "Destination 4294967296 does not fit: the register word is 0 to 4294967295"},
    };
    for (const Case& c : cases) EXPECT_EQ(operandValueRefusal(c.c, 1, c.value, c.type), c.refusal) << c.value;
    EXPECT_EQ(operandValueRefusal(move, 2, 4096, OperandType::GPR),
              "Source 4096 does not fit: a GPR number is 0 to 4095");
}

TEST(Composer, DisplayState) {
    ComposerState s = composerState(cmd(0x48000200, 3, 0x80000013));
    EXPECT_EQ(s.group, 1u);
    EXPECT_EQ(s.subGroupNames, std::vector<std::string>{"-"});
    EXPECT_EQ(s.optionNames.size(), 8u);
    EXPECT_EQ(s.option, 2u);
    EXPECT_TRUE(s.op1.enabled);
    EXPECT_TRUE(s.op2.enabled);
    EXPECT_EQ(s.op1.type, OperandType::GPR);
    EXPECT_EQ(s.op1.value, 3u);
    EXPECT_EQ(s.op2.type, OperandType::PSR);
    EXPECT_EQ(s.op2.value, 19u);
    EXPECT_EQ(s.op2.word, 0x80000013u);
    EXPECT_EQ(s.gridHint, "PSR19: Country Code (b15-b0)");

    s = composerState(cmd(0x51000009, 0, 0));  // Still Off without its count: invalid, still shown
    EXPECT_EQ(s.subGroupNames, (std::vector<std::string>{"Set", "SetSystem"}));
    EXPECT_EQ(s.optionNames.size(), 10u);
    EXPECT_EQ(s.optionNames.back(), "Still Off");

    // PSR 41 and above give no hint; operand 1's hint loses to operand 2's.
    EXPECT_EQ(composerState(cmd(0x50000001, 0x80000029, 1)).gridHint, "Navigation commands");
    EXPECT_EQ(composerState(cmd(0x50000001, 0x80000028, 0x80000004)).gridHint,
              "PSR4: Title Number (b15-b0) {1-999,$ffff}");
    // Packed SetStream register form: shown as GPR with the whole word.
    s = composerState(cmd(0x51400001, 0x80030004, 0x80000002));
    EXPECT_EQ(s.op1.type, OperandType::GPR);
    EXPECT_EQ(s.op1.value, 0x80030004u);
    EXPECT_EQ(s.op2.type, OperandType::Imm);
    EXPECT_EQ(s.gridHint, "Navigation commands");
    // Count 1: only operand 1 enabled; group 3 has empty lists.
    s = composerState(cmd(0x38000000));
    EXPECT_TRUE(s.op1.enabled);
    EXPECT_FALSE(s.op2.enabled);
    EXPECT_EQ(s.group, 3u);
    EXPECT_TRUE(s.subGroupNames.empty());
    EXPECT_TRUE(s.optionNames.empty());
}

TEST(CommandEdit, FollowCommand) {
    using K = FollowTarget::Kind;
    const TCommands l = {goTo(3),
                         cmd(0x21810000, 5),
                         cmd(0x21830000, 1000),
                         cmd(0x50400001, 4, 12),
                         cmd(0x22000000, 4),
                         cmd(0x22000000, 5),
                         cmd(0x42C10000, 123456, 2),
                         cmd(0x42820000, 7, 3),
                         cmd(0x51C00003, 0x80000004, 0x80000002),
                         cmd(0x51400003, 0x80000004, 0x00000002),
                         cmd(0x20010000, 3)};
    FollowTarget t = followCommand(l, 0, false);
    EXPECT_EQ(t.kind, K::Line);
    EXPECT_EQ(t.line, 3u);
    t = followCommand(l, 1, false);
    EXPECT_EQ(t.kind, K::Title);
    EXPECT_EQ(t.title, 5u);
    t = followCommand(l, 2, false);
    EXPECT_EQ(t.kind, K::Title);
    EXPECT_FALSE(t.title.has_value());
    t = followCommand(l, 4, false);  // Play PL GPR4 after Move GPR4 := 12
    EXPECT_EQ(t.kind, K::Playlist);
    EXPECT_EQ(t.playlist, "00012");
    EXPECT_EQ(followCommand(l, 5, false).kind, K::None);  // preceded by a Play, not by a Move into GPR5
    t = followCommand(l, 6, false);
    EXPECT_EQ(t.playlist, "123456");
    EXPECT_EQ(t.playItem, 2u);
    t = followCommand(l, 7, false);
    EXPECT_EQ(t.playlist, "00007");
    EXPECT_FALSE(t.playItem.has_value());
    EXPECT_EQ(followCommand(l, 8, false).kind, K::None);  // no menu loaded
    t = followCommand(l, 8, true);
    EXPECT_EQ(t.kind, K::ButtonPage);
    EXPECT_EQ(t.page, 2u);
    EXPECT_EQ(t.button, 4u);
    t = followCommand(l, 9, true);  // button is a register form, page flag clear
    EXPECT_EQ(t.kind, K::None);
    EXPECT_EQ(followCommand(l, 10, false).kind, K::None);
    EXPECT_EQ(followCommand(l, 99, false).kind, K::None);
}

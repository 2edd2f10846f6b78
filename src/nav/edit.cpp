#include "nav/edit.h"

#include "core/fileio.h"
#include "nav/asm.h"
#include "nav/disasm.h"

#include <fmt/format.h>

#include <algorithm>

namespace navora {

CommandClipboard& commandClipboard() {
    static CommandClipboard clip;
    return clip;
}

std::vector<std::size_t> updategotos(TCommands& list, std::int64_t p, std::int64_t delta) {
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < list.size(); ++i) {
        TCommand& c = list[i];
        // Only a GoTo with an immediate target names a line.
        if (c.w[0] != withFlags(Opcode::GoTo, true)) continue;
        if (p == -1 || static_cast<std::int64_t>(c.w[1]) > p) {
            c.w[1] = static_cast<std::uint32_t>(static_cast<std::int64_t>(c.w[1]) + delta);
            changed.push_back(i);
        }
    }
    return changed;
}

EditResult inscmd(TCommands& list, std::size_t after, const TCommands& cmds) {
    EditResult r;
    const std::size_t n = cmds.size();
    const std::size_t length = list.size();
    if (!list.empty()) r.select = std::min(after, length - 1);
    if (n == 0 || length + n > kMaxCommands) return r;
    r.changed = true;
    r.delta = static_cast<std::ptrdiff_t>(n);
    if (length == 0) {
        // The new commands are the whole program: their GoTo targets already
        // name lines of it and stay as they are.
        list = cmds;
        r.select = 0;
        return r;
    }
    const std::size_t s = std::min(after, length - 1);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(s + 1), cmds.begin(), cmds.end());
    updategotos(list, static_cast<std::int64_t>(s), static_cast<std::int64_t>(n));
    r.select = s + 1;
    return r;
}

EditResult delecmd(TCommands& list, std::size_t first, std::size_t last) {
    EditResult r;
    if (first > last) std::swap(first, last);
    if (list.empty() || first >= list.size()) {
        if (!list.empty()) r.select = list.size() - 1;
        return r;
    }
    last = std::min(last, list.size() - 1);
    const std::size_t k = last - first + 1;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(first), list.begin() + static_cast<std::ptrdiff_t>(last + 1));
    r.changed = true;
    r.delta = -static_cast<std::ptrdiff_t>(k);
    if (!list.empty()) {
        // Targets after the block move down by its size; a target inside the
        // block moves to the command that now takes its place, the first one
        // after it (the end of the program when the block was the last lines).
        for (TCommand& c : list) {
            if (c.w[0] != withFlags(Opcode::GoTo, true) || c.w[1] < first) continue;
            c.w[1] = c.w[1] > last ? c.w[1] - static_cast<std::uint32_t>(k) : static_cast<std::uint32_t>(first);
        }
        r.select = first == 0 ? 0 : std::min(first - 1, list.size() - 1);
    }
    return r;
}

EditResult copycmd(const TCommands& list, std::size_t first, std::size_t last, CommandClipboard& clip) {
    EditResult r;
    if (first > last) std::swap(first, last);
    if (first >= list.size()) return r;
    last = std::min(last, list.size() - 1);
    clip.commands.assign(list.begin() + static_cast<std::ptrdiff_t>(first),
                         list.begin() + static_cast<std::ptrdiff_t>(last + 1));
    r.select = first;
    r.status = "Command(s) copied";
    return r;
}

EditResult cutcmd(TCommands& list, std::size_t first, std::size_t last, CommandClipboard& clip) {
    EditResult copied = copycmd(list, first, last, clip);
    if (copied.status.empty()) return copied;
    EditResult r = delecmd(list, first, last);
    r.status = copied.status;
    return r;
}

EditResult pastecmd(TCommands& list, std::size_t after, const CommandClipboard& clip) {
    if (clip.commands.empty()) {
        EditResult r;
        if (!list.empty()) r.select = std::min(after, list.size() - 1);
        r.status = "Nothing to insert.";
        return r;
    }
    return inscmd(list, after, clip.commands);
}

EditResult blankcmd(TCommands& list, std::size_t line) {
    EditResult r;
    if (line >= list.size()) {
        if (!list.empty()) r.select = list.size() - 1;
        return r;
    }
    list[line] = TCommand{};
    r.changed = true;
    r.select = line + 1 < list.size() ? line + 1 : line;
    return r;
}

namespace {

// Moves the MovieObjects length and a non-zero ExtensionData start address by
// 12 bytes per command added or removed.
void moveLengths(TMOBJ& m, std::ptrdiff_t commands) {
    const auto bytes = static_cast<std::uint32_t>(static_cast<std::int64_t>(commands) * 12);
    m.mobjs.length += bytes;
    if (m.extension_data_start_address != 0) m.extension_data_start_address += bytes;
}

}  // namespace

EditResult editObjectCommands(TMOBJ& m, std::size_t object, const std::function<EditResult(TCommands&)>& edit) {
    if (object >= m.mobjs.objects.size()) return {};
    EditResult r = edit(m.mobjs.objects[object].commands);
    if (r.delta != 0) moveLengths(m, r.delta);
    return r;
}

EditResult insertObjectCommands(TMOBJ& m, std::size_t object, std::size_t after, const TCommands& cmds) {
    return editObjectCommands(m, object, [&](TCommands& l) { return inscmd(l, after, cmds); });
}

EditResult insertObjectCommandsAt(TMOBJ& m, std::size_t object, std::size_t line, const TCommands& cmds) {
    if (line > 0) return insertObjectCommands(m, object, line - 1, cmds);
    return editObjectCommands(m, object, [&](TCommands& l) -> EditResult {
        if (l.empty()) return inscmd(l, 0, cmds);
        EditResult r;
        r.select = 0;
        if (cmds.empty() || l.size() + cmds.size() > kMaxCommands) return r;
        // Every line moves: every immediate GoTo target of the list moves with it.
        updategotos(l, -1, static_cast<std::int64_t>(cmds.size()));
        l.insert(l.begin(), cmds.begin(), cmds.end());
        r.changed = true;
        r.delta = static_cast<std::ptrdiff_t>(cmds.size());
        return r;
    });
}

EditResult deleteObjectCommands(TMOBJ& m, std::size_t object, std::size_t first, std::size_t last) {
    return editObjectCommands(m, object, [&](TCommands& l) { return delecmd(l, first, last); });
}

EditResult pasteObjectCommands(TMOBJ& m, std::size_t object, std::size_t after, const CommandClipboard& clip) {
    return editObjectCommands(m, object, [&](TCommands& l) { return pastecmd(l, after, clip); });
}

EditResult cutObjectCommands(TMOBJ& m, std::size_t object, std::size_t first, std::size_t last,
                             CommandClipboard& clip) {
    return editObjectCommands(m, object, [&](TCommands& l) { return cutcmd(l, first, last, clip); });
}

EditResult blankObjectCommand(TMOBJ& m, std::size_t object, std::size_t line) {
    return editObjectCommands(m, object, [&](TCommands& l) { return blankcmd(l, line); });
}

bool setObjectCommand(TMOBJ& m, std::size_t object, std::size_t line, const TCommand& c) {
    if (object >= m.mobjs.objects.size()) return false;
    TCommands& list = m.mobjs.objects[object].commands;
    if (line >= list.size() || list[line] == c) return false;
    list[line] = c;
    return true;
}

// --- Composer ---

const std::vector<std::string>& operandTypeNames() {
    static const std::vector<std::string> names = {"GPR", "PSR", "Imm"};
    return names;
}

namespace {

// SetStream and SetSecondaryStream with register operands: the register
// fields are GPR numbers, so the type list offers no PSR there.
bool packedStreamRegisterForm(std::uint32_t w0) {
    return opcodeOf(w0) == Opcode::SetStream || opcodeOf(w0) == Opcode::SetSecondaryStream;
}

}  // namespace

std::uint32_t composeGroup(std::uint32_t w0, unsigned group) {
    return ((group & 3u) << 27) + (w0 & (kOperandCountField | kImmediate1 | kImmediate2));
}

std::uint32_t composeSubGroup(std::uint32_t w0, unsigned subGroup) {
    return ((subGroup & 7u) << 24) + (w0 & (kOperandCountField | kGroupField | kImmediate1 | kImmediate2));
}

std::uint32_t composeOption(std::uint32_t w0, unsigned option) {
    const unsigned group = commandGroup(w0);
    std::uint32_t field = 0;
    if (group == 0) field = (option & 0xFu) << 16;
    if (group == 1) field = (option & 0xFu) << 8;
    if (group == 2) field = option & 0x1Fu;
    // Everything above the widest option field (bits 19-0) is kept.
    std::uint32_t w = field + (w0 & 0xFFF00000u);
    const int expected = expectedOperandCount(group, commandSubGroup(w), commandOption(w));
    if (expected >= 1) w = composeOperandOn(w, 1, true);
    if (expected == 2) w = composeOperandOn(w, 2, true);
    return w;
}

std::uint32_t composeOperandOn(std::uint32_t w0, int operand, bool on) {
    bool op1 = operand1On(w0);
    bool op2 = operand2On(w0);
    if (operand == 1) {
        op1 = on;
        if (!on) op2 = false;
    } else {
        op2 = on;
        if (on) op1 = true;
    }
    const std::uint32_t count = (op1 ? 1u : 0u) + (op2 ? 1u : 0u);
    return (w0 & ~kOperandCountField) | (count << 29);
}

OperandType composeOperandType(TCommand& c, int operand, OperandType type) {
    const std::uint32_t flag = operand == 1 ? kImmediate1 : kImmediate2;
    std::uint32_t& word = c.w[operand == 1 ? 1 : 2];
    c.w[0] &= ~flag;
    if (type == OperandType::Imm) {
        c.w[0] |= flag;
        return type;
    }
    if (packedStreamRegisterForm(c.w[0])) return OperandType::GPR;
    if (type == OperandType::PSR)
        word |= kPsrFlag;
    else
        word &= ~kPsrFlag;
    return type;
}

void composeWord(TCommand& c, int word, std::uint32_t value) {
    if (word < 0 || word > 2) return;
    c.w[static_cast<std::size_t>(word)] = value;
    if (word == 0 && value == 0) c.w[1] = c.w[2] = 0;
}

void composeValue(TCommand& c, int operand, std::uint32_t value, OperandType type) {
    c.w[operand == 1 ? 1 : 2] = type == OperandType::PSR ? (value | kPsrFlag) : value;
}

std::optional<std::string> operandValueRefusal(const TCommand& c, int operand, long long value, OperandType type) {
    const char* name = operand == 1 ? "Destination" : "Source";
    long long most = 0xFFFFFFFFLL;
    const char* what = "an immediate value";
    if (type != OperandType::Imm && !packedStreamRegisterForm(c.w[0])) {
        most = type == OperandType::PSR ? 127 : 4095;
        what = type == OperandType::PSR ? "a PSR number" : "a GPR number";
    } else if (type != OperandType::Imm) {
        what = "the register word";
    }
    if (value >= 0 && value <= most) return std::nullopt;
    return fmt::format("{} {} does not fit: {} is 0 to {}", name, value, what, most);
}

ComposerState composerState(const TCommand& c) {
    ComposerState st;
    const std::uint32_t w0 = c.w[0];
    st.group = commandGroup(w0);
    st.subGroup = commandSubGroup(w0);
    st.option = commandOption(w0);
    st.subGroupNames = subGroupNames(st.group);
    for (unsigned o = 0; o < static_cast<unsigned>(kOptions); ++o) {
        const std::string& name = commandName(st.group, st.subGroup, o);
        if (name.empty()) break;
        st.optionNames.push_back(name);
    }
    st.opcode = w0;
    st.op1.enabled = operand1On(w0);
    st.op2.enabled = operand2On(w0);
    st.gridHint = "Navigation commands";
    // Operand 2 after operand 1, so that its PSR hint wins.
    for (int n = 1; n <= 2; ++n) {
        ComposerOperand& op = n == 1 ? st.op1 : st.op2;
        const std::uint32_t w = operandWord(c, n);
        op.word = w;
        op.value = w;
        if (operandImmediate(c, n)) {
            op.type = OperandType::Imm;
        } else if (packedStreamRegisterForm(w0)) {
            op.type = OperandType::GPR;
        } else if (registerKind(w) == RegisterKind::PSR) {
            op.type = OperandType::PSR;
            op.value = psrNumber(w);
            if (psrNumber(w) < 41)
                st.gridHint = "PSR" + std::to_string(psrNumber(w)) + ": " + std::string(psrDescription(psrNumber(w)));
        } else {
            op.type = OperandType::GPR;
            op.value = gprNumber(w);
        }
    }
    return st;
}

// --- Following ---

FollowTarget followCommand(const TCommands& list, std::size_t index, bool menuLoaded) {
    FollowTarget t;
    if (index >= list.size()) return t;
    const TCommand& c = list[index];
    const std::uint32_t d = c.w[1];
    const std::uint32_t s = c.w[2];
    const std::uint32_t w0 = c.w[0];
    const bool imm1 = op1Immediate(w0);
    const bool imm2 = op2Immediate(w0);
    // Only immediate operands name what the command leads to.
    switch (opcodeOf(w0)) {
    case Opcode::GoTo:
        if (w0 != withFlags(Opcode::GoTo, true)) break;
        t.kind = FollowTarget::Kind::Line;
        t.line = d;
        break;
    case Opcode::JumpTitle:
    case Opcode::CallTitle:
        if (!imm1 || imm2) break;
        t.kind = FollowTarget::Kind::Title;
        if (d >= 1 && d <= 999) t.title = d;
        break;
    case Opcode::PlayPL:
        if (w0 == withFlags(Opcode::PlayPL, false)) {
            // Play PL GPRn right after Move GPRn, value: the playlist is the value.
            const TCommand* before = index > 0 ? &list[index - 1] : nullptr;
            if (before && before->w[0] == withFlags(Opcode::Move, false, true) && before->w[1] == d) {
                t.kind = FollowTarget::Kind::Playlist;
                t.playlist = dec5(before->w[2]);
            }
        } else if (w0 == withFlags(Opcode::PlayPL, true)) {
            t.kind = FollowTarget::Kind::Playlist;
            t.playlist = dec5(d);
        }
        break;
    case Opcode::PlayPLatPI:
    case Opcode::PlayPLatMK:
        if (!imm1) break;
        t.kind = FollowTarget::Kind::Playlist;
        t.playlist = dec5(d);
        if (w0 == withFlags(Opcode::PlayPLatPI, true, true)) t.playItem = s;
        break;
    case Opcode::SetButtonPage:
        if (!menuLoaded || (!imm1 && !imm2)) break;
        if (imm2 && (s & 0x80000000u)) t.page = s & 0xFF;
        if (imm1 && (d & 0x80000000u)) t.button = d & 0xFFFF;
        if (t.page || t.button) t.kind = FollowTarget::Kind::ButtonPage;
        break;
    default: break;
    }
    return t;
}

// --- Program lists ---

std::string programListText(const TCommands& list) {
    const std::string rule = ";" + std::string(60, '-');
    const std::string empty = ";";
    std::string out;
    const std::string title = ";             MovieObject program list by Navora";
    for (const std::string* line : {&rule, &empty, &title, &empty, &rule}) {
        out += *line;
        out += "\r\n";
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        out += programListRow(comm2str(list[i], i, CommandContext::MovieObject));
        out += "\r\n";
    }
    return out;
}

std::string programListRows(const TCommands& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        out += programListRow(comm2str(list[i], i, CommandContext::MovieObject));
        out += '\n';
    }
    return out;
}

namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

ProgramListParse parseProgramList(std::string_view text) {
    ProgramListParse r;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == ';') continue;
        const AsmResult c = assembleRow(line);
        if (!c) {
            r.badLine = number;
            r.error = "line " + std::to_string(number) + " is not a command (column " + std::to_string(c.column) +
                      ": " + c.error + "): " + std::string(line.substr(0, 80));
            r.commands.clear();
            return r;
        }
        if (r.commands.size() == kMaxCommands) {
            r.badLine = number;
            r.error = "more than " + std::to_string(kMaxCommands) + " commands";
            r.commands.clear();
            return r;
        }
        r.commands.push_back(*c.command);
    }
    return r;
}

Bytes programListBinary(const TCommands& list) {
    ByteWriter w;
    for (const TCommand& c : list)
        for (std::uint32_t word : c.w) w.putlword(word);
    return w.take();
}

std::string programListFileName(std::size_t object, ProgramFormat format) {
    return "program_" + dec3(object) + (format == ProgramFormat::Binary ? ".bin" : ".lst");
}

void saveProgramList(const std::filesystem::path& path, const TCommands& list, ProgramFormat format) {
    if (format == ProgramFormat::Binary) {
        saveAtomic(path, programListBinary(list));
    } else {
        const std::string text = programListText(list);
        saveAtomic(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
}

}  // namespace navora

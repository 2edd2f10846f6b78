#include "nav/disasm.h"

#include <fmt/format.h>

namespace navora {

std::string hex8(std::uint32_t v) { return fmt::format("{:08X}", v); }
std::string dec4(std::size_t v) { return fmt::format("{:04}", v); }
std::string dec3(std::size_t v) { return fmt::format("{:03}", v); }
std::string dec5(std::uint64_t v) { return fmt::format("{:05}", v); }

const std::array<std::string, 5>& commandColumnTitles() {
    static const std::array<std::string, 5> t = {"No.", "Opcode", "Destinat.", "Source", "Command line"};
    return t;
}

const std::string& CommandRow::cell(int column) const {
    switch (column) {
    case ColNo: return no;
    case ColOpcode: return opcode;
    case ColDestination: return destination;
    case ColSource: return source;
    default: return line;
    }
}

namespace {

std::string num(std::uint32_t v) { return std::to_string(v); }

// x alone when the flag is set, "(x)" when it is clear.
std::string flagged(std::uint32_t x, bool flag) { return flag ? num(x) : "(" + num(x) + ")"; }
std::string flaggedGpr(std::uint32_t n, bool flag) { return flag ? "GPR" + num(n) : "(GPR" + num(n) + ")"; }

std::uint32_t bits(std::uint32_t w, int hi, int lo) { return (w >> lo) & ((1u << (hi - lo + 1)) - 1); }

std::string packedText(PackedKind kind, int operand, std::uint32_t w, bool immediate) {
    const bool hi = w & 0x80000000u;
    const bool lo = w & 0x8000u;
    const std::string lead = operand == 1 ? " " : ", ";
    switch (kind) {
    case PackedKind::SetStream:
        if (operand == 1)
            return immediate ? lead + flagged(bits(w, 23, 16), hi) + ", " + flagged(bits(w, 11, 0), lo)
                             : lead + flaggedGpr(bits(w, 27, 16), hi) + ", " + flaggedGpr(bits(w, 11, 0), lo);
        return immediate ? lead + flagged(bits(w, 23, 16), hi) + ", " + flagged(bits(w, 7, 0), lo)
                         : lead + flaggedGpr(bits(w, 27, 16), hi) + ", " + flaggedGpr(bits(w, 7, 0), lo);
    case PackedKind::SetButtonPage:
        if (immediate) {
            std::uint32_t v = operand == 1 ? bits(w, 15, 0) : bits(w, 7, 0);
            return hi ? lead + num(v) : lead + "(" + num(v) + ")";
        }
        return lead + flaggedGpr(operand == 1 ? bits(w, 11, 0) : bits(w, 27, 16), hi);
    case PackedKind::SetSecondaryStream:
        if (operand == 1)
            return immediate ? lead + flagged(bits(w, 19, 16), hi) + ", " + flagged(bits(w, 7, 0), lo)
                             : lead + flagged(bits(w, 19, 16), hi) + ", " + flaggedGpr(bits(w, 11, 0), lo);
        return immediate ? lead + flagged(bits(w, 23, 16), hi) + ", " + flagged(bits(w, 11, 0), lo)
                         : lead + flaggedGpr(bits(w, 27, 16), hi) + ", " + flaggedGpr(bits(w, 11, 0), lo);
    case PackedKind::None: break;
    }
    return {};
}

// One byte of a language or country code as display text. Printable
// characters stand for themselves (Latin-1 above 0x7F, written as UTF-8);
// control characters, which a register word of no language holds, show as ".".
void appendCodeChar(std::string& out, std::uint32_t byte) {
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
        out += '.';
    } else if (byte < 0x80) {
        out += static_cast<char>(byte);
    } else {
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
    }
}

}  // namespace

std::string operandText(const TCommand& c, int operand) {
    const std::uint32_t w0 = c.w[0];
    if (operandCount(w0) < static_cast<unsigned>(operand)) return {};
    const std::uint32_t w = operandWord(c, operand);
    const bool immediate = operandImmediate(c, operand);
    if (PackedKind kind = packedKind(w0); kind != PackedKind::None) return packedText(kind, operand, w, immediate);
    const std::string lead = operand == 1 ? " " : ", ";
    if (immediate) return lead + num(w);
    if (registerKind(w) == RegisterKind::PSR) return lead + "PSR" + num(psrNumber(w));
    return lead + "GPR" + num(gprNumber(w));
}

CommandRow comm2str(const TCommand& c, std::size_t index, CommandContext context) {
    const std::uint32_t w0 = c.w[0];
    const unsigned count = operandCount(w0);
    CommandRow row;
    row.no = dec4(index);
    row.opcode = hex8(w0);
    row.destination = hex8(c.w[1]) + (count >= 1 ? " " : "");
    row.source = hex8(c.w[2]) + (count == 2 ? " " : "");

    const bool valid = isValidCommand(w0);
    const bool forbidden = valid && isForbiddenCommand(w0, context);
    row.kind = !valid ? CommandKind::Invalid : forbidden ? CommandKind::Forbidden : CommandKind::Normal;
    row.beep = !valid && context == CommandContext::Button;

    const std::string op1 = operandText(c, 1);
    const std::string op2 = operandText(c, 2);
    std::string line = !valid ? "!" : forbidden ? "*" : "";
    line += commandName(w0) + op1 + op2;
    if (!valid) line += "  ; Invalid opcode";
    if (forbidden) line += "  ; Forbidden opcode";

    // The comment names the PSR of operand 2, else of operand 1; the packed
    // SetSystem forms hold no PSR.
    if (valid && packedKind(w0) == PackedKind::None) {
        auto psrOf = [&](int n) -> std::optional<unsigned> {
            if (count < static_cast<unsigned>(n) || operandImmediate(c, n)) return std::nullopt;
            std::uint32_t w = operandWord(c, n);
            if (registerKind(w) != RegisterKind::PSR) return std::nullopt;
            return psrNumber(w);
        };
        std::optional<unsigned> psr = psrOf(2);
        if (!psr) psr = psrOf(1);
        if (psr && *psr < static_cast<unsigned>(kPsrDescriptions)) {
            line += "       ;PSR" + num(*psr) + ": " + std::string(psrDescription(*psr));
            if (*psr >= 16 && *psr <= 19) {
                const std::uint32_t w = op1.starts_with(" PSR") ? c.w[2] : c.w[1];
                std::string code;
                if (bits(w, 23, 16) != 0) appendCodeChar(code, bits(w, 23, 16));
                appendCodeChar(code, bits(w, 15, 8));
                appendCodeChar(code, bits(w, 7, 0));
                line += "  [" + code + "]";
            }
        }
    }
    row.line = std::move(line);
    return row;
}

std::string programListRow(const CommandRow& row) {
    return row.no + "  [" + row.opcode + "," + row.destination + "," + row.source + "]  " + row.line;
}

}  // namespace navora

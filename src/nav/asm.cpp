#include "nav/asm.h"

#include "nav/decode.h"
#include "nav/disasm.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace navora {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct NamedCommand {
    std::string_view name;
    unsigned group, subGroup, option;
};

// Every command name with its place in the name table, longest first so that
// "Play PL_PI" is tried before "Play PL". Of the two "---" the first (Set) is kept.
const std::vector<NamedCommand>& namedCommands() {
    static const std::vector<NamedCommand> names = [] {
        std::vector<NamedCommand> v;
        for (unsigned g = 0; g < kGroups; ++g)
            for (unsigned s = 0; s < kSubGroups; ++s)
                for (unsigned o = 0; o < kOptions; ++o) {
                    const std::string& n = commandName(g, s, o);
                    if (n.empty()) continue;
                    if (std::none_of(v.begin(), v.end(), [&](const NamedCommand& c) { return c.name == n; }))
                        v.push_back({n, g, s, o});
                }
        std::stable_sort(v.begin(), v.end(),
                         [](const NamedCommand& a, const NamedCommand& b) { return a.name.size() > b.name.size(); });
        return v;
    }();
    return names;
}

// Word 0 of (group, sub-group, option) with operand count 0 and no immediate flags.
std::uint32_t baseWord(unsigned group, unsigned subGroup, unsigned option) {
    std::uint32_t w = (group << 27) | (subGroup << 24);
    switch (group) {
    case 0: w |= option << 16; break;
    case 1: w |= option << 8; break;
    default: w |= option; break;
    }
    return w;
}

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

enum class ItemKind { GPR, PSR, Imm };

// One operand item: a register or a number, possibly in parentheses.
struct Item {
    ItemKind kind = ItemKind::Imm;
    std::uint64_t value = 0;
    bool paren = false;
    std::size_t column = 0;  // from 1, in the whole text
};

class Parser {
public:
    Parser(std::string_view text, std::size_t columnBase) : text_(text), base_(columnBase) {}

    bool failed() const { return !error_.empty(); }
    AsmResult failure() const {
        AsmResult r;
        r.column = errorColumn_;
        r.error = error_;
        return r;
    }

    AsmResult run() {
        skipBlanks();
        if (pos_ == text_.size()) return fail("no command", pos_), failure();
        const NamedCommand* named = nullptr;
        for (const NamedCommand& c : namedCommands()) {
            const std::string_view rest = text_.substr(pos_);
            if (rest.size() < c.name.size() || !sameLetters(rest.substr(0, c.name.size()), c.name)) continue;
            if (rest.size() > c.name.size() && !isBlank(rest[c.name.size()])) continue;
            named = &c;
            break;
        }
        if (!named) return fail("unknown command name", pos_), failure();
        pos_ += named->name.size();

        std::vector<Item> items;
        skipBlanks();
        while (pos_ < text_.size()) {
            if (!items.empty()) {
                if (text_[pos_] != ',') return fail("expected \",\" between operands", pos_), failure();
                ++pos_;
                skipBlanks();
            }
            Item item = parseItem();
            if (failed()) return failure();
            items.push_back(item);
            skipBlanks();
        }
        return build(*named, items);
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }
    void fail(std::string what, std::size_t at) {
        if (failed()) return;
        error_ = std::move(what);
        errorColumn_ = base_ + at + 1;
    }
    std::size_t column(std::size_t at) const { return base_ + at + 1; }

    Item parseItem() {
        Item item;
        item.column = column(pos_);
        if (pos_ < text_.size() && text_[pos_] == '(') {
            item.paren = true;
            ++pos_;
            skipBlanks();
        }
        const std::string_view rest = text_.substr(pos_);
        if (rest.size() >= 3 && (sameLetters(rest.substr(0, 3), "GPR") || sameLetters(rest.substr(0, 3), "PSR"))) {
            item.kind = sameLetters(rest.substr(0, 3), "GPR") ? ItemKind::GPR : ItemKind::PSR;
            pos_ += 3;
            item.value = number(10);
        } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
            pos_ += 2;
            item.value = number(16);
        } else {
            item.value = number(10);
        }
        if (failed()) return item;
        if (item.paren) {
            skipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != ')') {
                fail("expected \")\"", pos_);
                return item;
            }
            ++pos_;
        }
        return item;
    }

    // Digits of the base, at most 32 bits.
    std::uint64_t number(int base) {
        const std::size_t start = pos_;
        std::uint64_t v = 0;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (base == 16 && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d < 0) break;
            v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
            if (v > 0xFFFFFFFFu) {
                fail("number above 4294967295", start);
                return 0;
            }
            ++pos_;
        }
        if (pos_ == start)
            fail(base == 16 ? "expected a hexadecimal number" : "expected GPRn, PSRn or a number", start);
        return v;
    }

    // A register or immediate word of a plain operand.
    std::optional<std::uint32_t> plainWord(const Item& item) {
        if (item.paren) return failAt("parentheses only mark the fields of packed operands", item);
        switch (item.kind) {
        case ItemKind::GPR:
            if (item.value >= static_cast<std::uint64_t>(kGprCount)) return failAt("GPR number above 4095", item);
            return static_cast<std::uint32_t>(item.value);
        case ItemKind::PSR:
            if (item.value >= static_cast<std::uint64_t>(kPsrCount)) return failAt("PSR number above 127", item);
            return kPsrFlag | static_cast<std::uint32_t>(item.value);
        case ItemKind::Imm: return static_cast<std::uint32_t>(item.value);
        }
        return std::nullopt;
    }

    std::nullopt_t failAt(std::string what, const Item& item) {
        if (!failed()) {
            error_ = std::move(what);
            errorColumn_ = item.column;
        }
        return std::nullopt;
    }

    // A field of a packed operand: kind and width checked, placed at shift.
    std::optional<std::uint32_t> field(const Item& item, ItemKind kind, std::uint32_t max, int shift) {
        if (item.kind != kind)
            return failAt(kind == ItemKind::Imm ? "expected a number here" : "expected a GPR here", item);
        if (item.value > max) return failAt("field value above " + std::to_string(max), item);
        return static_cast<std::uint32_t>(item.value) << shift;
    }

    // One packed operand (1 or 2) of a SetSystem option from its items; sets
    // whether it is immediate.
    std::optional<std::uint32_t> packed(unsigned option, int operand, const Item* a, const Item* b, bool& immediate) {
        const std::uint32_t hi = a->paren ? 0 : 0x80000000u;
        const std::uint32_t lo = b && !b->paren ? 0x8000u : 0;
        std::optional<std::uint32_t> x, y;
        if (option == 3) {  // SetButtonPage: one field
            immediate = a->kind == ItemKind::Imm;
            if (immediate)
                x = operand == 1 ? field(*a, ItemKind::Imm, 0xFFFF, 0) : field(*a, ItemKind::Imm, 0xFF, 0);
            else
                x = operand == 1 ? field(*a, ItemKind::GPR, 0xFFF, 0) : field(*a, ItemKind::GPR, 0xFFF, 16);
            if (!x) return std::nullopt;
            return hi | *x;
        }
        if (option == 1) {  // SetStream
            immediate = a->kind == ItemKind::Imm;
            if (immediate) {
                x = field(*a, ItemKind::Imm, 0xFF, 16);
                y = field(*b, ItemKind::Imm, operand == 1 ? 0xFFF : 0xFF, 0);
            } else {
                x = field(*a, ItemKind::GPR, 0xFFF, 16);
                y = field(*b, ItemKind::GPR, operand == 1 ? 0xFFF : 0xFF, 0);
            }
        } else {  // SetSecondaryStream
            if (operand == 1) {
                immediate = b->kind == ItemKind::Imm;
                x = field(*a, ItemKind::Imm, 0xF, 16);
                y = immediate ? field(*b, ItemKind::Imm, 0xFF, 0) : field(*b, ItemKind::GPR, 0xFFF, 0);
            } else {
                immediate = a->kind == ItemKind::Imm;
                x = immediate ? field(*a, ItemKind::Imm, 0xFF, 16) : field(*a, ItemKind::GPR, 0xFFF, 16);
                y = immediate ? field(*b, ItemKind::Imm, 0xFFF, 0) : field(*b, ItemKind::GPR, 0xFFF, 0);
            }
        }
        if (!x || !y) return std::nullopt;
        return hi | lo | *x | *y;
    }

    AsmResult build(const NamedCommand& c, const std::vector<Item>& items) {
        const bool packable = c.group == 2 && c.subGroup == 1 && (c.option == 1 || c.option == 3 || c.option == 6);
        TCommand cmd;
        std::uint32_t w0 = baseWord(c.group, c.subGroup, c.option);
        if (packable && items.size() > 1) {
            const std::size_t fields = c.option == 3 ? 1 : 2;
            if (items.size() != 2 * fields) {
                fail(std::string(c.name) +
                         (fields == 1 ? " takes two operands" : " takes two operands of two fields each"),
                     pos_);
                if (items.size() > 2 * fields) errorColumn_ = items[2 * fields].column;
                return failure();
            }
            bool imm1 = false, imm2 = false;
            const auto w1 = packed(c.option, 1, &items[0], fields == 2 ? &items[1] : nullptr, imm1);
            if (!w1) return failure();
            const auto w2 = packed(c.option, 2, &items[fields], fields == 2 ? &items[fields + 1] : nullptr, imm2);
            if (!w2) return failure();
            w0 |= (2u << 29) | (imm1 ? kImmediate1 : 0) | (imm2 ? kImmediate2 : 0);
            cmd.w = {w0, *w1, *w2};
        } else {
            if (items.size() > 2) return failAt("at most two operands", items[2]), failure();
            w0 |= static_cast<std::uint32_t>(items.size()) << 29;
            for (std::size_t i = 0; i < items.size(); ++i) {
                const auto w = plainWord(items[i]);
                if (!w) return failure();
                cmd.w[i + 1] = *w;
                if (items[i].kind == ItemKind::Imm) w0 |= i == 0 ? kImmediate1 : kImmediate2;
            }
            cmd.w[0] = w0;
        }
        AsmResult r;
        r.command = cmd;
        return r;
    }

    std::string_view text_;
    std::size_t base_;
    std::size_t pos_ = 0;
    std::string error_;
    std::size_t errorColumn_ = 0;
};

// Where the command line inside `line` starts and ends once the mark and the
// comments are taken off (offsets into line).
std::pair<std::size_t, std::size_t> coreRange(std::string_view line) {
    std::size_t end = line.find(';');
    if (end == std::string_view::npos) end = line.size();
    std::size_t begin = 0;
    while (begin < end && isBlank(line[begin])) ++begin;
    if (begin < end && (line[begin] == '!' || line[begin] == '*')) ++begin;
    while (begin < end && isBlank(line[begin])) ++begin;
    while (end > begin && isBlank(line[end - 1])) --end;
    return {begin, end};
}

AsmResult assembleAt(std::string_view line, std::size_t columnBase) {
    const auto [begin, end] = coreRange(line);
    if (begin == end) {
        AsmResult r;
        r.column = columnBase + begin + 1;
        r.error = "no command";
        return r;
    }
    return Parser(line.substr(begin, end - begin), columnBase + begin).run();
}

AsmResult failedAt(std::size_t column, std::string what) {
    AsmResult r;
    r.column = column;
    r.error = std::move(what);
    return r;
}

}  // namespace

std::string_view commandCore(std::string_view line) {
    const auto [begin, end] = coreRange(line);
    return line.substr(begin, end - begin);
}

AsmResult assembleCommand(std::string_view line) { return assembleAt(line, 0); }

AsmResult assembleRow(std::string_view row) {
    std::size_t pos = 0;
    while (pos < row.size() && isBlank(row[pos])) ++pos;
    // A leading line number ("0003  ...").
    std::size_t digits = pos;
    while (digits < row.size() && std::isdigit(static_cast<unsigned char>(row[digits]))) ++digits;
    if (digits > pos && (digits == row.size() || isBlank(row[digits]) || row[digits] == '[')) {
        pos = digits;
        while (pos < row.size() && isBlank(row[pos])) ++pos;
    }
    if (pos >= row.size() || row[pos] != '[') return assembleAt(row.substr(pos), pos);

    // The words: one to eight hexadecimal digits each, blanks around them.
    const std::size_t close = row.find(']', pos);
    if (close == std::string_view::npos) return failedAt(row.size() + 1, "expected \"]\" after the words");
    TCommand words;
    std::size_t at = pos + 1;
    for (int i = 0; i < 3; ++i) {
        while (at < close && isBlank(row[at])) ++at;
        const std::size_t start = at;
        std::uint32_t v = 0;
        while (at < close && std::isxdigit(static_cast<unsigned char>(row[at]))) {
            if (at - start == 8) return failedAt(at + 1, "a word has at most eight hexadecimal digits");
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(row[at])));
            v = (v << 4) | static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
            ++at;
        }
        if (at == start) return failedAt(at + 1, "expected a hexadecimal word");
        words.w[static_cast<std::size_t>(i)] = v;
        while (at < close && isBlank(row[at])) ++at;
        const char want = i < 2 ? ',' : ']';
        if ((i < 2 && (at >= close || row[at] != ',')) || (i == 2 && at != close))
            return failedAt(at + 1, std::string("expected \"") + want + "\"");
        ++at;
    }
    const std::string_view text = row.substr(close + 1);
    const std::string_view core = commandCore(text);
    if (core.empty() || core == commandCore(comm2str(words, 0, CommandContext::MovieObject).line)) {
        AsmResult r;
        r.command = words;
        return r;
    }
    return assembleAt(text, close + 1);
}

}  // namespace navora

// disasm MovieObject.bdmv, asm FILE|-, run MovieObject.bdmv

#include "cli/commands.h"
#include "core/fileio.h"
#include "core/logviews.h"
#include "nav/asm.h"
#include "nav/disasm.h"
#include "nav/machine.h"
#include "navdb/movieobject_io.h"

#include <fmt/format.h>

#include <cctype>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace navora::cli {

namespace {

// Prints the log lines like the terminal view and, in addition, every
// non-empty text of status panel 1: the reports of the navigation machine
// and the trace lines.
class ReportPrintingView : public TerminalLogView {
public:
    ReportPrintingView(std::FILE* out, bool colour) : TerminalLogView(out, colour), out_(out) {}
    void setPanel(int panel, const std::string&, const std::string& plain) override {
        if (panel != 1 || plain.empty()) return;
        std::fwrite(plain.data(), 1, plain.size(), out_);
        std::fputc('\n', out_);
        std::fflush(out_);
    }

private:
    std::FILE* out_;
};

// Puts a view on the log for the life of the object.
class ViewSwap {
public:
    ViewSwap(Log& log, LogView* view) : log_(log), old_(log.view()) { log.setView(view); }
    ~ViewSwap() { log_.setView(old_); }
    ViewSwap(const ViewSwap&) = delete;
    ViewSwap& operator=(const ViewSwap&) = delete;

private:
    Log& log_;
    LogView* old_;
};

// Reads the file; one that ends early is read as far as it goes, with a
// warning that says what was kept and dropped, and the exit code for a file
// read incomplete.
TMOBJ readMovieObjectFile(const std::string& path, CliState& state) {
    const Bytes data = readDatabaseFile(path);
    MobjReadReport report;
    TMOBJ m = readMovieObjects(data, path, &report);
    if (!report.complete) {
        warnCutMovieObjects(path, report);
        state.exitCode = kExitIncomplete;
    }
    return m;
}

void printLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

// Digits of the base only, at most max.
std::optional<std::uint64_t> parseNumber(const std::string& s, int base, std::uint64_t max) {
    if (s.empty()) return std::nullopt;
    std::uint64_t v = 0;
    for (char ch : s) {
        int digit;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (base == 16 && ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else if (base == 16 && ch >= 'A' && ch <= 'F')
            digit = ch - 'A' + 10;
        else
            return std::nullopt;
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (v > max) return std::nullopt;
    }
    return v;
}

struct RegisterSet {
    RegisterKind kind = RegisterKind::GPR;
    unsigned number = 0;
    std::uint32_t value = 0;
};

// "PSR4=1", "GPR7=0x10": register name (any case), number, "=", a decimal
// or 0x-hexadecimal 32-bit value.
std::optional<RegisterSet> parseRegisterSet(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq < 4) return std::nullopt;
    std::string name = text.substr(0, 3);
    for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    RegisterSet r;
    if (name == "PSR")
        r.kind = RegisterKind::PSR;
    else if (name != "GPR")
        return std::nullopt;
    const std::uint64_t last = r.kind == RegisterKind::PSR ? kPsrCount - 1 : kGprCount - 1;
    const auto number = parseNumber(text.substr(3, eq - 3), 10, last);
    std::string valueText = text.substr(eq + 1);
    std::optional<std::uint64_t> value;
    if (valueText.size() > 2 && valueText[0] == '0' && (valueText[1] == 'x' || valueText[1] == 'X'))
        value = parseNumber(valueText.substr(2), 16, 0xFFFFFFFFu);
    else
        value = parseNumber(valueText, 10, 0xFFFFFFFFu);
    if (!number || !value) return std::nullopt;
    r.number = static_cast<unsigned>(*number);
    r.value = static_cast<std::uint32_t>(*value);
    return r;
}

// Movie objects are numbered by a 16-bit count; a run is bounded.
constexpr std::int64_t kMaxObjectNumber = 0xFFFE;
constexpr std::int64_t kMaxSteps = 1'000'000'000;

struct DisasmArgs {
    std::string file;
    std::optional<std::size_t> object;
};

struct RunArgs {
    std::string file;
    std::size_t object = 0;
    bool trace = false;
    std::vector<std::string> sets;
    std::uint64_t maxSteps = 1000000;
    bool realValues = false;
    std::string region = "A";
    std::string country = "5553";
    std::uint32_t seed = 1;
};

void runDisasm(const DisasmArgs& a, CliState& state) {
    try {
        const TMOBJ m = readMovieObjectFile(a.file, state);
        const auto& objects = m.mobjs.objects;
        if (a.object && *a.object >= objects.size()) {
            std::fprintf(stderr, "navora-cli: %s: no movie object %zu (the file has %zu)\n", a.file.c_str(),
                         *a.object, objects.size());
            state.exitCode = kExitFailed;
            return;
        }
        for (std::size_t o = 0; o < objects.size(); ++o) {
            if (a.object && o != *a.object) continue;
            printLine("; object " + dec3(o));
            const TCommands& list = objects[o].commands;
            for (std::size_t i = 0; i < list.size(); ++i)
                printLine(programListRow(comm2str(list[i], i, CommandContext::MovieObject)));
        }
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "navora-cli: %s\n", errorText(e).c_str());
        state.exitCode = kExitFailed;
    }
}

// Program-list rows (as disasm prints them, or command lines) to words: one
// line "OPCODE DEST SOURCE" per command. Blank lines and ";" lines are
// skipped. The first line that does not assemble stops the run with its line
// and column on stderr, before anything is printed.
void runAsm(const std::string& file, CliState& state) {
    std::string text;
    try {
        if (file == "-") {
            char buffer[65536];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, n);
        } else {
            const Bytes data = readDatabaseFile(file);
            text.assign(data.begin(), data.end());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "navora-cli: %s\n", e.what());
        state.exitCode = kExitFailed;
        return;
    }
    const std::string name = file == "-" ? std::string("<stdin>") : file;
    std::string out;
    std::size_t number = 0;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == ';') continue;
        const AsmResult r = assembleRow(line);
        if (!r) {
            std::fprintf(stderr, "navora-cli: %s:%zu:%zu: %s\n  %.*s\n  %*s^\n", name.c_str(), number, r.column,
                         r.error.c_str(), static_cast<int>(line.size()), line.data(), static_cast<int>(r.column - 1),
                         "");
            state.exitCode = kExitFailed;
            return;
        }
        const TCommand& c = *r.command;
        out += hex8(c.w[0]) + " " + hex8(c.w[1]) + " " + hex8(c.w[2]) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

void runProgram(const RunArgs& a, CliState& state) {
    std::vector<RegisterSet> sets;
    for (const std::string& s : a.sets) {
        auto r = parseRegisterSet(s);
        if (!r) {
            std::fprintf(stderr,
                         "navora-cli: bad --set '%s': expected PSRn=value (n 0..127) or GPRn=value (n 0..4095)\n",
                         s.c_str());
            state.exitCode = kExitUsage;
            return;
        }
        sets.push_back(*r);
    }
    int region = -1;
    if (a.region == "A" || a.region == "a") region = 0;
    if (a.region == "B" || a.region == "b") region = 1;
    if (a.region == "C" || a.region == "c") region = 2;
    const std::optional<std::uint64_t> country = parseNumber(a.country, 16, 0xFFFF);
    if (region < 0 || !country) {
        std::fprintf(stderr, "navora-cli: bad %s\n", region < 0 ? "--region: expected A, B or C"
                                                                : "--country: expected up to 4 hexadecimal digits");
        state.exitCode = kExitUsage;
        return;
    }

    TMOBJ m;
    try {
        m = readMovieObjectFile(a.file, state);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "navora-cli: %s\n", errorText(e).c_str());
        state.exitCode = kExitFailed;
        return;
    }
    if (a.object >= m.mobjs.objects.size()) {
        std::fprintf(stderr, "navora-cli: %s: no movie object %zu (the file has %zu)\n", a.file.c_str(), a.object,
                     m.mobjs.objects.size());
        state.exitCode = kExitFailed;
        return;
    }
    const TCommands& list = m.mobjs.objects[a.object].commands;

    Log& log = state.log;
    ReportPrintingView view(stdout, state.colour);
    ViewSwap swap(log, &view);
    log.actiDelayMs = 0;

    NavMachine machine(log);
    machine.setOptions({a.realValues, region, clampCountryCode(static_cast<std::uint32_t>(*country))});
    machine.ResetRegs();
    machine.seedRandom(a.seed);
    for (const RegisterSet& s : sets) {
        if (s.kind == RegisterKind::PSR)
            machine.setPsr(s.number, s.value);
        else
            machine.setGpr(s.number, s.value);
    }

    if (!a.trace) {
        machine.start(list, RunLimits{a.maxSteps});
    } else {
        machine.setTrace(true);
        machine.start(list);  // shows the first line, executes nothing
        std::uint64_t steps = 0;
        while (machine.traceInProgress()) {
            if (steps >= a.maxSteps) {
                log.slog(fmt::format("Step limit of {} commands reached.", steps), 1);
                break;
            }
            steps += machine.start(list).steps;
        }
    }
    for (const std::string& line : machine.psrDump()) log.log(line);
    for (const std::string& line : machine.gprDump()) log.log(line);
}

}  // namespace

void registerNavCommands(CLI::App& app, CliState& state) {
    // Option values live in shared objects that the callbacks keep alive.
    auto disasmArgs = std::make_shared<DisasmArgs>();
    auto* disasm = app.add_subcommand("disasm", "Print the programs of the movie objects as program list rows.");
    disasm->add_option("FILE", disasmArgs->file, "MovieObject.bdmv")->required();
    disasm->add_option("--object", disasmArgs->object, "Only this movie object (from 0)")
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{kMaxObjectNumber}));
    disasm->callback([disasmArgs, &state] { runDisasm(*disasmArgs, state); });

    auto asmFile = std::make_shared<std::string>();
    auto* assemble = app.add_subcommand(
        "asm", "Assemble program-list rows (as disasm prints them; command lines alone, a leading line number and "
               "the words in brackets are allowed) into one line per command: the three words as 8-digit "
               "hexadecimal. Exit 1 at the first line that does not assemble (line and column on stderr).");
    assemble->add_option("FILE", *asmFile, "The rows, or - for standard input")->required();
    assemble->callback([asmFile, &state] { runAsm(*asmFile, state); });

    auto runArgs = std::make_shared<RunArgs>();
    auto* run = app.add_subcommand(
        "run",
        "Run a movie object's program on the navigation machine, print each report, then the PSR and GPR dumps.\n"
        "Exit 1 when the file cannot be read (a version other than \"0100\", \"0200\" or \"0300\" is refused) or the object "
        "does not exist; exit 2 on bad register or option syntax or a number out of range; exit 3 when the file "
        "ends early (what it holds is run).");
    run->add_option("FILE", runArgs->file, "MovieObject.bdmv")->required();
    run->add_option("--object", runArgs->object, "The movie object to run (from 0)")
        ->required()
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{kMaxObjectNumber}));
    run->add_flag("--trace", runArgs->trace, "Step through the program and print each next line");
    run->add_option("--set", runArgs->sets, "Set a register after the reset: PSRn=value or GPRn=value (0x for hex)");
    run->add_option("--max-steps", runArgs->maxSteps, "Stop after this many commands (default 1000000)")
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{kMaxSteps}));
    run->add_flag("--real", runArgs->realValues, "Init PSRs with 'real' values");
    run->add_option("--region", runArgs->region, "Region code A, B or C (default A)");
    run->add_option("--country", runArgs->country, "Country code in hexadecimal (default 5553, US)");
    run->add_option("--seed", runArgs->seed, "Seed of the Rnd command (default 1)")
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{0xFFFFFFFF}));
    run->callback([runArgs, &state] { runProgram(*runArgs, state); });
}

}  // namespace navora::cli

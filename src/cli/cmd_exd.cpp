// exd FILE.exd: the ExtensionData block of an .exd file as the ExtensionData
// editor shows it: the summary, the entry rows and each entry's hex dump.

#include "cli/commands.h"
#include "core/extdata.h"
#include "core/fileio.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace navora::cli {

namespace {

// A dump line with its runs in ANSI colours: the address blue, the characters red.
std::string coloured(const DumpLine& line) {
    // Run positions count characters; the text is UTF-8.
    std::vector<std::size_t> byteAt;
    for (std::size_t i = 0; i < line.text.size(); ++i)
        if ((static_cast<unsigned char>(line.text[i]) & 0xC0) != 0x80) byteAt.push_back(i);
    byteAt.push_back(line.text.size());
    const auto at = [&](std::size_t c) { return byteAt[std::min(c, byteAt.size() - 1)]; };
    std::string out;
    std::size_t done = 0;
    for (const DumpRun& r : line.runs) {
        const char* code = r.kind == DumpRunKind::Address ? "34" : r.kind == DumpRunKind::Chars ? "31"
                           : r.kind == DumpRunKind::Note  ? "2"  : nullptr;
        const std::size_t b = at(r.begin), e = at(r.end);
        out += line.text.substr(done, b - done);
        if (code)
            out += std::string("\x1b[") + code + "m" + line.text.substr(b, e - b) + "\x1b[0m";
        else
            out += line.text.substr(b, e - b);
        done = e;
    }
    return out + line.text.substr(done);
}

void printText(const std::string& name, const TExtensionData& block, bool colour) {
    std::printf("%s: %s\n", name.c_str(), extDatProp(block).c_str());
    const std::vector<ExtDataEntryRow> rows = extDataEntryRows(block);
    if (rows.empty()) return;
    std::printf("No.  ID1   ID2   start     length\n");
    for (const ExtDataEntryRow& r : rows)
        std::printf("%s  %s  %s  %s  %s\n", r.number.c_str(), r.id1.c_str(), r.id2.c_str(), r.start.c_str(),
                    r.length.c_str());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::printf("\nEntry %s\n", rows[i].number.c_str());
        for (const DumpLine& line : extDataDump(block, i))
            std::printf("%s\n", colour ? coloured(line).c_str() : line.text.c_str());
    }
}

void printJson(const std::string& name, const TExtensionData& block) {
    nlohmann::ordered_json j;
    j["file"] = name;
    j["summary"] = extDatProp(block);
    j["length"] = block.length;
    j["data_block_start_address"] = block.data_block_start_address;
    j["entries"] = nlohmann::ordered_json::array();
    const std::vector<ExtDataEntryRow> rows = extDataEntryRows(block);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        nlohmann::ordered_json e;
        e["No."] = rows[i].number;
        e["ID1"] = rows[i].id1;
        e["ID2"] = rows[i].id2;
        e["start"] = rows[i].start;
        e["length"] = rows[i].length;
        e["dump"] = nlohmann::ordered_json::array();
        for (const DumpLine& line : extDataDump(block, i)) e["dump"].push_back(line.text);
        j["entries"].push_back(std::move(e));
    }
    std::printf("%s\n", j.dump(2).c_str());
}

}  // namespace

void registerExdCommands(CLI::App& app, CliState& state) {
    struct Args {
        std::string file;
        bool json = false;
    };
    auto args = std::make_shared<Args>();
    auto* exd = app.add_subcommand(
        "exd", "Print an .exd file's ExtensionData block as the ExtensionData editor shows it: the summary, the "
               "entry rows and each entry's data as hex dump lines.");
    exd->add_option("FILE", args->file, "The .exd file")->required();
    exd->add_flag("--json", args->json, "Print the same as JSON");
    exd->callback([args, &state] {
        try {
            const TExtensionData block = readExd(readDatabaseFile(args->file), args->file);
            if (args->json)
                printJson(args->file, block);
            else
                printText(args->file, block, state.colour);
            if (warnBytesBeyondBlock(args->file, block)) state.exitCode = kExitIncomplete;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "navora-cli: %s\n", errorText(e).c_str());
            state.exitCode = kExitFailed;
        }
    });
}

}  // namespace navora::cli

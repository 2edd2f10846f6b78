// Feeds arbitrary text to the command assembler, line by line as a pasted
// program list, and checks what it promises: a command it assembles prints
// the same command line again, and the row printed from it reads back to
// exactly its words.
#include "nav/asm.h"
#include "nav/disasm.h"
#include "nav/edit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)navora::parseProgramList(text);
    const navora::AsmResult line = navora::assembleCommand(text);
    if (line) {
        const navora::TCommand& c = *line.command;
        const auto row = navora::comm2str(c, 0, navora::CommandContext::Button);
        const navora::AsmResult again = navora::assembleRow(navora::programListRow(row));
        if (!again || *again.command != c) std::abort();
        const navora::AsmResult printed = navora::assembleCommand(row.line);
        if (!printed) std::abort();
        const auto back = navora::comm2str(*printed.command, 0, navora::CommandContext::Button);
        if (navora::commandCore(back.line) != navora::commandCore(row.line)) std::abort();
    } else if (line.column == 0 || line.column > size + 1) {
        std::abort();  // an error names a column of the text
    }
    return 0;
}

#include "core/errors.h"

#include <filesystem>
#include <new>

namespace navora {

std::string errorText(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return "out of memory: the system could not give the memory this needs";
    if (const auto* fe = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
        // what() reads "filesystem error: cannot create directories: <reason> [<path>]".
        std::string op = fe->what();
        const std::string prefix = "filesystem error: ";
        if (op.rfind(prefix, 0) == 0) op.erase(0, prefix.size());
        if (const auto cut = op.find(": "); cut != std::string::npos) op.erase(cut);
        std::string text = op;
        if (!fe->path1().empty()) text += " \"" + fe->path1().string() + "\"";
        if (!fe->path2().empty()) text += " and \"" + fe->path2().string() + "\"";
        return text + ": " + fe->code().message();
    }
    return e.what();
}

}  // namespace navora

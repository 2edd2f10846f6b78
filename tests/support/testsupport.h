#pragma once
// Helpers shared by the engine tests: temporary folders, the corpus, and
// running navora-cli.

#include "core/bytes.h"

#include <filesystem>
#include <string>
#include <vector>

namespace navora::test {

namespace fs = std::filesystem;

// A fresh folder removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

// The corpus folder (../shared/corpus beside the repository).
fs::path corpusDir();
// The disc roots under corpus/tsmuxer (folders that hold a BDMV folder), sorted.
std::vector<fs::path> corpusDiscs();
// Every file under the corpus whose name is name (e.g. "index.bdmv"), sorted.
std::vector<fs::path> corpusFiles(const std::string& name);

Bytes readFile(const fs::path& p);
void writeFile(const fs::path& p, const Bytes& data);

struct CliResult {
    int exitCode = -1;
    std::string out;  // stdout
    std::string err;  // stderr
};
// Runs navora-cli with the arguments (each quoted for the shell).
CliResult runCli(const std::vector<std::string>& args);

}  // namespace navora::test

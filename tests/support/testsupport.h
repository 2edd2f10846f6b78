#pragma once
// Helpers shared by the engine tests: temporary folders, the corpus, and
// running navora-cli.

#include "core/bytes.h"

#include <filesystem>
#include <optional>
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
// "corpus not found: <folder>" when the corpus folder (or its sub-folder sub)
// is absent, nothing when it is there.
std::optional<std::string> corpusMissing(const std::string& sub = {});
// True when NAVORA_REQUIRE_CORPUS is set to a non-empty value other than "0"
// (CI sets it): a missing corpus then fails the tests that need it.
bool corpusRequired();
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

// Skips the calling test with one clear message when the corpus (or its
// sub-folder) is absent, or fails it when the corpus is required.
#define NAVORA_NEED_CORPUS(...)                                                         \
    do {                                                                                \
        if (const auto navoraMissing = ::navora::test::corpusMissing(__VA_ARGS__)) {    \
            if (::navora::test::corpusRequired()) FAIL() << *navoraMissing;             \
            GTEST_SKIP() << *navoraMissing;                                             \
        }                                                                               \
    } while (0)

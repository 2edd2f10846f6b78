#include "support/testsupport.h"

#include "core/fileio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>

namespace navora::test {

namespace {

// Saves in the tests keep their backups out of the disc tree by default, in
// the per-user data folder: point it into a scratch folder for the run, so
// that no test writes into the user's own data folder.
struct ScratchDataHome {
    fs::path dir;
    ScratchDataHome() {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("navora-test-data-" + std::to_string(rd()) + std::to_string(rd()));
        std::error_code ec;
        fs::create_directories(dir, ec);
        ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
    }
    ~ScratchDataHome() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};
const ScratchDataHome scratchDataHome;

}  // namespace

TempDir::TempDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("navora-test-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path corpusDir() { return fs::path(NAVORA_CORPUS_DIR); }

std::optional<std::string> corpusMissing(const std::string& sub) {
    const fs::path dir = sub.empty() ? corpusDir() : corpusDir() / sub;
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return std::nullopt;
    return "corpus not found: " + dir.string();
}

bool corpusRequired() {
    const char* v = std::getenv("NAVORA_REQUIRE_CORPUS");
    return v && *v && std::string_view(v) != "0";
}

std::vector<fs::path> corpusDiscs() {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(corpusDir() / "tsmuxer", ec))
        if (e.is_directory() && fs::is_directory(e.path() / "BDMV")) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<fs::path> corpusFiles(const std::string& name) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(corpusDir(), ec))
        if (e.is_regular_file() && e.path().filename() == name) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

Bytes readFile(const fs::path& p) { return readWholeFile(p); }

void writeFile(const fs::path& p, const Bytes& data) {
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

namespace {
std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
std::string slurp(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}
}  // namespace

CliResult runCli(const std::vector<std::string>& args) {
    TempDir tmp;
    std::string cmd = quote(NAVORA_CLI_PATH);
    for (const auto& a : args) cmd += " " + quote(a);
    cmd += " >" + quote((tmp / "out").string()) + " 2>" + quote((tmp / "err").string()) + " </dev/null";
    int status = std::system(cmd.c_str());
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(tmp / "out");
    r.err = slurp(tmp / "err");
    return r;
}

}  // namespace navora::test

#include "support/peertools.h"

#include "support/testsupport.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace navora::test {

namespace {

std::string quote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

std::optional<std::string> toolMissing(const std::string& name) {
    const std::string cmd = "command -v " + quote(name) + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) return std::nullopt;
    return name + " not found on PATH";
}

ToolResult runTool(const std::vector<std::string>& args) {
    std::string cmd;
    for (const auto& a : args) cmd += (cmd.empty() ? "" : " ") + quote(a);
    cmd += " 2>/dev/null </dev/null";
    ToolResult r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::vector<ProbedStream> ffprobeStreams(const std::filesystem::path& file, bool countPackets) {
    std::vector<std::string> args = {"ffprobe", "-v", "error"};
    if (countPackets) args.push_back("-count_packets");
    args.insert(args.end(), {"-show_entries", "stream=id,codec_name,codec_type,nb_read_packets", "-of", "json",
                             file.string()});
    const ToolResult r = runTool(args);
    std::vector<ProbedStream> streams;
    if (r.exitCode != 0) return streams;
    const auto j = nlohmann::json::parse(r.out, nullptr, false);
    if (j.is_discarded() || !j.contains("streams")) return streams;
    for (const auto& s : j["streams"]) {
        ProbedStream p;
        if (s.contains("id")) p.pid = static_cast<std::uint16_t>(std::stoul(s["id"].get<std::string>(), nullptr, 16));
        p.codec = s.value("codec_name", "");
        p.type = s.value("codec_type", "");
        if (s.contains("nb_read_packets")) p.packets = std::stoull(s["nb_read_packets"].get<std::string>());
        streams.push_back(p);
    }
    return streams;
}

}  // namespace navora::test

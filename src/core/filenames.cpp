#include "core/filenames.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace navora {

namespace fs = std::filesystem;

FileNameSet FileNameSet::make(bool use83) {
    if (use83) return {"INDEX.BDM", "MOVIEOBJ.BDM", ".MPL", ".CLP", ".MTS"};
    return {"index.bdmv", "MovieObject.bdmv", ".mpls", ".clpi", ".m2ts"};
}

std::string chosenFolderToBdmv(std::string chosen) {
    if (chosen.empty() || chosen.back() != kSep) chosen += kSep;
    if (chosen.size() < 5 || chosen.compare(chosen.size() - 5, 4, "BDMV") != 0) chosen += std::string("BDMV") + kSep;
    return chosen;
}

std::string folderFromArgument(const std::string& argument) {
    std::error_code ec;
    fs::path p(argument);
    fs::path dir;
    if (fs::is_directory(p, ec)) {
        dir = p;
        if (!fs::exists(dir / "index.bdmv", ec) && !fs::exists(dir / "INDEX.BDM", ec) &&
            fs::is_directory(dir / "BDMV", ec))
            dir /= "BDMV";
    } else {
        dir = p.parent_path();
        if (dir.empty()) dir = ".";
    }
    std::string s = dir.lexically_normal().string();
    if (s.empty() || s.back() != kSep) s += kSep;
    return s;
}

BdmvLocation locateBdmvFolder(const std::string& path) {
    if (path.empty()) return {{}, "No folder given."};
    std::error_code ec;
    fs::path p(path);
    const auto status = fs::status(p, ec);
    if (!fs::exists(status)) return {{}, "No such file or folder: " + path};
    fs::path dir = fs::is_directory(status) ? p : p.parent_path();
    dir = fs::absolute(dir, ec).lexically_normal();
    if (dir.has_relative_path() && !dir.has_filename()) dir = dir.parent_path();  // no trailing separator
    const auto ending = [](fs::path d) {
        std::string s = d.string();
        if (s.empty() || s.back() != kSep) s += kSep;
        return BdmvLocation{s, {}};
    };
    const auto holds = [&ec](const fs::path& d, const char* name) { return fs::exists(d / name, ec); };
    const bool isBdmv = holds(dir, "index.bdmv") || holds(dir, "MovieObject.bdmv") || holds(dir, "INDEX.BDM") ||
                        holds(dir, "MOVIEOBJ.BDM") || fs::is_directory(dir / "PLAYLIST", ec) ||
                        fs::is_directory(dir / "CLIPINF", ec);
    if (isBdmv) return ending(dir);
    if (fs::is_directory(dir / "BDMV", ec)) return ending(dir / "BDMV");
    for (fs::path d = dir; d.has_relative_path(); d = d.parent_path())
        if (d.filename() == "BDMV") return ending(d);
    return {{}, "No BDMV folder in " + path};
}

namespace {

// The mount table writes blanks and other special characters as \ooo.
std::string unescapeOctal(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto octal = [&](std::size_t k) { return s[k] >= '0' && s[k] <= '7'; };
        if (s[i] == '\\' && i + 3 < s.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out.push_back(static_cast<char>(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) | (s[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// The mount table entry whose mount point is dir: returns its source device.
std::string mountSourceOf(const fs::path& dir) {
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    std::error_code ec;
    fs::path canon = fs::weakly_canonical(dir, ec);
    while (std::getline(in, line)) {
        std::istringstream ss(line);
        std::string id, parent, devno, root, mountPoint;
        ss >> id >> parent >> devno >> root >> mountPoint;
        if (fs::path(unescapeOctal(mountPoint)) != canon) continue;
        std::string tok;
        while (ss >> tok && tok != "-") {
        }
        std::string fstype, source;
        ss >> fstype >> source;
        return unescapeOctal(source);
    }
    return {};
}

// /dev/disk/by-label encodes some characters as \xHH.
std::string decodeLabel(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' && std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
            out.push_back(static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

}  // namespace

std::string volumeLabelAt(const fs::path& dir) {
    std::string source = mountSourceOf(dir);
    if (source.empty() || source[0] != '/') return {};
    std::error_code ec;
    fs::path device = fs::weakly_canonical(source, ec);
    for (fs::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end; it.increment(ec)) {
        if (fs::weakly_canonical(it->path(), ec) == device) return decodeLabel(it->path().filename().string());
    }
    return {};
}

std::string discName(const std::string& folder, const std::function<std::string(const fs::path&)>& labelOf) {
    if (folder.size() < 6) return {};
    std::string parent = folder.substr(0, folder.size() - 6);
    std::size_t sep = parent.rfind(kSep);
    std::string name = sep == std::string::npos ? parent : parent.substr(sep + 1);
    // The BDMV folder at the root of a filesystem: the filesystem's label names the disc.
    std::string root = parent.empty() ? std::string(1, kSep) : parent;
    std::string label = labelOf ? labelOf(root) : std::string();
    if (!label.empty()) {
        std::transform(label.begin(), label.end(), label.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return label;
    }
    return name.empty() ? std::string(1, kSep) : name;
}

std::string mainWindowTitle(const std::string& disc, const std::string& discVersion) {
    std::string t = std::string("Navora v") + NAVORA_VERSION_TEXT;
    if (!disc.empty()) t += " [" + disc + "]";
    if (!disc.empty() && !discVersion.empty()) t += " " + discVersion;
    return t;
}

}  // namespace navora

// edit FOLDER [--each FOLDER...] [--dry-run] [--json] OPERATION...: the editor's
// edits from the command line, applied through the same engine functions and
// saved all files or none.

#include "cli/commands.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "core/logviews.h"
#include "disc/saveset.h"
#include "disc/workspace.h"
#include "nav/asm.h"
#include "nav/disasm.h"
#include "nav/edit.h"
#include "navdb/index_edit.h"
#include "navdb/index_io.h"
#include "navdb/json.h"
#include "navdb/movieobject_io.h"
#include "playlist/chapters.h"
#include "playlist/json.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace navora::cli {

namespace {

using Json = nlohmann::ordered_json;

// An operation as given: its option name without the dashes and its value.
struct Operation {
    std::string name;
    std::string value;
    std::string text() const { return "--" + name + " " + value; }
};

// A failure with the exit code it means.
class EditFailure : public std::runtime_error {
public:
    EditFailure(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

[[noreturn]] void usage(const Operation& op, const std::string& what) {
    throw EditFailure(kExitUsage, op.text() + ": " + what);
}
[[noreturn]] void failed(const Operation& op, const std::string& what) {
    throw EditFailure(kExitFailed, op.text() + ": " + what);
}

std::optional<std::uint64_t> decimal(std::string_view s, std::uint64_t max) {
    std::uint64_t v = 0;
    if (s.empty()) return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v > max) return std::nullopt;
    return v;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// "mobj:N", "title:N", or "off" (First Playback and Top Menu only).
struct ObjectRef {
    bool title = false;
    bool off = false;
    std::uint64_t number = 0;
};
ObjectRef parseObjectRef(const Operation& op, std::string_view s) {
    ObjectRef r;
    std::string_view n;
    if (s == "off") {
        r.off = true;
        return r;
    }
    if (s.starts_with("mobj:")) {
        n = s.substr(5);
    } else if (s.starts_with("title:")) {
        r.title = true;
        n = s.substr(6);
    } else {
        usage(op, "expected mobj:N, title:N or off");
    }
    const auto v = decimal(n, r.title ? kMaxTitles : 0xFFFE);
    if (!v || (r.title && *v == 0))
        usage(op, r.title ? "a title number is 1..999" : "a movie object number is 0..65534");
    r.number = *v;
    return r;
}

// "mobj:N:LINE" (and "=TEXT" after it for --command and --insert).
struct CommandRef {
    std::size_t object = 0;
    std::size_t line = 0;
    std::string text;
};
CommandRef parseCommandRef(const Operation& op, bool withText) {
    std::string_view v = op.value;
    std::string_view place = v;
    CommandRef r;
    if (withText) {
        const std::size_t eq = v.find('=');
        if (eq == std::string_view::npos) usage(op, "expected mobj:N:LINE=\"COMMAND\"");
        place = v.substr(0, eq);
        r.text = std::string(v.substr(eq + 1));
    }
    if (!place.starts_with("mobj:")) usage(op, "expected mobj:N:LINE");
    place.remove_prefix(5);
    const std::size_t colon = place.find(':');
    if (colon == std::string_view::npos) usage(op, "expected mobj:N:LINE");
    const auto object = decimal(place.substr(0, colon), 0xFFFE);
    const auto line = decimal(place.substr(colon + 1), kMaxCommands);
    if (!object) usage(op, "a movie object number is 0..65534");
    if (!line) usage(op, "a line number is 0..9999");
    r.object = static_cast<std::size_t>(*object);
    r.line = static_cast<std::size_t>(*line);
    return r;
}

TCommand assembled(const Operation& op, const std::string& text) {
    const AsmResult r = assembleRow(text);
    if (!r) usage(op, fmt::format("column {} of \"{}\": {}", r.column, text, r.error));
    return *r.command;
}

// A playlist name as given ("00001", "00001.mpls").
std::string playlistName(std::string name) {
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

// --uo-mask PLAYLIST|all[:item N|:item all]=clear|KEY=0/1,...
struct UoMaskEdit {
    std::string playlist;  // empty: every playlist
    enum class Target { AppInfo, Item, AllItems } target = Target::AppInfo;
    std::size_t item = 0;
    std::vector<std::pair<const UOBox*, bool>> bits;  // empty with clear
    bool clear = false;
};
UoMaskEdit parseUoMask(const Operation& op) {
    UoMaskEdit e;
    const std::size_t eq = op.value.find('=');
    if (eq == std::string::npos) usage(op, "expected PLAYLIST|all[:item N]=clear|KEY=0/1,...");
    std::string where = op.value.substr(0, eq);
    const std::string what = op.value.substr(eq + 1);
    if (const std::size_t colon = where.find(':'); colon != std::string::npos) {
        const std::string item = where.substr(colon + 1);
        where.erase(colon);
        if (item == "item all" || item == "items") {
            e.target = UoMaskEdit::Target::AllItems;
        } else if (item.starts_with("item ") || item.starts_with("item:")) {
            const auto n = decimal(item.substr(5), 998);
            if (!n) usage(op, "a PlayItem number is 0..998");
            e.target = UoMaskEdit::Target::Item;
            e.item = static_cast<std::size_t>(*n);
        } else {
            usage(op, "expected :item N or :item all after the playlist");
        }
    }
    if (where.empty()) usage(op, "no playlist");
    if (where != "all") e.playlist = playlistName(where);
    if (lower(what) == "clear") {
        e.clear = true;
        return e;
    }
    std::size_t at = 0;
    while (at <= what.size()) {
        std::size_t comma = what.find(',', at);
        if (comma == std::string::npos) comma = what.size();
        const std::string pair = what.substr(at, comma - at);
        const std::size_t peq = pair.find('=');
        if (peq == std::string::npos) usage(op, "expected KEY=0 or KEY=1, not \"" + pair + "\"");
        std::string key = lower(pair.substr(0, peq));
        if (key.starts_with("uo")) key.erase(0, 2);
        const std::string bit = pair.substr(peq + 1);
        const auto& boxes = uoBoxes();
        const auto box =
            std::find_if(boxes.begin(), boxes.end(), [&](const UOBox& b) { return lower(b.name) == "cbuo" + key; });
        if (box == boxes.end()) usage(op, "no UO bit \"" + pair.substr(0, peq) + "\" (UO0..UO31, UO2_30)");
        if (bit != "0" && bit != "1") usage(op, "a UO bit is 0 or 1, not \"" + bit + "\"");
        e.bits.emplace_back(&*box, bit == "1");
        at = comma + 1;
    }
    return e;
}

// --chapters PLAYLIST=every:5m|FILE
struct ChaptersEdit {
    std::string playlist;
    std::uint64_t every = 0;  // 45 kHz ticks; 0: from the file
    std::string file;
};
ChaptersEdit parseChapters(const Operation& op) {
    ChaptersEdit e;
    const std::size_t eq = op.value.find('=');
    if (eq == std::string::npos || eq == 0) usage(op, "expected PLAYLIST=every:5m or PLAYLIST=FILE");
    e.playlist = playlistName(op.value.substr(0, eq));
    const std::string what = op.value.substr(eq + 1);
    if (!what.starts_with("every:")) {
        if (what.empty()) usage(op, "no chapter file");
        e.file = what;
        return e;
    }
    std::string step = what.substr(6);
    std::uint64_t unit = 0;
    if (step.ends_with("ms")) {
        unit = 45;
        step.resize(step.size() - 2);
    } else if (!step.empty()) {
        switch (step.back()) {
        case 's': unit = 45000; break;
        case 'm': unit = 45000 * 60; break;
        case 'h': unit = 45000 * 3600; break;
        default: break;
        }
        if (unit) step.pop_back();
    }
    const auto n = decimal(step, 1000000);
    if (!unit || !n || *n == 0) usage(op, "expected every:N followed by ms, s, m or h (every:5m)");
    e.every = *n * unit;
    return e;
}

// The whole list of operations, checked for syntax before any disc is read.
void checkSyntax(const Operation& op) {
    if (op.name == "first-playback" || op.name == "top-menu") {
        parseObjectRef(op, op.value);
    } else if (op.name == "title") {
        const std::size_t eq = op.value.find('=');
        if (eq == std::string::npos) usage(op, "expected N=mobj:M");
        const auto n = decimal(op.value.substr(0, eq), kMaxTitles);
        if (!n || *n == 0) usage(op, "a title number is 1..999");
        const ObjectRef ref = parseObjectRef(op, op.value.substr(eq + 1));
        if (ref.title || ref.off) usage(op, "a title plays a movie object: N=mobj:M");
    } else if (op.name == "uo-mask") {
        parseUoMask(op);
    } else if (op.name == "chapters") {
        parseChapters(op);
    } else if (op.name == "command" || op.name == "insert") {
        assembled(op, parseCommandRef(op, true).text);
    } else if (op.name == "delete") {
        parseCommandRef(op, false);
    } else {
        throw EditFailure(kExitUsage, "unknown operation --" + op.name);
    }
}

// --- One disc ---

struct Change {
    std::string field;
    Json before, after;
};

// Leaf differences of two JSON values, by path.
void diff(const Json& a, const Json& b, const std::string& path, std::vector<Change>& out) {
    if (a.is_object() && b.is_object()) {
        for (const auto& [k, v] : a.items()) diff(v, b.contains(k) ? b.at(k) : Json(), path + "/" + k, out);
        for (const auto& [k, v] : b.items())
            if (!a.contains(k)) diff(Json(), v, path + "/" + k, out);
        return;
    }
    if (a.is_array() && b.is_array()) {
        for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i)
            diff(i < a.size() ? a[i] : Json(), i < b.size() ? b[i] : Json(), path + "/" + std::to_string(i), out);
        return;
    }
    if (a != b) out.push_back({path, a, b});
}

// The movie objects as JSON with each command as its program-list text, so
// that a change reads as commands.
Json mobjJson(const TMOBJ& m) {
    Json j = toJson(m);
    for (std::size_t o = 0; o < m.mobjs.objects.size(); ++o) {
        Json lines = Json::array();
        const TCommands& list = m.mobjs.objects[o].commands;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const CommandRow row = comm2str(list[i], i, CommandContext::MovieObject);
            lines.push_back(row.opcode + " " + hex8(list[i].w[1]) + " " + hex8(list[i].w[2]) + "  " + row.line);
        }
        j["MovieObjects"]["MovieObject"][o]["navigation_commands"] = lines;
    }
    return j;
}

struct FileChanges {
    std::string file;
    std::vector<Change> changes;
};

struct DiscResult {
    std::string folder;
    int code = kExitOk;
    std::string error;
    bool written = false;
    std::vector<FileChanges> files;
};

class DiscEdit {
public:
    DiscEdit(const std::string& folder, bool use83) {
        log_.setView(&view_);
        const BdmvLocation where = locateBdmvFolder(folder);
        if (!where.error.empty()) throw EditFailure(kExitFailed, where.error);
        ws_.options.use83 = use83;
        ws_.folder = where.folder;
        if (!ws_.checkAndRead(log_)) throw EditFailure(kExitFailed, ws_.folder + ": Check failed.");
    }

    const Workspace& workspace() const { return ws_; }

    void apply(const Operation& op) {
        if (op.name == "first-playback" || op.name == "top-menu") {
            const IndexEntryKind kind = op.name == "top-menu" ? IndexEntryKind::TopMenu : IndexEntryKind::FirstPlayback;
            TINDX& ix = index();
            const ObjectRef ref = parseObjectRef(op, op.value);
            if (ref.off) {
                setEntryOn(ix, kind, false, std::nullopt);
                return;
            }
            const std::uint16_t object = objectOf(op, ref);
            if (indexEntry(ix, kind).object_type != ObjectType::HDMV) setEntryType(ix, kind, ObjectType::HDMV);
            setEntryObject(ix, kind, object);
        } else if (op.name == "title") {
            const std::size_t eq = op.value.find('=');
            const std::size_t n = static_cast<std::size_t>(*decimal(op.value.substr(0, eq), kMaxTitles));
            TINDX& ix = index();
            if (n > ix.indexes.titles.size())
                failed(op, fmt::format("no title {} (the disc has {})", n, ix.indexes.titles.size()));
            const std::uint16_t object = objectOf(op, parseObjectRef(op, op.value.substr(eq + 1)));
            TTitle& t = ix.indexes.titles[n - 1];
            if (t.object_type != ObjectType::HDMV) setTitleObjectType(t, ObjectType::HDMV);
            setTitleObject(t, object);
        } else if (op.name == "uo-mask") {
            applyUoMask(op, parseUoMask(op));
        } else if (op.name == "chapters") {
            applyChapters(op, parseChapters(op));
        } else if (op.name == "command" || op.name == "insert" || op.name == "delete") {
            applyCommand(op);
        }
    }

    // What changed, file by file, in the order the files are written.
    std::vector<FileChanges> changes() {
        std::vector<FileChanges> out;
        if (index_ && !(*index_ == ws_.index)) {
            FileChanges f{ws_.names().index, {}};
            diff(toJson(ws_.index), toJson(*index_), "", f.changes);
            out.push_back(std::move(f));
        }
        if (mobj_ && !(*mobj_ == ws_.mobj)) {
            FileChanges f{ws_.names().movieObject, {}};
            diff(mobjJson(ws_.mobj), mobjJson(*mobj_), "", f.changes);
            out.push_back(std::move(f));
        }
        for (const auto& [name, pl] : playlists_) {
            if (pl.edited == pl.read) continue;
            FileChanges f{"PLAYLIST/" + name + ws_.names().playlistExt, {}};
            diff(toJson(pl.read), toJson(pl.edited), "", f.changes);
            out.push_back(std::move(f));
        }
        return out;
    }

    // Writes every changed file, or none.
    void save() {
        std::vector<FileSave> files;
        const DiscPaths paths = ws_.paths();
        try {
            if (index_ && !(*index_ == ws_.index))
                files.push_back(
                    {paths.index(), ws_.names().index, writeIndex(*index_), paths.discBackup(ws_.names().index)});
            if (mobj_ && !(*mobj_ == ws_.mobj))
                files.push_back({paths.movieObject(), ws_.names().movieObject, writeMovieObjects(*mobj_),
                                 paths.discBackup(ws_.names().movieObject)});
            for (const auto& [name, pl] : playlists_) {
                if (pl.edited == pl.read) continue;
                const std::string file = name + ws_.names().playlistExt;
                files.push_back({paths.playlist(name), file, writePlaylist(pl.edited),
                                 paths.discBackup(std::string("PLAYLIST") + kSep + file)});
            }
        } catch (const std::exception& e) {
            throw EditFailure(kExitFailed, std::string("nothing written: ") + e.what());
        }
        if (files.empty()) return;
        view_.lines.clear();
        if (!saveDatabaseFiles(log_, files, ws_.options))
            throw EditFailure(kExitFailed, "nothing written: " + firstError());
    }

private:
    struct Playlist {
        TMPLS read, edited;
    };

    std::string firstError() const {
        return log_.firstErrorLine.empty() ? std::string("see the log") : log_.firstErrorLine;
    }

    TINDX& index() {
        if (!index_) {
            if (!ws_.indexLoaded)
                throw EditFailure(kExitIncomplete, ws_.names().index + " was refused: " + firstError());
            index_ = ws_.index;
        }
        return *index_;
    }

    TMOBJ& mobj() {
        if (!mobj_) {
            const std::string name = ws_.names().movieObject;
            if (!ws_.mobjLoaded) throw EditFailure(kExitIncomplete, name + " was refused: " + firstError());
            if (std::find(ws_.incompleteFiles.begin(), ws_.incompleteFiles.end(), name) != ws_.incompleteFiles.end())
                throw EditFailure(kExitIncomplete,
                                  name + " was read incomplete; writing it would drop what the read left out");
            mobj_ = ws_.mobj;
        }
        return *mobj_;
    }

    TMPLS& playlist(const Operation& op, const std::string& name) {
        auto it = playlists_.find(name);
        if (it != playlists_.end()) return it->second.edited;
        if (std::find(ws_.playlists.begin(), ws_.playlists.end(), name) == ws_.playlists.end())
            failed(op, "no playlist " + name + ws_.names().playlistExt);
        const std::string file = name + ws_.names().playlistExt;
        TMPLS m;
        try {
            m = readPlaylist(readDatabaseFile(ws_.paths().playlist(name)), file);
        } catch (const FormatError& e) {
            throw EditFailure(kExitIncomplete, fmt::format("PLAYLIST/{} was refused: format error at ${:08X}: {}", file,
                                                           e.offset(), e.reason()));
        } catch (const std::exception& e) {
            throw EditFailure(kExitIncomplete, "PLAYLIST/" + file + " was refused: " + e.what());
        }
        return playlists_.emplace(name, Playlist{m, m}).first->second.edited;
    }

    std::uint16_t objectOf(const Operation& op, const ObjectRef& ref) {
        const std::size_t objects = mobj().mobjs.objects.size();
        if (ref.title) {
            const TINDX& ix = index();
            if (ref.number > ix.indexes.titles.size())
                failed(op, fmt::format("no title {} (the disc has {})", ref.number, ix.indexes.titles.size()));
            const TTitle& t = ix.indexes.titles[ref.number - 1];
            if (t.object_type != ObjectType::HDMV) failed(op, fmt::format("title {} is a BD-J title", ref.number));
            if (t.mobj_id_ref >= objects)
                failed(op,
                       fmt::format("title {} names movie object {}, which does not exist", ref.number, t.mobj_id_ref));
            return t.mobj_id_ref;
        }
        if (ref.number >= objects) failed(op, fmt::format("no movie object {} (the disc has {})", ref.number, objects));
        return static_cast<std::uint16_t>(ref.number);
    }

    void applyUoMask(const Operation& op, const UoMaskEdit& e) {
        const std::vector<std::string> names = e.playlist.empty() ? ws_.playlists : std::vector{e.playlist};
        if (names.empty()) failed(op, "the disc has no playlist");
        auto edit = [&](std::uint32_t(&mask)[2]) {
            if (e.clear)
                for (const UOBox& box : uoBoxes()) setUOBit(mask, box, false);
            for (const auto& [box, on] : e.bits) setUOBit(mask, *box, on);
        };
        for (const std::string& name : names) {
            TMPLS& m = playlist(op, name);
            auto& items = m.PlayList.PlayItems;
            switch (e.target) {
            case UoMaskEdit::Target::AppInfo: edit(m.AppInfoPlayList.UO_mask_table); break;
            case UoMaskEdit::Target::AllItems:
                for (TPlayItem& item : items) edit(item.UO_mask_table);
                break;
            case UoMaskEdit::Target::Item:
                if (e.item >= items.size())
                    failed(op, fmt::format("{} has no PlayItem {} (it has {})", name, e.item, items.size()));
                edit(items[e.item].UO_mask_table);
                break;
            }
        }
    }

    void applyChapters(const Operation& op, const ChaptersEdit& e) {
        TMPLS& m = playlist(op, e.playlist);
        std::string text;
        ChapterFormat format = chapterFormat;
        if (e.every) {
            std::uint64_t total = 0;
            for (const TPlayItem& item : m.PlayList.PlayItems)
                total += item.OUT_time >= item.IN_time ? item.OUT_time - item.IN_time : 0;
            if (total == 0) failed(op, e.playlist + " has no playing time to put chapters on");
            for (std::uint64_t t = 0; t < total; t += e.every) text += std::to_string(t) + "\r\n";
            format = ChapterFormat::PTS;
        } else {
            try {
                const Bytes data = readDatabaseFile(e.file);
                text.assign(data.begin(), data.end());
            } catch (const std::exception& ex) {
                failed(op, ex.what());
            }
        }
        try {
            if (importChapters(m, text, format, log_) == 0) failed(op, "the chapter file holds no chapter line");
        } catch (const ChapterError& ex) {
            failed(op, (ex.line() ? fmt::format("line {}: ", ex.line()) : std::string()) + ex.what());
        }
    }

    void applyCommand(const Operation& op) {
        const CommandRef ref = parseCommandRef(op, op.name != "delete");
        TMOBJ& m = mobj();
        if (ref.object >= m.mobjs.objects.size())
            failed(op, fmt::format("no movie object {} (the disc has {})", ref.object, m.mobjs.objects.size()));
        const std::size_t count = m.mobjs.objects[ref.object].commands.size();
        if (op.name == "insert") {
            if (ref.line > count)
                failed(op, fmt::format("movie object {} has {} commands: insert at 0..{}", ref.object, count, count));
            if (count >= kMaxCommands)
                failed(op, fmt::format("movie object {} holds {} commands already", ref.object, count));
            // A blank line first, as the Insert key adds it, then the command
            // itself, as the composer sets it: its GoTo target is kept as written.
            insertObjectCommandsAt(m, ref.object, ref.line, TCommands{TCommand{}});
            setObjectCommand(m, ref.object, ref.line, assembled(op, ref.text));
            return;
        }
        if (ref.line >= count)
            failed(op, fmt::format("movie object {} has no line {} (it has {})", ref.object, ref.line, count));
        if (op.name == "command")
            setObjectCommand(m, ref.object, ref.line, assembled(op, ref.text));
        else
            deleteObjectCommands(m, ref.object, ref.line, ref.line);
    }

public:
    ChapterFormat chapterFormat = ChapterFormat::PTS;

private:
    Log log_;
    RecordingLogView view_;
    Workspace ws_;
    std::optional<TINDX> index_;
    std::optional<TMOBJ> mobj_;
    std::map<std::string, Playlist> playlists_;
};

struct EditArgs {
    std::vector<std::string> folders;
    bool each = false;
    bool dryRun = false;
    bool json = false;
    bool use83 = false;
    std::string chapterFormat = "pts";
};

// The operations of a --script file: a JSON array of objects with one member
// each, {"uo-mask": "all=clear"}, named like the options without dashes.
std::vector<Operation> readScript(const std::string& path) {
    Bytes data;
    try {
        data = readDatabaseFile(path);
    } catch (const std::exception& e) {
        throw EditFailure(kExitUsage, e.what());
    }
    const Json j = Json::parse(data.begin(), data.end(), nullptr, false);
    const std::string shape = path + ": expected a JSON list of {\"OPERATION\": \"VALUE\"} objects";
    if (j.is_discarded() || !j.is_array()) throw EditFailure(kExitUsage, shape);
    std::vector<Operation> ops;
    for (const Json& item : j) {
        if (!item.is_object() || item.size() != 1 || !item.begin().value().is_string())
            throw EditFailure(kExitUsage, shape + ", not " + item.dump());
        std::string name = item.begin().key();
        if (name.starts_with("--")) name.erase(0, 2);
        if (name == "script") throw EditFailure(kExitUsage, path + ": a script cannot run another script");
        ops.push_back({name, item.begin().value().get<std::string>()});
    }
    return ops;
}

std::string valueText(const Json& v) { return v.is_null() ? "(none)" : v.dump(); }

void printText(const DiscResult& r, bool dryRun, bool several) {
    std::string out;
    if (several) out += r.folder + "\n";
    const std::string in = several ? "  " : "";
    for (const FileChanges& f : r.files) {
        out += in + f.file + "\n";
        for (const Change& c : f.changes)
            out += in + "  " + c.field + ": " + valueText(c.before) + " -> " + valueText(c.after) + "\n";
    }
    if (r.code != kExitOk)
        out += in + "failed: " + r.error + "\n";
    else if (r.files.empty())
        out += in + "nothing to change\n";
    else if (dryRun)
        out += in + "dry run: nothing written\n";
    else
        out += in + fmt::format("{} file(s) written\n", r.files.size());
    std::fwrite(out.data(), 1, out.size(), stdout);
}

Json resultJson(const DiscResult& r) {
    Json files = Json::array();
    for (const FileChanges& f : r.files) {
        Json changes = Json::array();
        for (const Change& c : f.changes)
            changes.push_back({{"field", c.field}, {"before", c.before}, {"after", c.after}});
        files.push_back({{"file", f.file}, {"changes", changes}});
    }
    Json j = {{"folder", r.folder}, {"ok", r.code == kExitOk}, {"written", r.written}, {"files", files}};
    if (r.code != kExitOk) j["error"] = r.error;
    return j;
}

DiscResult editDisc(const std::string& folder, const std::vector<Operation>& ops, const EditArgs& a) {
    DiscResult r;
    r.folder = folder;
    try {
        DiscEdit disc(folder, a.use83);
        r.folder = disc.workspace().folder;
        disc.chapterFormat = *chapterFormatNamed(a.chapterFormat);
        for (const Operation& op : ops) disc.apply(op);
        r.files = disc.changes();
        if (!a.dryRun && !r.files.empty()) {
            disc.save();
            r.written = true;
        }
    } catch (const EditFailure& e) {
        r.code = e.code();
        r.error = e.what();
    } catch (const std::exception& e) {
        r.code = kExitFailed;
        r.error = e.what();
    }
    if (r.code != kExitOk) r.files.clear();
    return r;
}

void runEdit(CLI::App& cmd, const EditArgs& a, CliState& state) {
    // The operations in command-line order, a script's at its place.
    std::vector<Operation> ops;
    std::map<std::string, std::size_t> taken;
    try {
        for (const CLI::Option* o : cmd.parse_order()) {
            const std::string name = o->get_name().substr(2);
            if (name != "first-playback" && name != "top-menu" && name != "title" && name != "uo-mask" &&
                name != "chapters" && name != "command" && name != "insert" && name != "delete" && name != "script")
                continue;
            const std::string value = o->results().at(taken[name]++);
            if (name == "script") {
                for (Operation& op : readScript(value)) ops.push_back(std::move(op));
            } else {
                ops.push_back({name, value});
            }
        }
        for (const Operation& op : ops) checkSyntax(op);
        if (ops.empty()) throw EditFailure(kExitUsage, "no operation given");
        if (a.folders.size() > 1 && !a.each) throw EditFailure(kExitUsage, "several folders need --each");
    } catch (const EditFailure& e) {
        std::fprintf(stderr, "navora-cli: edit: %s\n", e.what());
        state.exitCode = e.code();
        return;
    }

    const bool several = a.each;
    Json discs = Json::array();
    int code = kExitOk;
    for (const std::string& folder : a.folders) {
        const DiscResult r = editDisc(folder, ops, a);
        if (r.code != kExitOk) {
            std::fprintf(stderr, "navora-cli: %s: %s\n", r.folder.c_str(), r.error.c_str());
            code = several || code != kExitOk ? kExitFailed : r.code;
        }
        if (a.json)
            discs.push_back(resultJson(r));
        else
            printText(r, a.dryRun, several);
        std::fflush(stdout);
    }
    if (a.json) {
        const std::string text = (several ? Json{{"discs", discs}} : discs[0]).dump(2) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    state.exitCode = code;
}

}  // namespace

void registerEditCommands(CLI::App& app, CliState& state) {
    auto args = std::make_shared<EditArgs>();
    auto* cmd = app.add_subcommand(
        "edit",
        "Apply the editor's edits to a disc folder (or, with --each, to each of several), in the order given, and "
        "save the changed files through the backup step: all of them or none.\n"
        "Exit 0 done; 1 an operation failed or a file could not be written (nothing written; with --each: any disc "
        "failed, the others are done); 2 usage error; 3 a file the operations need was refused (nothing written).");
    cmd->add_option("FOLDER", args->folders, "The disc folder (a disc root, its BDMV folder or a file in it)")
        ->required();
    cmd->add_flag("--each", args->each, "Edit each FOLDER on its own (DIR/*/) and report per disc");
    cmd->add_flag("--dry-run", args->dryRun, "Print what would change, file by file, and write nothing");
    cmd->add_flag("--json", args->json, "Print the changes as JSON");
    cmd->add_flag("--83", args->use83, "Use 8.3 filenames");
    cmd->add_option("--chapter-format", args->chapterFormat, "Line format of a --chapters FILE: pts, frame or time")
        ->check(CLI::IsMember({"pts", "frame", "time"}, CLI::ignore_case));
    const std::pair<const char*, const char*> operations[] = {
        {"--first-playback",
         "mobj:N|title:N|off: First Playback plays movie object N (from 0), or the object of title N (from 1), or "
         "nothing"},
        {"--top-menu", "mobj:N|title:N|off: the same for the Top Menu"},
        {"--title", "N=mobj:M: title N (from 1) plays movie object M"},
        {"--uo-mask",
         "PLAYLIST|all[:item N|:item all]=clear|KEY=0/1,...: the UO mask of a playlist (all: every playlist) or of "
         "its PlayItem N (from 0) or every PlayItem; clear unmasks every UO bit, KEY is UO0..UO31 or UO2_30"},
        {"--chapters",
         "PLAYLIST=every:5m|FILE: replace the marks by a chapter every 5 minutes (ms, s, m, h) from the start, or by "
         "the lines of a chapter file (--chapter-format)"},
        {"--command", "mobj:N:LINE=\"TEXT\": replace line LINE (from 0) of movie object N by the assembled command"},
        {"--insert", "mobj:N:LINE=\"TEXT\": insert the command as line LINE (0 .. the count); GoTo targets follow"},
        {"--delete", "mobj:N:LINE: delete line LINE; GoTo targets follow"},
        {"--script", "FILE.json: a list of operations [{\"uo-mask\": \"all=clear\"}, ...], run at this place"},
    };
    for (const auto& [name, help] : operations) {
        auto* o = cmd->add_option(name, help);
        o->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        o->expected(1);
        o->type_size(1);
        o->allow_extra_args(false);
    }
    cmd->callback([cmd, args, &state] { runEdit(*cmd, *args, state); });
}

}  // namespace navora::cli

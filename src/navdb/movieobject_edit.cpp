#include "navdb/movieobject_edit.h"

#include <fmt/format.h>

#include <algorithm>

namespace navora {

namespace {

void moveExtStart(TMOBJ& m, std::int64_t delta) {
    if (m.extension_data_start_address != 0)
        m.extension_data_start_address = static_cast<std::uint32_t>(m.extension_data_start_address + delta);
}

}  // namespace

std::optional<std::size_t> insertMovieObject(TMOBJ& m, TINDX& index, std::size_t pos) {
    auto& objects = m.mobjs.objects;
    if (objects.size() >= kMaxMovieObjects) return std::nullopt;
    pos = std::min(pos, objects.size());
    objects.insert(objects.begin() + static_cast<std::ptrdiff_t>(pos), Tmobject{});
    m.mobjs.length += 4;
    moveExtStart(m, 4);
    for (TTitle& t : index.indexes.titles)
        if (t.mobj_id_ref != kNoObject && t.mobj_id_ref >= pos) ++t.mobj_id_ref;
    return pos;
}

std::optional<MobjDeleteResult> deleteMovieObjects(TMOBJ& m, TINDX& index, std::size_t first, std::size_t last) {
    auto& objects = m.mobjs.objects;
    if (objects.empty() || first > last || first >= objects.size()) return std::nullopt;
    last = std::min(last, objects.size() - 1);
    const std::size_t k = last - first + 1;
    std::uint64_t removed = 4 * k;
    for (std::size_t i = first; i <= last; ++i) removed += 12 * std::uint64_t{objects[i].commands.size()};
    objects.erase(objects.begin() + static_cast<std::ptrdiff_t>(first),
                  objects.begin() + static_cast<std::ptrdiff_t>(last + 1));
    m.mobjs.length -= static_cast<std::uint32_t>(removed);
    moveExtStart(m, -static_cast<std::int64_t>(removed));

    MobjDeleteResult r;
    for (TTitle& t : index.indexes.titles) {
        if (t.mobj_id_ref != kNoObject && t.mobj_id_ref >= first) {
            t.mobj_id_ref = t.mobj_id_ref > last ? static_cast<std::uint16_t>(t.mobj_id_ref - k) : kNoObject;
        }
        // Only an HDMV title uses its reference; a BD-J title names a file.
        if (t.object_type == ObjectType::HDMV && (t.mobj_id_ref == kNoObject || t.mobj_id_ref >= objects.size()))
            r.invalidTitles.push_back(t.title_number);
    }
    r.select = first == 0 ? 0 : first - 1;
    return r;
}

void logInvalidReferences(Log& log, const std::vector<std::uint32_t>& titles) {
    for (std::uint32_t n : titles) log.erlog(fmt::format("Invalid object reference in Title {}", n));
    if (!titles.empty()) log.erslog("See Status");
}

void setMobjFlag(Tmobject& o, MobjFlag flag, bool set) {
    const std::uint8_t v = set ? 1 : 0;
    switch (flag) {
    case MobjFlag::Resume: o.resume_intention_flag = v; break;
    case MobjFlag::MenuCall: o.menu_call_mask = v; break;
    case MobjFlag::TitleSearch: o.title_search_mask = v; break;
    }
}

bool mobjFlag(const Tmobject& o, MobjFlag flag) {
    switch (flag) {
    case MobjFlag::Resume: return o.resume_intention_flag != 0;
    case MobjFlag::MenuCall: return o.menu_call_mask != 0;
    case MobjFlag::TitleSearch: return o.title_search_mask != 0;
    }
    return false;
}

std::string mobjFlagName(MobjFlag flag, bool set) {
    if (flag == MobjFlag::Resume) return set ? "suspend" : "discard";
    return set ? "disable" : "enable";
}

const std::array<std::string, 5>& objectColumns() {
    static const std::array<std::string, 5> cols{"No.", "resume", "menu call", "title search", "commands"};
    return cols;
}

std::array<std::string, 5> objline(const Tmobject& o, std::size_t n) {
    return {fmt::format("{:03d}", n), mobjFlagName(MobjFlag::Resume, mobjFlag(o, MobjFlag::Resume)),
            mobjFlagName(MobjFlag::MenuCall, mobjFlag(o, MobjFlag::MenuCall)),
            mobjFlagName(MobjFlag::TitleSearch, mobjFlag(o, MobjFlag::TitleSearch)), std::to_string(o.commands.size())};
}

void setMovieObjectExtensionData(TMOBJ& m, TExtensionData block) {
    m.ext = block.length == 0 ? TExtensionData{} : std::move(block);
    // The length the writer gives the section: the objects and the bytes kept after them.
    const auto written = static_cast<std::uint32_t>(movieObjectsLength(m.mobjs) + m.spare_after_objects.size());
    m.extension_data_start_address = extDataStartAddress(ExtDataHost::MovieObject, m.ext, 0, written);
}

}  // namespace navora

#include "navdb/index_edit.h"

#include <fmt/format.h>

#include <algorithm>

namespace navora {

namespace {

constexpr std::uint32_t kTitleSize = 12;

void moveExtStart(TINDX& x, std::int64_t delta) {
    if (x.extension_data_start_address != 0)
        x.extension_data_start_address = static_cast<std::uint32_t>(x.extension_data_start_address + delta);
}

}  // namespace

std::optional<std::size_t> insertTitle(TINDX& x, std::size_t pos) {
    auto& titles = x.indexes.titles;
    if (titles.size() >= kMaxTitles) return std::nullopt;
    pos = std::min(pos, titles.size());
    TTitle t;
    t.object_type = ObjectType::HDMV;
    t.access_type = AccessType::Permitted;
    t.playback_type = PlaybackType::Movie;
    t.mobj_id_ref = 0;
    // The new title keeps the BD-J file name of the title that held its place.
    if (pos < titles.size()) t.bdjo_file_name = titles[pos].bdjo_file_name;
    titles.insert(titles.begin() + static_cast<std::ptrdiff_t>(pos), t);
    x.indexes.length += kTitleSize;
    moveExtStart(x, kTitleSize);
    renumberTitles(x);
    return pos;
}

std::optional<std::size_t> deleteTitles(TINDX& x, std::size_t first, std::size_t last) {
    auto& titles = x.indexes.titles;
    if (titles.empty() || first > last || first >= titles.size()) return std::nullopt;
    last = std::min(last, titles.size() - 1);
    const std::size_t k = last - first + 1;
    titles.erase(titles.begin() + static_cast<std::ptrdiff_t>(first),
                 titles.begin() + static_cast<std::ptrdiff_t>(last + 1));
    x.indexes.length -= static_cast<std::uint32_t>(kTitleSize * k);
    moveExtStart(x, -static_cast<std::int64_t>(kTitleSize * k));
    renumberTitles(x);
    return first == 0 ? 0 : first - 1;
}

void renumberTitles(TINDX& x) {
    for (std::size_t i = 0; i < x.indexes.titles.size(); ++i)
        x.indexes.titles[i].title_number = static_cast<std::uint32_t>(i + 1);
}

void setTitleObjectType(TTitle& t, ObjectType type) { t.object_type = type; }

void setTitleAccessType(TTitle& t, AccessType type) { t.access_type = type; }

void setTitlePlaybackType(TTitle& t, PlaybackType type) { t.playback_type = type; }

void setTitleBdjoName(TTitle& t, const std::string& name) { t.bdjo_file_name = name.substr(0, 5); }

void setTitleObject(TTitle& t, std::uint16_t object) { t.mobj_id_ref = object; }

TIndexEntry& indexEntry(TINDX& x, IndexEntryKind kind) {
    return kind == IndexEntryKind::FirstPlayback ? x.indexes.first_playback : x.indexes.top_menu;
}

const TIndexEntry& indexEntry(const TINDX& x, IndexEntryKind kind) {
    return kind == IndexEntryKind::FirstPlayback ? x.indexes.first_playback : x.indexes.top_menu;
}

void setEntryOn(TINDX& x, IndexEntryKind kind, bool on, std::optional<std::uint16_t> selectedObject) {
    TIndexEntry& e = indexEntry(x, kind);
    if (!on)
        e.mobj_id_ref = kNoObject;
    else if (e.object_type == ObjectType::HDMV)
        e.mobj_id_ref = selectedObject.value_or(kNoObject);
    else
        e.mobj_id_ref = selectedObject.value_or(0);
}

void setEntryType(TINDX& x, IndexEntryKind kind, ObjectType type) { indexEntry(x, kind).object_type = type; }

void setEntryObject(TINDX& x, IndexEntryKind kind, std::uint16_t object) { indexEntry(x, kind).mobj_id_ref = object; }

void setEntryPlaybackType(TINDX& x, IndexEntryKind kind, PlaybackType type) {
    indexEntry(x, kind).playback_type = type;
}

void setContentProvider(TINDX& x, const std::string& text) { x.content_provider = text.substr(0, 32); }

void setIndexExtensionData(TINDX& x, TExtensionData block) {
    x.ext = block.length == 0 ? TExtensionData{} : std::move(block);
    // The length the writer gives the section: the titles and the bytes kept after them.
    const auto written = static_cast<std::uint32_t>(indexesLength(x.indexes) + x.spare_after_titles.size());
    x.extension_data_start_address = extDataStartAddress(ExtDataHost::Index, x.ext, x.indexes_start_address, written);
}

std::string objectTypeName(ObjectType type) {
    switch (type) {
    case ObjectType::HDMV: return "HDMV";
    case ObjectType::BDJ: return "BD-J";
    }
    return {};
}

std::string accessTypeName(AccessType type) {
    switch (type) {
    case AccessType::Prohibited1: return "Prohibited1";
    case AccessType::Prohibited2: return "Prohibited2";
    case AccessType::Permitted: break;
    }
    return "Permitted";
}

std::string playbackTypeName(PlaybackType type) {
    switch (type) {
    case PlaybackType::Movie: return "Movie";
    case PlaybackType::Interactive: return "Interactive";
    }
    return {};
}

const std::array<std::string, 5>& titleColumns() {
    static const std::array<std::string, 5> cols{"No.", "object t.", "title search", "playback t.", "OID/file"};
    return cols;
}

std::array<std::string, 5> indline(const TTitle& t, std::optional<std::size_t> movieObjectCount) {
    std::string target;
    if (t.object_type == ObjectType::HDMV) {
        const bool invalid =
            t.mobj_id_ref == kNoObject || (movieObjectCount && t.mobj_id_ref >= *movieObjectCount);
        target = invalid ? "??" : std::to_string(t.mobj_id_ref);
    } else {
        target = t.bdjo_file_name;
    }
    return {fmt::format("{:03d}", t.title_number), objectTypeName(t.object_type), accessTypeName(t.access_type),
            playbackTypeName(t.playback_type), target};
}

CountLabels BDMVlabels(const TINDX& x, std::size_t movieObjectCount) {
    const std::size_t n = x.indexes.titles.size();
    const int k = int{entryIsOn(x.indexes.first_playback)} + int{entryIsOn(x.indexes.top_menu)};
    CountLabels l;
    l.titles = k > 0 ? fmt::format("{} + {} titles", n, k) : fmt::format("{} titles", n);
    l.objects = fmt::format("{} objects", movieObjectCount);
    return l;
}

}  // namespace navora

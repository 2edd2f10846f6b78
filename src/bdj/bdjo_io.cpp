#include "bdj/bdjo_io.h"

#include "bdj/bdjo_text.h"
#include "core/bits.h"
#include "core/errors.h"
#include "core/fileio.h"

#include <fmt/format.h>

#include <stdexcept>

namespace navora {

namespace {

// The smallest application: every fixed field, every length byte and count,
// no profiles, names or texts.
constexpr std::size_t kMinApplicationSize = 31;

// Skips one byte when the read position is odd.
void align(ByteReader& in) {
    if (in.pos() % 2 != 0 && !in.atEnd()) in.skip(1);
}

// A text preceded by its 8-bit length.
std::string readText8(ByteReader& in) {
    const std::uint8_t n = in.readbyte();
    return in.readstring(n);
}

TTerminalInfo readTerminalInfo(ByteReader& in) {
    TTerminalInfo t;
    t.length = in.readlword();
    t.default_font_file_name = in.readstring(5);
    BitReader bits(in);
    t.initial_HAVi_configuration_id = static_cast<std::uint8_t>(bits.bits(4));
    t.menu_call_mask = bits.flag();
    t.title_search_mask = bits.flag();
    bits.skip(2);
    in.skip(4);
    return t;
}

TAppCacheInfo readAppCacheInfo(ByteReader& in) {
    TAppCacheInfo c;
    c.length = in.readlword();
    const std::uint8_t count = in.readbyte();
    in.skip(1);
    in.checkCount(count, 12, "cache entries");
    c.entries.resize(count);
    for (TAppCacheEntry& e : c.entries) {
        e.entry_type = in.readbyte();
        e.ref_to_name = in.readstring(5);
        e.language_code = in.readstring(3);
        in.skip(3);
    }
    return c;
}

TTableOfAccessiblePlayLists readAccessiblePlayLists(ByteReader& in) {
    TTableOfAccessiblePlayLists t;
    t.length = in.readlword();
    BitReader bits(in);
    const std::uint32_t count = bits.bits(11);
    t.access_to_all_flag = bits.flag();
    t.autostart_first_PlayList_flag = bits.flag();
    bits.skip(3);
    in.skip(2);
    in.checkCount(count, 6, "accessible playlists");
    t.PlayList_file_name.resize(count);
    for (std::string& name : t.PlayList_file_name) {
        name = in.readstring(5);
        in.skip(1);
    }
    return t;
}

Tapplication readApplication(ByteReader& in) {
    Tapplication a;
    a.application_control_code = in.readbyte();
    a.application_type = in.readbyte();
    a.organization_id = in.readlword();
    a.application_id = in.readword();

    a.descriptor_tag = in.readbyte();
    in.skip(1);
    a.descriptor_length = in.readlword();
    in.skip(4);

    BitReader bits(in);
    const std::uint32_t profiles = bits.bits(4);
    bits.skip(12);
    in.checkCount(profiles, 6, "application profiles");
    a.profiles.resize(profiles);
    for (TAppProfile& p : a.profiles) {
        p.application_profile = in.readword();
        p.major = in.readbyte();
        p.minor = in.readbyte();
        p.micro = in.readbyte();
        in.skip(1);
    }

    a.application_priority = in.readbyte();
    const std::uint8_t b = in.readbyte();
    a.binding = static_cast<std::uint8_t>(b >> 6);
    a.visibility = static_cast<std::uint8_t>((b >> 4) & 2);

    // Names: a byte count; each name takes its length + 4 bytes of it.
    for (std::int32_t left = in.readword(); left > 0;) {
        Tapplication_name n;
        n.language = in.readstring(3);
        const std::uint8_t len = in.readbyte();
        n.name = in.readstring(len);
        a.names.push_back(std::move(n));
        left -= len + 4;
    }
    align(in);
    a.icon_locator = readText8(in);
    align(in);
    a.icon_flags = in.readword();
    a.base_directory = readText8(in);
    align(in);
    a.classpath_extension = readText8(in);
    align(in);
    a.initial_class_name = readText8(in);
    align(in);
    // Parameters: a byte count; each takes its length + 1 bytes of it.
    for (std::int32_t left = in.readbyte(); left > 0;) {
        const std::uint8_t len = in.readbyte();
        a.parameters.push_back(in.readstring(len));
        left -= len + 1;
    }
    align(in);
    return a;
}

TApplicationManagementTable readApplications(ByteReader& in) {
    TApplicationManagementTable t;
    t.length = in.readlword();
    const std::uint8_t count = in.readbyte();
    in.skip(1);
    in.checkCount(count, kMinApplicationSize, "applications");
    t.applications.reserve(count);
    for (std::uint8_t i = 0; i < count; ++i) t.applications.push_back(readApplication(in));
    return t;
}

// ---- Writing -------------------------------------------------------------------

void putAlign(ByteWriter& out) {
    if (out.size() % 2 != 0) out.putbyte(0);
}

void checkFits(std::size_t v, std::size_t max, const char* what) {
    if (v > max) throw std::length_error(fmt::format("BD-J object: {} ({}) above {}", what, v, max));
}

void putText8(ByteWriter& out, const std::string& s, const char* what) {
    checkFits(s.size(), 255, what);
    out.putbyte(static_cast<std::uint8_t>(s.size()));
    out.putstring(s, s.size());
}

void writeApplication(ByteWriter& out, const Tapplication& a) {
    out.putbyte(a.application_control_code);
    out.putbyte(a.application_type);
    out.putlword(a.organization_id);
    out.putword(a.application_id);

    out.putbyte(a.descriptor_tag);
    out.putbyte(0);
    const std::size_t descriptorLengthAt = out.size();
    out.putlword(0);
    out.putlword(0);
    const std::size_t descriptorStart = out.size();

    checkFits(a.profiles.size(), 15, "application profiles");
    BitWriter bits(out);
    bits.put(4, a.profiles.size());
    bits.zeros(12);
    for (const TAppProfile& p : a.profiles) {
        out.putword(p.application_profile);
        out.putbyte(p.major);
        out.putbyte(p.minor);
        out.putbyte(p.micro);
        out.putbyte(0);
    }
    out.putbyte(a.application_priority);
    out.putbyte(static_cast<std::uint8_t>(((a.binding & 3u) << 6) | ((a.visibility & 3u) << 4)));

    std::size_t namesBytes = 0;
    for (const Tapplication_name& n : a.names) {
        checkFits(n.name.size(), 255, "application name length");
        namesBytes += n.name.size() + 4;
    }
    checkFits(namesBytes, 0xFFFF, "application names bytes");
    out.putword(static_cast<std::uint16_t>(namesBytes));
    for (const Tapplication_name& n : a.names) {
        out.putstring(n.language, 3);
        out.putbyte(static_cast<std::uint8_t>(n.name.size()));
        out.putstring(n.name, n.name.size());
    }
    putAlign(out);
    putText8(out, a.icon_locator, "icon locator length");
    putAlign(out);
    out.putword(a.icon_flags);
    putText8(out, a.base_directory, "base directory length");
    putAlign(out);
    putText8(out, a.classpath_extension, "classpath extension length");
    putAlign(out);
    putText8(out, a.initial_class_name, "initial class name length");
    putAlign(out);
    std::size_t paramBytes = 0;
    for (const std::string& p : a.parameters) {
        checkFits(p.size(), 255, "parameter length");
        paramBytes += p.size() + 1;
    }
    checkFits(paramBytes, 255, "parameter bytes");
    out.putbyte(static_cast<std::uint8_t>(paramBytes));
    for (const std::string& p : a.parameters) putText8(out, p, "parameter length");
    putAlign(out);
    out.patchlword(descriptorLengthAt, static_cast<std::uint32_t>(out.size() - descriptorStart));
}

}  // namespace

TBDJO readBdjo(std::span<const std::uint8_t> data, const std::string& name) {
    ByteReader in(data, name);
    TBDJO b;
    const TypeAndVersion tv = readTypeAndVersion(in, "BDJO");
    b.type_indicator = tv.type;
    b.version_number = tv.version;
    b.first_address = in.readlword();
    b.AppCacheInfo_start_address = in.readlword();
    b.TableOfAccessiblePlayLists_start_address = in.readlword();
    b.ApplicationManagementTable_start_address = in.readlword();
    b.KeyInterestTable_start_address = in.readlword();
    b.FileAccessInfo_start_address = in.readlword();
    in.skip(16);
    b.terminal_info = readTerminalInfo(in);

    in.seek(b.AppCacheInfo_start_address);
    b.app_cache_info = readAppCacheInfo(in);
    in.seek(b.TableOfAccessiblePlayLists_start_address);
    b.accessible_playlists = readAccessiblePlayLists(in);
    in.seek(b.ApplicationManagementTable_start_address);
    b.applications = readApplications(in);
    in.seek(b.KeyInterestTable_start_address);
    b.key_interest = in.readlword();
    in.seek(b.FileAccessInfo_start_address);
    const std::uint16_t pathLength = in.readword();
    b.file_access_info.directory_path = in.readstring(pathLength);
    return b;
}

std::optional<TBDJO> readBdjoFile(Log& log, const std::string& bdjoFolder, const std::string& name) {
    log.dlog0(bdjoReadingLine(name));
    const std::string file = name + ".bdjo";
    std::optional<TBDJO> result;
    try {
        result = readBdjo(readDatabaseFile(bdjoFolder + file), file);
    } catch (const FormatError& e) {
        log.erlog(fmt::format("Format error {} at ${:08X}: {}", file, e.offset(), e.reason()));
        return std::nullopt;
    } catch (const IoError& e) {
        log.erlog(e.what());
        return std::nullopt;
    }
    log.slogR();
    return result;
}

Bytes writeBdjo(const TBDJO& b) {
    ByteWriter out;
    out.putstring(b.type_indicator, 4);
    out.putstring(b.version_number, 4);
    out.putlword(b.first_address);
    const std::size_t addressesAt = out.size();
    out.putzeros(20);  // the five section addresses, patched below
    out.putzeros(16);

    const TTerminalInfo& t = b.terminal_info;
    out.putlword(10);
    out.putstring(t.default_font_file_name, 5);
    BitWriter bits(out);
    bits.put(4, t.initial_HAVi_configuration_id);
    bits.flag(t.menu_call_mask);
    bits.flag(t.title_search_mask);
    bits.zeros(2);
    out.putzeros(4);

    auto section = [&](int index) { out.patchlword(addressesAt + 4 * static_cast<std::size_t>(index), static_cast<std::uint32_t>(out.size())); };

    section(0);
    checkFits(b.app_cache_info.entries.size(), 255, "cache entries");
    out.putlword(static_cast<std::uint32_t>(2 + 12 * b.app_cache_info.entries.size()));
    out.putbyte(static_cast<std::uint8_t>(b.app_cache_info.entries.size()));
    out.putbyte(0);
    for (const TAppCacheEntry& e : b.app_cache_info.entries) {
        out.putbyte(e.entry_type);
        out.putstring(e.ref_to_name, 5);
        out.putstring(e.language_code, 3);
        out.putzeros(3);
    }

    section(1);
    const TTableOfAccessiblePlayLists& pl = b.accessible_playlists;
    checkFits(pl.PlayList_file_name.size(), 0x7FF, "accessible playlists");
    out.putlword(static_cast<std::uint32_t>(4 + 6 * pl.PlayList_file_name.size()));
    BitWriter plBits(out);
    plBits.put(11, pl.PlayList_file_name.size());
    plBits.flag(pl.access_to_all_flag);
    plBits.flag(pl.autostart_first_PlayList_flag);
    plBits.zeros(3);
    out.putzeros(2);
    for (const std::string& name : pl.PlayList_file_name) {
        out.putstring(name, 5);
        out.putbyte(0);
    }

    section(2);
    const auto& apps = b.applications.applications;
    checkFits(apps.size(), 255, "applications");
    const std::size_t amtLengthAt = out.size();
    out.putlword(0);
    out.putbyte(static_cast<std::uint8_t>(apps.size()));
    out.putbyte(0);
    for (const Tapplication& a : apps) writeApplication(out, a);
    out.patchlword(amtLengthAt, static_cast<std::uint32_t>(out.size() - amtLengthAt - 4));

    section(3);
    out.putlword(b.key_interest);

    section(4);
    checkFits(b.file_access_info.directory_path.size(), 0xFFFF, "directory path length");
    out.putword(static_cast<std::uint16_t>(b.file_access_info.directory_path.size()));
    out.putstring(b.file_access_info.directory_path, b.file_access_info.directory_path.size());
    putAlign(out);
    return out.take();
}

}  // namespace navora

#include "core/demo.h"

#include "core/fileio.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_io.h"

namespace navora {

namespace fs = std::filesystem;

namespace {

TMOBJ demoMovieObjects() {
    TMOBJ m;
    m.mobjs.objects.resize(3);
    m.mobjs.length = 6 + 3 * 4;
    return m;
}

TINDX demoIndex() {
    TINDX x;
    x.indexes.first_playback.mobj_id_ref = 2;
    x.indexes.top_menu.mobj_id_ref = 1;
    TTitle t;
    t.title_number = 1;
    t.mobj_id_ref = 0;
    x.indexes.titles.push_back(t);
    x.indexes.length = 30 + 12;
    return x;
}

}  // namespace

void makeDemoDisc(const fs::path& root) {
    const fs::path bdmv = root / "BDMV";
    for (const char* sub : {"PLAYLIST", "CLIPINF", "STREAM", "BACKUP", "AUXDATA", "BDJO", "JAR", "META"})
        fs::create_directories(bdmv / sub);
    const Bytes index = writeIndex(demoIndex());
    const Bytes mobj = writeMovieObjects(demoMovieObjects());
    saveAtomic(bdmv / "index.bdmv", index);
    saveAtomic(bdmv / "MovieObject.bdmv", mobj);
    saveAtomic(bdmv / "BACKUP" / "index.bdmv", index);
    saveAtomic(bdmv / "BACKUP" / "MovieObject.bdmv", mobj);
}

}  // namespace navora

#pragma once
// The open disc as the editor's one document. It owns the disc's models (the
// workspace), applies every edit through an engine function as one step of
// the undo stack, and says which models changed so that every view redraws
// itself from the model. Views never write a model and never redraw each
// other.
//
// How a tab plugs in (a playlist, clip, menu, sound or BD-J tab):
//   1. Its model is a copyable value with operator== in the Workspace (or a
//      member of Document). Give it a flag in Part and register it once in
//      the constructor: addPart(Part::Playlist, ws_.playlist).
//   2. Every edit is an engine function called inside apply():
//        doc.apply(Document::Part::Playlist, QStringLiteral("Insert PlayItem"),
//                  [&](Workspace& ws) { return insertPlayItem(ws.playlist, at).has_value(); });
//      The callable returns whether it changed the model. apply() keeps the
//      named parts as they were before and after, so Undo and Redo put them
//      back whole. Successive edits of one field pass the same merge key
//      (e.g. "mpls/item/3/in") and become one step.
//   3. The tab's views connect to changed() (or a per-model signal such as
//      indexChanged()) and redraw from model().
//   4. A read that replaces the model calls replaced(Part::Playlist) (the
//      history of its tab goes, it counts as saved; the other tabs' histories
//      stay); a save that wrote the file calls markSaved(Part::Playlist). The
//      title's "*" follows isModified().
//   5. The tab itself is a TabPage (ui/tabpage.h): bottomBar() says what the
//      bottom bar shows for it, save() what "&Save" writes, parts() whose
//      history the Edit menu's Undo and Redo act on while it is active; a tab
//      with programs to run gives a ProgramSource to the RunController.
//
// Each tab that edits files has its own history (BDMV: index.bdmv,
// MovieObject.bdmv and sound.bdmv; the playlist; the clip; the menu), so an
// undo only ever changes what the active tab shows, and a read empties only
// the history of what it replaced.

#include "bdj/bdjo.h"
#include "disc/workspace.h"

#include <QFlags>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QUndoGroup;
class QUndoStack;

namespace navora::ui {

// The BD-J object the BDJO tab shows. It is read on request and never edited,
// so it has no history of its own.
struct BdjObjectState {
    std::string name;             // the object last read or refused, without ".bdjo"
    std::optional<TBDJO> object;  // none: nothing read yet, or the file was refused
    std::string refusal;          // why the file was refused (the logged error)

    bool operator==(const BdjObjectState&) const = default;
};

class Document : public QObject {
    Q_OBJECT
public:
    // The models an edit may change.
    enum class Part : unsigned {
        Index = 1u << 0,         // index.bdmv
        MovieObjects = 1u << 1,  // MovieObject.bdmv
        Playlist = 1u << 2,      // the playlist read last (Workspace::playlist)
        Clip = 1u << 3,          // the clip information read last (Workspace::clip)
        Sound = 1u << 8,         // AUXDATA/sound.bdmv, with whether the disc holds one
        BdjObject = 1u << 9,     // the BD-J object shown (read-only)
        Menu = 1u << 10,         // the IG menu of the Menu tab (not read with the folder)
    };
    Q_DECLARE_FLAGS(Parts, Part)

    // The edit: changes the models through engine functions and returns
    // whether anything changed.
    using Edit = std::function<bool(Workspace&)>;

    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    // The models, for the views to show.
    const Workspace& model() const { return ws_; }
    // The workspace itself, for the read and save sequences (and tests);
    // views change the models only through apply().
    Workspace& workspace() { return ws_; }

    // Applies an edit as one undoable step named `name` ("Insert command")
    // on the history of `parts` (parts of one tab): the models of `parts` are
    // kept before and after, then changed() is emitted for them. An edit that changes nothing leaves no step and emits
    // nothing. With a merge key, an edit right after another of the same key
    // and parts joins its step. Returns whether the models changed.
    bool apply(Parts parts, const QString& name, const Edit& edit, const QString& mergeKey = {});
    // Applies an edit that says where it placed something (the row inserted,
    // the row to select after a delete) as an optional, empty when it changed
    // nothing; returns that place.
    template <class PlacingEdit>
    auto applyPlacing(Parts parts, const QString& name, PlacingEdit edit) {
        decltype(edit(ws_)) place;
        apply(parts, name, [&](Workspace& ws) {
            place = edit(ws);
            return place.has_value();
        });
        return place;
    }

    // Runs the check-and-read sequence on folder; the folder's models are
    // replaced whole, so their histories are emptied. The menu is not the
    // folder's: it stays with its history, modified or not. Returns whether the check passed.
    bool read(const std::string& folder, Log& log);
    // Saves the files of parts among index.bdmv, MovieObject.bdmv and then
    // sound.bdmv when the disc holds one, each with its backup step; a file
    // that was written counts as saved. Returns the names of the files written.
    std::vector<std::string> saveBdmv(Log& log,
                                      Parts parts = Parts(Part::Index) | Part::MovieObjects | Part::Sound);

    // The BD-J object shown on the BDMV tab's neighbour, the BDJO tab.
    const BdjObjectState& bdjObject() const { return bdjo_; }
    // Reads BDJO/<name>.bdjo of the folder into bdjObject() and emits
    // bdjObjectChanged(). A refused or unreadable file leaves no object and
    // its error (also logged, naming the file) as the refusal. Returns
    // whether the object was read.
    bool readBdjObject(const std::string& name, Log& log);

    // A read replaced these models: they count as saved, and the histories
    // that hold them are emptied (the steps of other tabs stay).
    void replaced(Parts parts);
    // These models were written to their files as they are now.
    void markSaved(Parts parts);
    // True while a model differs from what was last read or saved: from the
    // first edit until its file is saved, and again after an undo past the save.
    bool isModified() const;
    // Whether any of parts holds unsaved edits.
    bool isModified(Parts parts) const;

    // The history that holds the steps of part.
    QUndoStack* undoStack(Part part) const;
    // Every history; the active one is what the Edit menu's Undo and Redo act on.
    QUndoGroup* undoGroup() const { return group_; }
    // Makes the history of parts the active one (none for no parts): the
    // active tab's, so that an undo changes only what the user sees.
    void showHistoryOf(Parts parts);

signals:
    // Models changed by an edit, an undo or a redo.
    void changed(navora::ui::Document::Parts parts);
    void indexChanged();
    void movieObjectsChanged();
    void soundChanged();
    // Another BD-J object was read (or refused), or a folder read emptied it.
    void bdjObjectChanged();
    void menuChanged();
    // A read is about to replace every model: views empty themselves.
    void aboutToRead();
    // A read replaced every model.
    void reloaded();
    void modifiedChanged(bool modified);

private:
    class Snapshot;
    template <class... Models>
    class SnapshotOf;
    class Step;
    // A model's value with the version it has as that value.
    struct PartState {
        Part part;
        std::shared_ptr<const Snapshot> value;
        std::uint64_t version;
    };
    using PartStates = std::vector<PartState>;
    // The histories, one per tab that edits files.
    enum class History { Bdmv, Playlist, Clip, Menu, Count };
    struct PartSlot {
        Part part;
        History history;
        std::function<std::unique_ptr<Snapshot>()> take;
        std::uint64_t version = 0;  // a new number for every value the model takes
        std::uint64_t saved = 0;    // the version last read or saved
    };

    // Registers the models that make up one part; they are kept and put back together.
    template <class... Models>
    void addPart(Part part, History history, Models&... models);
    PartSlot* slot(Part part);
    const PartSlot* slot(Part part) const;
    // The history of parts: that of the first registered part among them.
    QUndoStack* historyOf(Parts parts) const;
    PartStates states(Parts parts) const;
    static bool sameValues(const PartStates& a, const PartStates& b);
    // Puts models back to states (an undo or redo) and tells the views.
    void restore(const PartStates& states, Parts parts);
    void notify(Parts parts);
    // Emits modifiedChanged when isModified() changed.
    void updateModified();

    Workspace ws_;
    BdjObjectState bdjo_;
    std::vector<PartSlot> parts_;
    std::uint64_t nextVersion_ = 1;
    bool modified_ = false;
    QUndoGroup* group_;
    std::vector<QUndoStack*> stacks_;  // by History
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Document::Parts)

}  // namespace navora::ui

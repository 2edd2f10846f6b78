#include "ui/app/document.h"

#include <QUndoCommand>
#include <QUndoStack>

#include "bdj/bdjo_io.h"

#include <tuple>

namespace navora::ui {

// A model's value at one moment, able to put itself back.
class Document::Snapshot {
public:
    virtual ~Snapshot() = default;
    virtual void restore() const = 0;
    virtual bool sameAs(const Snapshot& other) const = 0;
};

template <class... Models>
class Document::SnapshotOf : public Document::Snapshot {
public:
    explicit SnapshotOf(Models&... models) : models_(&models...), values_(models...) {}
    void restore() const override {
        std::apply([this](Models*... m) { std::tie(*m...) = values_; }, models_);
    }
    bool sameAs(const Snapshot& other) const override {
        const auto* o = dynamic_cast<const SnapshotOf*>(&other);
        return o && o->models_ == models_ && o->values_ == values_;
    }

private:
    std::tuple<Models*...> models_;
    std::tuple<Models...> values_;
};

// One undoable edit: the models of its parts before and after.
class Document::Step : public QUndoCommand {
public:
    Step(Document& doc, Parts parts, const QString& name, QString mergeKey, PartStates before, PartStates after)
        : QUndoCommand(name),
          doc_(doc),
          parts_(parts),
          key_(std::move(mergeKey)),
          before_(std::move(before)),
          after_(std::move(after)) {}

    // The edit has already run when the step is pushed: the first redo only records it.
    void redo() override {
        if (pushed_) {
            pushed_ = false;
            return;
        }
        doc_.restore(after_, parts_);
    }
    void undo() override { doc_.restore(before_, parts_); }

    int id() const override { return key_.isEmpty() ? -1 : 1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* o = dynamic_cast<const Step*>(other);
        if (!o || o->key_ != key_ || o->parts_ != parts_) return false;
        // A step whose result was saved stays whole, so that undo stops at the saved state.
        for (const PartState& s : after_)
            if (doc_.slot(s.part)->saved == s.version) return false;
        after_ = o->after_;
        // Edits of a field that end where they began leave no step, and the
        // models are again what they were before it.
        if (sameValues(before_, after_)) {
            setObsolete(true);
            for (const PartState& s : before_) doc_.slot(s.part)->version = s.version;
            doc_.updateModified();
        }
        return true;
    }

private:
    Document& doc_;
    Parts parts_;
    QString key_;
    PartStates before_;
    PartStates after_;
    bool pushed_ = true;
};

Document::Document(QObject* parent) : QObject(parent), stack_(new QUndoStack(this)) {
    addPart(Part::Index, ws_.index);
    addPart(Part::MovieObjects, ws_.mobj);
    // Creating a sound.bdmv gives the disc one: undo takes both back.
    addPart(Part::Sound, ws_.sound, ws_.soundLoaded);
    addPart(Part::BdjObject, bdjo_);
    addPart(Part::Playlist, ws_.playlist);
    addPart(Part::Menu, ws_.menu);
}

Document::~Document() {
    // The steps point into the models: they go first.
    stack_->clear();
}

template <class... Models>
void Document::addPart(Part part, Models&... models) {
    parts_.push_back({part, [&models...] { return std::make_unique<SnapshotOf<Models...>>(models...); }});
}

Document::PartSlot* Document::slot(Part part) {
    for (PartSlot& s : parts_)
        if (s.part == part) return &s;
    return nullptr;
}

Document::PartStates Document::states(Parts parts) const {
    PartStates out;
    for (const PartSlot& s : parts_)
        if (parts.testFlag(s.part)) out.push_back({s.part, s.take(), s.version});
    return out;
}

bool Document::sameValues(const PartStates& a, const PartStates& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!a[i].value->sameAs(*b[i].value)) return false;
    return true;
}

bool Document::apply(Parts parts, const QString& name, const Edit& edit, const QString& mergeKey) {
    PartStates before = states(parts);
    if (!edit(ws_)) return false;
    PartStates after = states(parts);
    // An edit that reports a change but leaves every model as it was (a box
    // set to the value it had) is no step of the history.
    if (sameValues(before, after)) return false;
    for (PartState& s : after) s.version = slot(s.part)->version = nextVersion_++;
    stack_->push(new Step(*this, parts, name, mergeKey, std::move(before), std::move(after)));
    notify(parts);
    updateModified();
    return true;
}

void Document::restore(const PartStates& states, Parts parts) {
    for (const PartState& s : states) {
        s.value->restore();
        slot(s.part)->version = s.version;
    }
    notify(parts);
    updateModified();
}

void Document::notify(Parts parts) {
    emit changed(parts);
    if (parts.testFlag(Part::Index)) emit indexChanged();
    if (parts.testFlag(Part::MovieObjects)) emit movieObjectsChanged();
    if (parts.testFlag(Part::Sound)) emit soundChanged();
    if (parts.testFlag(Part::BdjObject)) emit bdjObjectChanged();
    if (parts.testFlag(Part::Menu)) emit menuChanged();
}

void Document::replaced(Parts parts) {
    stack_->clear();
    for (PartSlot& s : parts_)
        if (parts.testFlag(s.part)) s.version = s.saved = nextVersion_++;
    updateModified();
}

void Document::markSaved(Parts parts) {
    for (PartSlot& s : parts_)
        if (parts.testFlag(s.part)) s.saved = s.version;
    updateModified();
}

bool Document::isModified(Parts parts) const {
    for (const PartSlot& s : parts_)
        if (parts.testFlag(s.part) && s.version != s.saved) return true;
    return false;
}

bool Document::isModified() const {
    for (const PartSlot& s : parts_)
        if (s.version != s.saved) return true;
    return false;
}

void Document::updateModified() {
    const bool now = isModified();
    if (now == modified_) return;
    modified_ = now;
    emit modifiedChanged(now);
}

bool Document::read(const std::string& folder, Log& log) {
    stack_->clear();
    emit aboutToRead();
    ws_.folder = folder;
    bdjo_ = {};
    bool passed = false;
    try {
        passed = ws_.checkAndRead(log);
    } catch (const std::exception& e) {
        // Readers report their own errors; anything else still ends the read cleanly.
        log.erlog(e.what());
    }
    // The menu is not read with the folder: it keeps its modified state.
    Parts all;
    for (const PartSlot& s : parts_)
        if (s.part != Part::Menu) all |= s.part;
    replaced(all);
    emit reloaded();
    emit bdjObjectChanged();
    return passed;
}

std::vector<std::string> Document::saveBdmv(Log& log, Parts parts) {
    // Each file has its own backup step: a failure of one does not stop the next.
    const bool index = parts.testFlag(Part::Index) && ws_.saveIndex(log);
    const bool mobj = parts.testFlag(Part::MovieObjects) && ws_.saveMovieObjects(log);
    // sound.bdmv third, when the disc holds one (read or created); a created
    // one whose creation was undone goes again.
    const bool sound =
        parts.testFlag(Part::Sound) && (ws_.soundLoaded ? ws_.saveSound(log) : ws_.removeCreatedSound(log));
    markSaved((index ? Parts(Part::Index) : Parts()) | (mobj ? Parts(Part::MovieObjects) : Parts()) |
              (sound ? Parts(Part::Sound) : Parts()));
    std::vector<std::string> written;
    if (index) written.push_back(ws_.names().index);
    if (mobj) written.push_back(ws_.names().movieObject);
    if (sound && ws_.soundLoaded) written.push_back(kSoundFile);
    return written;
}

bool Document::readBdjObject(const std::string& name, Log& log) {
    BdjObjectState next;
    next.name = name;
    next.object = readBdjoFile(log, ws_.paths().bdjoFolder(), name);
    // A refused file was reported by erlog, which leaves its message in status panel 1.
    if (!next.object) next.refusal = log.panelText[1];
    // Read-only: no edit ever changes it, so it never counts as modified.
    bdjo_ = std::move(next);
    emit bdjObjectChanged();
    return bdjo_.object.has_value();
}

}  // namespace navora::ui

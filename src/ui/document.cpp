#include "ui/document.h"

#include <QUndoCommand>
#include <QUndoStack>

namespace navora::ui {

// A model's value at one moment, able to put itself back.
class Document::Snapshot {
public:
    virtual ~Snapshot() = default;
    virtual void restore() const = 0;
    virtual bool sameAs(const Snapshot& other) const = 0;
};

template <class Model>
class Document::SnapshotOf : public Document::Snapshot {
public:
    explicit SnapshotOf(Model& model) : model_(&model), value_(model) {}
    void restore() const override { *model_ = value_; }
    bool sameAs(const Snapshot& other) const override {
        const auto* o = dynamic_cast<const SnapshotOf*>(&other);
        return o && o->model_ == model_ && o->value_ == value_;
    }

private:
    Model* model_;
    Model value_;
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
    addPart(Part::Menu, ws_.menu);
}

Document::~Document() {
    // The steps point into the models: they go first.
    stack_->clear();
}

template <class Model>
void Document::addPart(Part part, Model& model) {
    parts_.push_back({part, [&model] { return std::make_unique<SnapshotOf<Model>>(model); }});
}

Document::PartSlot* Document::slot(Part part) {
    for (PartSlot& s : parts_)
        if (s.part == part) return &s;
    return nullptr;
}

const Document::PartSlot* Document::slot(Part part) const {
    for (const PartSlot& s : parts_)
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

bool Document::isModified(Part part) const {
    const PartSlot* s = slot(part);
    return s && s->version != s->saved;
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
    return passed;
}

bool Document::saveBdmv(Log& log) {
    // Each file has its own backup step: a failure of one does not stop the next.
    const bool index = ws_.saveIndex(log);
    const bool mobj = ws_.saveMovieObjects(log);
    markSaved((index ? Parts(Part::Index) : Parts()) | (mobj ? Parts(Part::MovieObjects) : Parts()));
    return index && mobj;
}

}  // namespace navora::ui

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
    using Snapshots = std::vector<std::shared_ptr<const Snapshot>>;

    Step(Document& doc, Parts parts, const QString& name, QString mergeKey, Snapshots before, Snapshots after)
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
        put(after_);
    }
    void undo() override { put(before_); }

    int id() const override { return key_.isEmpty() ? -1 : 1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* o = dynamic_cast<const Step*>(other);
        if (!o || o->key_ != key_ || o->parts_ != parts_) return false;
        after_ = o->after_;
        // Edits of a field that end where they began leave no step.
        setObsolete(same(before_, after_));
        return true;
    }

    static bool same(const Snapshots& a, const Snapshots& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!a[i]->sameAs(*b[i])) return false;
        return true;
    }

private:
    void put(const Snapshots& state) {
        for (const auto& s : state) s->restore();
        doc_.notify(parts_);
    }

    Document& doc_;
    Parts parts_;
    QString key_;
    Snapshots before_;
    Snapshots after_;
    bool pushed_ = true;
};

Document::Document(QObject* parent) : QObject(parent), stack_(new QUndoStack(this)) {
    addPart(Part::Index, ws_.index);
    addPart(Part::MovieObjects, ws_.mobj);
    connect(stack_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

Document::~Document() {
    // The steps point into the models: they go first.
    stack_->clear();
}

template <class Model>
void Document::addPart(Part part, Model& model) {
    parts_.push_back({part, [&model] { return std::make_unique<SnapshotOf<Model>>(model); }});
}

std::vector<std::shared_ptr<const Document::Snapshot>> Document::snapshots(Parts parts) const {
    std::vector<std::shared_ptr<const Snapshot>> out;
    for (const PartSlot& slot : parts_)
        if (parts.testFlag(slot.part)) out.push_back(slot.take());
    return out;
}

bool Document::apply(Parts parts, const QString& name, const Edit& edit, const QString& mergeKey) {
    auto before = snapshots(parts);
    if (!edit(ws_)) return false;
    auto after = snapshots(parts);
    // An edit that reports a change but leaves every model as it was (a box
    // set to the value it had) is no step of the history.
    if (Step::same(before, after)) return false;
    stack_->push(new Step(*this, parts, name, mergeKey, std::move(before), std::move(after)));
    notify(parts);
    return true;
}

void Document::notify(Parts parts) {
    emit changed(parts);
    if (parts.testFlag(Part::Index)) emit indexChanged();
    if (parts.testFlag(Part::MovieObjects)) emit movieObjectsChanged();
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
    stack_->clear();
    emit reloaded();
    return passed;
}

bool Document::saveBdmv(Log& log) {
    // Each file has its own backup step: a failure of one does not stop the next.
    const bool index = ws_.saveIndex(log);
    const bool mobj = ws_.saveMovieObjects(log);
    if (index && mobj) stack_->setClean();
    return index && mobj;
}

bool Document::isModified() const { return !stack_->isClean(); }

}  // namespace navora::ui

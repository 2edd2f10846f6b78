#include "ui/bdmv/mobjview.h"

#include "nav/disasm.h"
#include "core/errors.h"
#include "core/extdata.h"
#include "navdb/index_edit.h"
#include "navdb/movieobject_edit.h"
#include "ui/widgets/commandeditor.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/composer.h"
#include "ui/widgets/widgets.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <vector>

namespace navora::ui {

namespace {

const TCommands kNoCommands;

// The commands panel shows the ExtensionData caption only when it is wider than this.
constexpr int kExtDatMinPanelWidth = 510;
// The commands panel never gets lower than this.
constexpr int kCommandsPanelMinHeight = 167;

QString defaultSaveFile(QWidget* parent, const QString& title, const QString& start, const QStringList& filters,
                        QString* selected) {
    QFileDialog dialog(parent, title, start);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    if (selected) dialog.selectNameFilter(*selected);
    auto suffixOf = [](const QString& filter) { return filter.contains(QStringLiteral("*.bin")) ? "bin" : "lst"; };
    dialog.setDefaultSuffix(QLatin1String(suffixOf(dialog.selectedNameFilter())));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString& f) { dialog.setDefaultSuffix(QLatin1String(suffixOf(f))); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (selected) *selected = dialog.selectedNameFilter();
    return dialog.selectedFiles().front();
}

// Shows or hides a widget by the width of the panel it watches.
class WidthRule : public QObject {
public:
    WidthRule(QWidget* panel, std::initializer_list<QWidget*> shown, int minWidth)
        : QObject(panel), shown_(shown), min_(minWidth) {
        panel->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Resize)
            for (QWidget* w : shown_) w->setVisible(static_cast<QWidget*>(watched)->width() > min_);
        return false;
    }

private:
    std::vector<QWidget*> shown_;
    int min_;
};

}  // namespace

MobjView::MobjView(Document& doc, Log& log, QWidget* parent) : QWidget(parent), doc_(doc), log_(log) {
    saveFileChooser = [this](const QString& title, const QString& start, const QStringList& filters,
                             QString* selected) { return defaultSaveFile(this, title, start, filters, selected); };
    QWidget* objects = buildObjects();
    objects->setMinimumHeight(70);
    QWidget* commands = buildCommands();
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("splitterObjects"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(objects);
    splitter_->addWidget(commands);
    splitter_->setStretchFactor(0, 2);
    splitter_->setStretchFactor(1, 5);

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(splitter_);
    connectControls();
    reset();
}

// The movie object grid with its count label, "+"/"-" and the flag boxes.
QWidget* MobjView::buildObjects() {
    auto* objects = new QWidget(this);
    auto* ol = new QHBoxLayout(objects);
    ol->setContentsMargins(0, 0, 0, 0);
    ol->setSpacing(3);
    lObjCount_ = new RotatedLabel(QString(), objects);
    lObjCount_->setObjectName(QStringLiteral("lObjCount"));
    sgObject_ = new StringGrid(objects);
    sgObject_->setObjectName(QStringLiteral("sgObject"));
    sgObject_->setToolTip(QStringLiteral("Movie objects"));
    sgObject_->rowNumberText = [](int row) { return QString::fromStdString(dec3(static_cast<std::size_t>(row))); };
    QStringList titles;
    for (const std::string& t : objectColumns()) titles << QString::fromStdString(t);
    sgObject_->setTitles(titles);
    sgObject_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    {
        const QFontMetrics fm(sgObject_->font());
        sgObject_->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral("000")) + 10);
        const int suspend = fm.horizontalAdvance(QStringLiteral("suspend"));
        for (int c = 1; c <= 3; ++c) sgObject_->setColumnWidth(c, std::max(fm.horizontalAdvance(titles[c]), suspend) + 8);
        sgObject_->horizontalHeader()->setMinimumSectionSize(fm.horizontalAdvance(QStringLiteral("000")) + 8);
    }
    sgObject_->horizontalHeader()->setStretchLastSection(true);

    auto* objButtons = new QVBoxLayout;
    objButtons->setSpacing(2);
    bbObins_ = smallButton(QStringLiteral("+"), "bbObins", QStringLiteral("Insert movie object"), objects);
    bbObdel_ = smallButton(QStringLiteral("-"), "bbObdel", QStringLiteral("Delete movie object(s)"), objects);
    objButtons->addWidget(bbObins_);
    objButtons->addWidget(bbObdel_);
    objButtons->addStretch(1);

    auto* flags = new QGridLayout;
    flags->setContentsMargins(2, 0, 0, 0);
    flags->setVerticalSpacing(1);
    auto flagBox = [&](const char* name, const QString& caption, MobjFlag flag, int row) {
        auto* box = new QComboBox(objects);
        box->setObjectName(QLatin1String(name));
        for (bool set : {false, true}) box->addItem(QString::fromStdString(mobjFlagName(flag, set)));
        box->setCurrentIndex(-1);
        box->setEnabled(false);
        box->setToolTip(caption);
        auto* label = new QLabel(caption, objects);
        label->setBuddy(box);
        flags->addWidget(label, row * 2, 0);
        flags->addWidget(box, row * 2 + 1, 0);
        return box;
    };
    cbResume_ = flagBox("cbResume", QStringLiteral("resume"), MobjFlag::Resume, 0);
    cbMenuCall_ = flagBox("cbMenuCall", QStringLiteral("menu call"), MobjFlag::MenuCall, 1);
    cbTitleSearch_ = flagBox("cbTitleSearch", QStringLiteral("title search"), MobjFlag::TitleSearch, 2);
    flags->setRowStretch(6, 1);

    ol->addWidget(lObjCount_);
    ol->addWidget(sgObject_, 1);
    ol->addLayout(objButtons);
    ol->addLayout(flags);
    return objects;
}

// The command grid with "+"/"-", "Save program list", the ExtensionData caption and the composer.
QWidget* MobjView::buildCommands() {
    auto* commands = new QWidget(this);
    commands->setMinimumHeight(kCommandsPanelMinHeight);
    auto* cl = new QVBoxLayout(commands);
    cl->setContentsMargins(0, 0, 0, 0);
    cl->setSpacing(3);
    sgCommands_ = new CommandGrid(commands);
    sgCommands_->setObjectName(QStringLiteral("sgCommands"));
    sgCommands_->setToolTip(QStringLiteral("Navigation commands"));
    sgCommands_->setContext(CommandContext::MovieObject);
    sgCommands_->setEnabled(false);

    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    bbNCins_ = smallButton(QStringLiteral("+"), "bbNCins", QStringLiteral("Insert a line after selected line(s)"),
                           commands);
    bbNCdel_ = smallButton(QStringLiteral("-"), "bbNCdel", QStringLiteral("Delete the selected line(s)"), commands);
    bbSaveCommands_ = new QPushButton(QStringLiteral("Save list..."), commands);
    bbSaveCommands_->setObjectName(QStringLiteral("bbSaveCommands"));
    bbSaveCommands_->setToolTip(QStringLiteral("Save program list"));
    bbSaveCommands_->setEnabled(false);
    lObjExtDat_ = new QLabel(QString::fromStdString(ExtDatCap({})), commands);
    lObjExtDat_->setObjectName(QStringLiteral("lObjExtDat"));
    lObjExtDat_->setToolTip(QStringLiteral("ExtensionData() of MovieObject.bdmv"));
    bObjExtDatEdit_ = new QPushButton(QStringLiteral("Edit"), commands);
    bObjExtDatEdit_->setObjectName(QStringLiteral("bObjExtDatEdit"));
    bObjExtDatEdit_->setToolTip(QStringLiteral("Edit the ExtensionData() of MovieObject.bdmv"));
    bObjExtDatEdit_->setEnabled(false);
    connect(bObjExtDatEdit_, &QPushButton::clicked, this, &MobjView::extensionDataEditRequested);
    row->addWidget(bbNCins_);
    row->addWidget(bbNCdel_);
    row->addWidget(bbSaveCommands_);
    row->addStretch(1);
    row->addWidget(lObjExtDat_);
    row->addWidget(bObjExtDatEdit_);
    new WidthRule(commands, {lObjExtDat_, bObjExtDatEdit_}, kExtDatMinPanelWidth);

    composer_ = new Composer(commands);
    composer_->setObjectName(QStringLiteral("composer"));
    composer_->setListsEnabled(false);

    cl->addWidget(sgCommands_, 1);
    cl->addWidget(composer_);
    cl->addLayout(row);
    return commands;
}

void MobjView::connectControls() {
    splitter_->installEventFilter(this);
    connect(sgObject_, &StringGrid::choiceChanged, this, [this] {
        const auto range = sgObject_->selectedRange();
        if (!quietSelect_ && range && range->first != shown_) sgObjectClick();
    });
    connect(bbObins_, &QToolButton::clicked, this, &MobjView::bbObinsClick);
    connect(bbObdel_, &QToolButton::clicked, this, &MobjView::bbObdelClick);
    connect(cbResume_, &QComboBox::activated, this, &MobjView::cbResumeChange);
    connect(cbMenuCall_, &QComboBox::activated, this, &MobjView::cbMenuCallChange);
    connect(cbTitleSearch_, &QComboBox::activated, this, &MobjView::cbTitleSearchChange);

    connect(sgCommands_, &StringGrid::choiceChanged, this, &MobjView::sgCommandsClick);
    connect(sgCommands_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (hasShownObject() && index.row() < static_cast<int>(selectedCommands().size()))
            emit commandRowClicked(index.row());
    });
    connect(sgCommands_, &QAbstractItemView::doubleClicked, this, &MobjView::sgCommandsDblClick);
    commandEditor_ = new CommandEditor(
        sgCommands_, log_,
        [this](const QString& name, const CommandEditor::LineEdit& edit) {
            EditResult r;
            if (const auto o = selectedObject())
                doc_.apply(Document::Part::MovieObjects, name, [&](Workspace& ws) {
                    r = editObjectCommands(ws.mobj, *o, edit);
                    return r.changed;
                });
            return r;
        },
        [this]() -> const TCommands* { return hasShownObject() ? &selectedCommands() : nullptr; }, this);
    connect(commandEditor_, &CommandEditor::edited, this, [this](std::optional<std::size_t> select) {
        if (select)
            showLine(static_cast<int>(*select));
        else
            composer_->clearCommand();
    });
    connect(bbNCins_, &QToolButton::clicked, commandEditor_, &CommandEditor::insert);
    connect(bbNCdel_, &QToolButton::clicked, commandEditor_, &CommandEditor::remove);
    connect(bbSaveCommands_, &QPushButton::clicked, this, &MobjView::bbSaveCommandsClick);
    connect(composer_, &Composer::commandEdited, this, &MobjView::storeComposed);
    connect(composer_, &Composer::enterPressed, this, [this] { sgCommands_->setFocus(); });
    connect(&doc_, &Document::aboutToRead, this, &MobjView::reset);
    connect(&doc_, &Document::reloaded, this, &MobjView::fill);
    connect(&doc_, &Document::movieObjectsChanged, this, &MobjView::refresh);
}

int MobjView::objectListHeight() const {
    if (pendingListHeight_ >= 0) return pendingListHeight_;
    const QList<int> sizes = splitter_->sizes();
    if (sizes.size() != 2 || sizes[0] + sizes[1] <= 0) return -1;
    return sizes.front();
}

void MobjView::setObjectListHeight(int height) {
    pendingListHeight_ = height;
    QList<int> sizes = splitter_->sizes();
    const int total = sizes.size() == 2 ? sizes[0] + sizes[1] : 0;
    // Before the first layout the splitter has no height to share: the height waits for it.
    if (total <= 0 || !splitter_->isVisible()) return;
    pendingListHeight_ = -1;
    // The commands panel keeps its least height.
    const int least = splitter_->widget(0)->minimumSizeHint().height();
    const int top = std::clamp(height, least, std::max(least, total - kCommandsPanelMinHeight));
    splitter_->setSizes({top, total - top});
}

bool MobjView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == splitter_ && event->type() == QEvent::Resize && pendingListHeight_ >= 0)
        QMetaObject::invokeMethod(this, [this] {
            if (pendingListHeight_ >= 0) setObjectListHeight(pendingListHeight_);
        }, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

std::optional<std::size_t> MobjView::selectedObject() const {
    if (shown_ < 0 || static_cast<std::size_t>(shown_) >= ws().mobj.mobjs.objects.size()) return std::nullopt;
    return static_cast<std::size_t>(shown_);
}

const TCommands& MobjView::selectedCommands() const {
    const auto o = selectedObject();
    return o ? ws().mobj.mobjs.objects[*o].commands : kNoCommands;
}

void MobjView::reset() {
    shown_ = -1;
    drawn_.clear();
    quietSelect_ = true;
    sgObject_->resetGrid();
    quietSelect_ = false;
    sgCommands_->resetGrid();
    sgCommands_->setEnabled(false);
    sgObject_->setEnabled(false);
    for (QComboBox* box : {cbResume_, cbMenuCall_, cbTitleSearch_}) {
        box->setCurrentIndex(-1);
        box->setEnabled(false);
    }
    composer_->clearCommand();
    composer_->setListsEnabled(false);
    bbSaveCommands_->setEnabled(false);
    for (QToolButton* b : {bbObins_, bbObdel_, bbNCins_, bbNCdel_}) b->setEnabled(false);
    lObjCount_->setText(QString());
    lObjExtDat_->setText(QString::fromStdString(ExtDatCap({})));
    bObjExtDatEdit_->setEnabled(false);
    emit objectShown(-1, false);
}

void MobjView::fill() {
    reset();
    if (!ws().mobjLoaded) return;
    const auto& objects = ws().mobj.mobjs.objects;
    quietSelect_ = true;
    sgObject_->setDataRows(static_cast<int>(objects.size()));
    quietSelect_ = false;
    redrawObjects(0);
    enableObjectControls(!objects.empty());
    sgCommands_->setEnabled(true);
    composer_->setListsEnabled(true);
    // The movie object grid follows whether the index was accepted.
    sgObject_->setEnabled(ws().indexLoaded);
    bbObins_->setEnabled(ws().indexLoaded);
    bbObdel_->setEnabled(ws().indexLoaded);
    bbNCins_->setEnabled(true);
    bbNCdel_->setEnabled(true);
    bObjExtDatEdit_->setEnabled(true);
    lObjExtDat_->setText(QString::fromStdString(ExtDatCap(ws().mobj.ext)));
    lObjCount_->setText(QString::fromStdString(BDMVlabels(ws().index, objects.size()).objects));
}

void MobjView::refresh() {
    if (!ws().mobjLoaded) return;
    const auto& objects = ws().mobj.mobjs.objects;
    const int n = static_cast<int>(objects.size());
    const auto range = sgObject_->selectedRange();
    quietSelect_ = true;
    sgObject_->setDataRows(n);
    redrawObjects(0);
    if (n > 0 && range) sgObject_->selectRange(std::min(range->first, n - 1), std::min(range->second, n - 1));
    quietSelect_ = false;
    enableObjectControls(n > 0);
    lObjExtDat_->setText(QString::fromStdString(ExtDatCap(ws().mobj.ext)));
    lObjCount_->setText(QString::fromStdString(BDMVlabels(ws().index, objects.size()).objects));
    if (shown_ >= n) shown_ = n > 0 && range ? std::min(range->first, n - 1) : -1;
    showCurrentObject(false);
}

void MobjView::enableObjectControls(bool on) {
    for (QComboBox* box : {cbResume_, cbMenuCall_, cbTitleSearch_}) box->setEnabled(on);
    if (!on)
        for (QComboBox* box : {cbResume_, cbMenuCall_, cbTitleSearch_}) box->setCurrentIndex(-1);
}

void MobjView::objline(int n) {
    const auto& objects = ws().mobj.mobjs.objects;
    if (n < 0 || static_cast<std::size_t>(n) >= objects.size()) return;
    const auto cells = navora::objline(objects[static_cast<std::size_t>(n)], static_cast<std::size_t>(n));
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) sgObject_->setCell(n, c, QString::fromStdString(cells[c]));
}

void MobjView::redrawObjects(int from) {
    for (int n = std::max(from, 0); n < static_cast<int>(ws().mobj.mobjs.objects.size()); ++n) objline(n);
}

void MobjView::setObjectSG(int n) {
    if (n < 0 || static_cast<std::size_t>(n) >= ws().mobj.mobjs.objects.size()) return;
    quietSelect_ = true;
    sgObject_->selectRange(n, n, true);
    quietSelect_ = false;
    sgObjectClick();
}

void MobjView::sgObjectClick() {
    const auto range = sgObject_->selectedRange();
    const auto& objects = ws().mobj.mobjs.objects;
    shown_ = range && static_cast<std::size_t>(range->first) < objects.size() ? range->first : -1;
    drawn_.clear();
    showCurrentObject(true);
    if (!selectedCommands().empty()) showLine(0);
}

void MobjView::showCurrentObject(bool report) {
    const auto o = selectedObject();
    if (!o) {
        shown_ = -1;
        drawn_.clear();
        sgCommands_->resetGrid();
        composer_->clearCommand();
        bbSaveCommands_->setEnabled(false);
        emit objectShown(-1, false);
        return;
    }
    const Tmobject& object = ws().mobj.mobjs.objects[*o];
    // The boxes list the clear value first.
    cbResume_->setCurrentIndex(mobjFlag(object, MobjFlag::Resume) ? 1 : 0);
    cbMenuCall_->setCurrentIndex(mobjFlag(object, MobjFlag::MenuCall) ? 1 : 0);
    cbTitleSearch_->setCurrentIndex(mobjFlag(object, MobjFlag::TitleSearch) ? 1 : 0);

    const TCommands& list = object.commands;
    const bool has = !list.empty();
    if (has && report) {
        log_.slog("Building commands...", 0);
        const std::size_t count = list.size();
        sgCommands_->showCommands(list, [&](std::size_t i) {
            if (i % 128 == 0) log_.slog(std::to_string(i + 1) + "/" + std::to_string(count), 1);
        });
        drawn_ = list;
    } else {
        drawCommands(list);
    }
    if (has) sgCommands_->setEnabled(true);
    bbSaveCommands_->setEnabled(has);
    emit objectShown(shown_, has);
    if (report)
        log_.slogR();
    else
        sgCommandsClick();
}

void MobjView::drawCommands(const TCommands& list) {
    if (list.empty()) {
        sgCommands_->resetGrid();
        composer_->clearCommand();
    } else if (list.size() != drawn_.size()) {
        sgCommands_->showCommands(list);
    } else {
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] != drawn_[i]) sgCommands_->drawCommand(list[i], i);
    }
    drawn_ = list;
}

void MobjView::showLine(int n) {
    if (n < 0 || n >= sgCommands_->dataRows()) return;
    sgCommands_->selectLine(n);
    sgCommandsClick();
}

void MobjView::sgCommandsClick() {
    const TCommands& list = selectedCommands();
    const auto lines = sgCommands_->selectedLines();
    const int line = sgCommands_->currentRow();
    const int shownLine = line >= 0 ? line : lines ? lines->first : -1;
    if (shownLine < 0 || shownLine > 65535 || static_cast<std::size_t>(shownLine) >= list.size()) {
        composer_->clearCommand();
    } else {
        composer_->showCommand(list[static_cast<std::size_t>(shownLine)]);
    }
    sgCommands_->setToolTip(composer_->gridHint());
}

void MobjView::storeComposed(const TCommand& c) {
    const auto o = selectedObject();
    const int line = sgCommands_->currentRow();
    if (!o || line < 0 || static_cast<std::size_t>(line) >= selectedCommands().size()) return;
    const auto at = static_cast<std::size_t>(line);
    // Every change of one command's boxes is one step: typing through the words merges.
    doc_.apply(Document::Part::MovieObjects, QStringLiteral("Edit command"),
               [&](Workspace& ws) { return setObjectCommand(ws.mobj, *o, at, c); },
               QStringLiteral("mobj/%1/command/%2").arg(*o).arg(at));
    composer_->showCommand(selectedCommands()[at]);
    sgCommands_->setToolTip(composer_->gridHint());
}

void MobjView::setFlag(MobjFlag flag, int index) {
    const auto o = selectedObject();
    if (!o || index < 0) return;
    static const char* const names[] = {"resume", "menu call", "title search"};
    const auto f = static_cast<int>(flag);
    doc_.apply(Document::Part::MovieObjects, QStringLiteral("Change %1").arg(QLatin1String(names[f])),
               [&](Workspace& ws) {
                   setMobjFlag(ws.mobj.mobjs.objects[*o], flag, index == 1);
                   return true;
               },
               QStringLiteral("mobj/%1/flag/%2").arg(*o).arg(f));
}

void MobjView::cbResumeChange(int index) { setFlag(MobjFlag::Resume, index); }
void MobjView::cbMenuCallChange(int index) { setFlag(MobjFlag::MenuCall, index); }
void MobjView::cbTitleSearchChange(int index) { setFlag(MobjFlag::TitleSearch, index); }

void MobjView::bbObinsClick() {
    if (!ws().mobjLoaded) return;
    const auto& objects = ws().mobj.mobjs.objects;
    const auto range = sgObject_->selectedRange();
    // The new object goes after the last selected one.
    const std::size_t pos = objects.empty() ? 0 : range ? static_cast<std::size_t>(range->second) + 1 : objects.size();
    const auto inserted =
        doc_.applyPlacing(Document::Part::MovieObjects | Document::Part::Index, QStringLiteral("Insert movie object"),
                          [&](Workspace& ws) { return insertMovieObject(ws.mobj, ws.index, pos); });
    if (!inserted) {
        log_.erslog("No room for another movie object.");
        return;
    }
    quietSelect_ = true;
    sgObject_->selectRange(static_cast<int>(*inserted), static_cast<int>(*inserted));
    quietSelect_ = false;
    sgObjectClick();
}

void MobjView::bbObdelClick() {
    if (!ws().mobjLoaded || ws().mobj.mobjs.objects.empty()) return;
    const auto range = sgObject_->selectedRange();
    if (!range) return;
    const auto result = doc_.applyPlacing(
        Document::Part::MovieObjects | Document::Part::Index, QStringLiteral("Delete movie objects"),
        [&](Workspace& ws) {
            return deleteMovieObjects(ws.mobj, ws.index, static_cast<std::size_t>(range->first),
                                      static_cast<std::size_t>(range->second));
        });
    if (!result) return;
    if (!ws().mobj.mobjs.objects.empty()) {
        quietSelect_ = true;
        sgObject_->selectRange(static_cast<int>(result->select), static_cast<int>(result->select));
        quietSelect_ = false;
    }
    sgObjectClick();
    logInvalidReferences(log_, result->invalidTitles);
}

void MobjView::sgCommandsDblClick() {
    const TCommands& list = selectedCommands();
    const int line = sgCommands_->currentRow();
    if (line < 0 || static_cast<std::size_t>(line) >= list.size()) return;
    const FollowTarget t = followCommand(list, static_cast<std::size_t>(line), false);
    switch (t.kind) {
        case FollowTarget::Kind::Line:
            if (t.line < list.size()) showLine(static_cast<int>(t.line));
            break;
        case FollowTarget::Kind::Title:
            emit followTitle(t.title ? static_cast<int>(*t.title) : -1);
            break;
        case FollowTarget::Kind::Playlist:
            emit followPlaylist(QString::fromStdString(t.playlist), t.playItem ? static_cast<int>(*t.playItem) : -1);
            break;
        case FollowTarget::Kind::ButtonPage:
        case FollowTarget::Kind::None:
            break;
    }
}

void MobjView::bbSaveCommandsClick() {
    const auto o = selectedObject();
    if (!o || selectedCommands().empty()) return;
    const int option = programFormat ? programFormat() : 0;
    const auto format = option == 1 ? ProgramFormat::Binary : ProgramFormat::List;
    const QStringList filters = {QStringLiteral("List (*.lst)"), QStringLiteral("Binary (*.bin)")};
    QString selected = filters[format == ProgramFormat::Binary ? 1 : 0];
    const QString name = QString::fromStdString(programListFileName(*o, format));
    // The output folder when it is set, else the folder used last, else the
    // disc's folder (the one that holds BDMV): never the process's working folder.
    QString folder = outputFolder ? outputFolder() : QString();
    if (folder.isEmpty()) folder = lastListFolder_;
    if (folder.isEmpty() && !ws().folder.empty()) {
        QDir disc(QString::fromStdString(ws().folder));
        folder = disc.cdUp() ? disc.absolutePath() : QString::fromStdString(ws().folder);
    }
    const QString start = folder.isEmpty() ? name : QDir(folder).filePath(name);
    QString path = saveFileChooser ? saveFileChooser(QStringLiteral("Save program list"), start, filters, &selected)
                                   : QString();
    if (path.isEmpty()) return;
    const auto chosen = selected == filters[1] ? ProgramFormat::Binary : ProgramFormat::List;
    if (QFileInfo(path).suffix().isEmpty()) path += chosen == ProgramFormat::Binary ? ".bin" : ".lst";
    lastListFolder_ = QFileInfo(path).absolutePath();
    try {
        saveProgramList(path.toStdString(), selectedCommands(), chosen);
        log_.dlog(QFileInfo(path).fileName().toStdString() + " saved.");
    } catch (const std::exception& e) {
        log_.erlog(errorText(e));
    }
}

}  // namespace navora::ui

#include "ui/shell/extdat.h"

#include "core/errors.h"
#include "core/fileio.h"
#include "ui/widgets/widgets.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <exception>

namespace navora::ui {

namespace {

const QString kExdFilter = QStringLiteral("ExtensionData (*.exd)");

QString chooseWithDialog(QWidget* parent, bool save, const QString& title, const QString& start,
                         const QString& filter) {
    QFileDialog dialog(parent, title, start, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // A name typed without extension is saved as .exd, the kind Load lists.
    if (save) dialog.setDefaultSuffix(QStringLiteral("exd"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

// The data view's colours: blue addresses and red characters, lighter on a dark base.
QColor runColour(DumpRunKind kind, const QPalette& palette) {
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    switch (kind) {
        case DumpRunKind::Address: return dark ? QColor(0x7A, 0xB4, 0xFF) : QColor(0, 0, 255);
        case DumpRunKind::Chars: return dark ? QColor(0xFF, 0x7A, 0x7A) : QColor(255, 0, 0);
        case DumpRunKind::Note: return palette.color(QPalette::PlaceholderText);
        case DumpRunKind::Hex: break;
    }
    return palette.color(QPalette::Text);
}

enum Column { ColNumber = 0, ColID1, ColID2, ColStart, ColLength };

}  // namespace

QString extDatTitle(const QString& file) { return file + QStringLiteral(" ExtensionData edit"); }

TfExtDat::TfExtDat(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfExtDat"));
    setModal(true);
    openFileChooser = [this](const QString& title, const QString& start, const QString& filter) {
        return chooseWithDialog(this, false, title, start, filter);
    };
    saveFileChooser = [this](const QString& title, const QString& start, const QString& filter) {
        return chooseWithDialog(this, true, title, start, filter);
    };
    errorMessage = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };

    // "ExtensionData": the summary and the buttons.
    auto* gBlock = new QGroupBox(QStringLiteral("ExtensionData"), this);
    lExtDatprop_ = new QLabel(QStringLiteral("None"), gBlock);
    lExtDatprop_->setObjectName(QStringLiteral("lExtDatprop"));
    lExtDatprop_->setMinimumWidth(lExtDatprop_->fontMetrics().horizontalAdvance(QStringLiteral("00000000 bytes, 000 entries")));
    auto button = [gBlock](const QString& caption, const char* name, const QString& hint) {
        auto* b = new QPushButton(caption, gBlock);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    bbDelExtDat_ = button(QStringLiteral("Delete"), "bbDelExtDat", QStringLiteral("Delete"));
    bbLoadExtDat_ = button(QStringLiteral("Load ExtensionData()"), "bbLoadExtDat",
                           QStringLiteral("Replace the block by the one of an .exd file"));
    bbSaveExtDat_ = button(QStringLiteral("Save ExtensionData()"), "bbSaveExtDat",
                           QStringLiteral("Save the block as an .exd file"));
    bOK_ = button(QStringLiteral("OK"), "bOK", QStringLiteral("Use this block"));
    bCancel_ = button(QStringLiteral("Cancel"), "bCancel", QStringLiteral("Leave the file's block as it was"));
    auto* top = new QHBoxLayout(gBlock);
    top->addWidget(lExtDatprop_, 1);
    top->addWidget(bbDelExtDat_);
    top->addWidget(bbLoadExtDat_);
    top->addWidget(bbSaveExtDat_);
    top->addSpacing(12);
    top->addWidget(bOK_);
    top->addWidget(bCancel_);

    // "Entries": ID1 takes typed text, the other columns only show.
    auto* gEntries = new QGroupBox(QStringLiteral("Entries"), this);
    sgExtDatEntry_ = new StringGrid(gEntries);
    sgExtDatEntry_->setObjectName(QStringLiteral("sgExtDatEntry"));
    sgExtDatEntry_->rowNumberText = [](int row) { return QStringLiteral("%1").arg(row, 3, 10, QLatin1Char('0')); };
    sgExtDatEntry_->setTitles({QString(), QStringLiteral("ID1"), QStringLiteral("ID2"), QStringLiteral("start"),
                               QStringLiteral("length")});
    sgExtDatEntry_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed);
    {
        const QFontMetrics fm(sgExtDatEntry_->font());
        sgExtDatEntry_->setColumnWidth(ColNumber, fm.horizontalAdvance(QStringLiteral("0000")) + 10);
        for (int c : {ColID1, ColID2}) sgExtDatEntry_->setColumnWidth(c, fm.horizontalAdvance(QStringLiteral("WWWWW")) + 10);
        sgExtDatEntry_->setColumnWidth(ColStart, fm.horizontalAdvance(QStringLiteral("000000000")) + 14);
        sgExtDatEntry_->horizontalHeader()->setStretchLastSection(true);
        sgExtDatEntry_->setMinimumHeight(sgExtDatEntry_->verticalHeader()->defaultSectionSize() * 5 +
                                         sgExtDatEntry_->horizontalHeader()->sizeHint().height() + 4);
    }
    auto* le = new QVBoxLayout(gEntries);
    le->addWidget(sgExtDatEntry_);

    // "DataBlock": the selected entry's bytes, 32 a line, in a fixed-pitch font.
    auto* gData = new QGroupBox(QStringLiteral("DataBlock"), this);
    reData_ = new QTextEdit(gData);
    reData_->setObjectName(QStringLiteral("reData"));
    reData_->setReadOnly(true);
    reData_->setLineWrapMode(QTextEdit::NoWrap);
    reData_->setUndoRedoEnabled(false);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    reData_->setFont(fixed);
    reData_->document()->setDefaultFont(fixed);
    {
        const QFontMetrics fm(fixed);
        // One line of the dump: blank, address, 32 bytes of three characters, blank, 32 characters.
        reData_->setMinimumWidth(fm.horizontalAdvance(QString(1 + 4 + 96 + 1 + 32 + 2, QLatin1Char('0'))) + 30);
        reData_->setMinimumHeight(fm.lineSpacing() * 12);
    }
    auto* ld = new QVBoxLayout(gData);
    ld->addWidget(reData_);

    auto* l = new QVBoxLayout(this);
    l->addWidget(gBlock);
    l->addWidget(gEntries);
    l->addWidget(gData, 1);

    connect(bbDelExtDat_, &QPushButton::clicked, this, &TfExtDat::bbDelExtDatClick);
    connect(bbLoadExtDat_, &QPushButton::clicked, this, &TfExtDat::bbLoadExtDatClick);
    connect(bbSaveExtDat_, &QPushButton::clicked, this, &TfExtDat::bbSaveExtDatClick);
    connect(bOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(bCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(sgExtDatEntry_, &StringGrid::choiceChanged, this, [this] {
        const auto range = sgExtDatEntry_->selectedRange();
        const int row = range ? range->first : -1;
        if (row != shownEntry_) showEntry(row);
    });
    connect(sgExtDatEntry_, &QTableWidget::cellChanged, this, &TfExtDat::entryEdited);
    refresh();
}

std::optional<TExtensionData> TfExtDat::edit(const QString& title, const TExtensionData& block) {
    setWindowTitle(title);
    work_ = block;
    refresh();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return work_;
}

void TfExtDat::refresh() {
    filling_ = true;
    sgExtDatEntry_->resetGrid();
    reData_->clear();
    shownEntry_ = -1;
    const bool present = work_.length != 0;
    sgExtDatEntry_->setEnabled(present);
    bbSaveExtDat_->setEnabled(present);
    bbDelExtDat_->setEnabled(present);
    lExtDatprop_->setText(QString::fromStdString(extDatProp(work_)));
    const std::vector<ExtDataEntryRow> rows = extDataEntryRows(work_);
    sgExtDatEntry_->setDataRows(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ExtDataEntryRow& row = rows[static_cast<std::size_t>(r)];
        sgExtDatEntry_->setCell(r, ColID1, QString::fromStdString(row.id1));
        sgExtDatEntry_->setCell(r, ColID2, QString::fromStdString(row.id2));
        sgExtDatEntry_->setCell(r, ColStart, QString::fromStdString(row.start));
        sgExtDatEntry_->setCell(r, ColLength, QString::fromStdString(row.length));
        QTableWidgetItem* id1 = sgExtDatEntry_->item(r, ColID1);
        id1->setFlags(id1->flags() | Qt::ItemIsEditable);
    }
    filling_ = false;
    if (!rows.empty()) sgExtDatEntry_->selectRange(0, 0);
    showEntry(rows.empty() ? -1 : 0);
}

void TfExtDat::showEntry(int row) {
    shownEntry_ = row;
    reData_->clear();
    if (row < 0) return;
    const std::vector<DumpLine> lines = extDataDump(work_, static_cast<std::size_t>(row));
    QTextCursor cursor(reData_->document());
    cursor.beginEditBlock();
    const QPalette pal = reData_->palette();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DumpLine& line = lines[i];
        const QString text = QString::fromStdString(line.text);
        if (i > 0) cursor.insertBlock();
        // Runs count characters; every character of the dump is one UTF-16 unit.
        qsizetype at = 0;
        for (const DumpRun& run : line.runs) {
            const auto begin = static_cast<qsizetype>(run.begin);
            const auto end = std::min(static_cast<qsizetype>(run.end), text.size());
            QTextCharFormat plain;
            plain.setForeground(pal.color(QPalette::Text));
            if (begin > at) cursor.insertText(text.mid(at, begin - at), plain);
            QTextCharFormat f;
            f.setForeground(runColour(run.kind, pal));
            if (end > begin) cursor.insertText(text.mid(begin, end - begin), f);
            at = std::max(at, end);
        }
        if (at < text.size()) cursor.insertText(text.mid(at));
    }
    cursor.endEditBlock();
    reData_->moveCursor(QTextCursor::Start);
}

void TfExtDat::entryEdited(int row, int column) {
    if (filling_ || column != ColID1) return;
    if (!setExtDataEntryID1(work_, static_cast<std::size_t>(row), sgExtDatEntry_->cell(row, column).toStdString()))
        return;
    // The cell shows what was stored: four hexadecimal digits.
    filling_ = true;
    sgExtDatEntry_->setCell(row, column, QString::fromStdString(extDataEntryRows(work_)[static_cast<std::size_t>(row)].id1));
    filling_ = false;
}

QString TfExtDat::startFolder() const {
    const QString folder = workFolder ? workFolder() : QString();
    return folder.isEmpty() ? QString() : folder;
}

void TfExtDat::bbDelExtDatClick() {
    work_ = TExtensionData{};
    refresh();
}

void TfExtDat::bbLoadExtDatClick() {
    const QString path =
        openFileChooser ? openFileChooser(QStringLiteral("Load ExtensionData()"), startFolder(), kExdFilter) : QString();
    if (path.isEmpty()) return;
    try {
        const std::string name = path.toStdString();
        work_ = readExd(readDatabaseFile(name), name);
    } catch (const std::exception& e) {
        // The working copy keeps what it held.
        if (errorMessage) errorMessage(QString::fromStdString(e.what()));
        return;
    }
    refresh();
}

void TfExtDat::bbSaveExtDatClick() {
    QString path =
        saveFileChooser ? saveFileChooser(QStringLiteral("Save ExtensionData()"), startFolder(), kExdFilter) : QString();
    if (path.isEmpty()) return;
    try {
        saveAtomic(path.toStdString(), writeExd(work_));
    } catch (const std::exception& e) {
        if (errorMessage) errorMessage(QString::fromStdString(e.what()));
    }
}

bool editExtensionData(TfExtDat& dialog, Document& doc, Document::Parts parts, const QString& title,
                       const TExtensionData& current, const std::function<void(Workspace&, TExtensionData)>& store) {
    std::optional<TExtensionData> edited = dialog.edit(title, current);
    if (!edited) return false;
    return doc.apply(parts, QStringLiteral("Edit ExtensionData"), [&](Workspace& ws) {
        store(ws, std::move(*edited));
        return true;
    });
}

}  // namespace navora::ui

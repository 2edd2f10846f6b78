#include "uitests.h"

#include "core/log.h"
#include "ui/shell/abouttab.h"
#include "ui/shell/qtlogview.h"
#include "ui/widgets/widgets.h"

#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWheelEvent>

#include <memory>

using namespace navora;
using namespace navora::ui;

namespace {

// Counts beeps while alive.
struct BeepCounter {
    int beeps = 0;
    std::function<void()> saved = beepHandler();
    BeepCounter() {
        beepHandler() = [this] { ++beeps; };
    }
    ~BeepCounter() { beepHandler() = saved; }
};

std::unique_ptr<QLineEdit> makeEdit(const QString& kind) {
    if (kind == "hex4") return std::make_unique<THexEdit>(4);
    if (kind == "int") return std::make_unique<TIntEdit>();
    if (kind == "num-hex") return std::make_unique<TumNumberEdit>(TumNumberEdit::Kind::Hexadecimal);
    if (kind == "num-bin") return std::make_unique<TumNumberEdit>(TumNumberEdit::Kind::Binary);
    auto dec = std::make_unique<TumNumberEdit>(TumNumberEdit::Kind::Decimal);
    if (kind == "num-1919") dec->setMaximum(1919);
    return dec;
}

// The format of the first character of the first occurrence of text.
QTextCharFormat formatOf(QTextDocument* doc, const QString& text) {
    QTextCursor c = doc->find(text, 0, QTextDocument::FindCaseSensitively);
    if (c.isNull()) return {};
    QTextCursor at(doc);
    at.setPosition(c.selectionStart() + 1);
    return at.charFormat();
}

}  // namespace

void WidgetsTest::typedKeys_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::newRow("hex field refuses g with a beep") << "hex4" << "1g" << "1" << 1;
    QTest::newRow("hex field takes both cases") << "hex4" << "aF" << "aF" << 0;
    QTest::newRow("hex field stops at its digits") << "hex4" << "12345" << "1234" << 0;
    QTest::newRow("integer field refuses letters") << "int" << "-12x" << "-12" << 1;
    QTest::newRow("hex number field ignores g silently") << "num-hex" << "1g" << "1" << 0;
    QTest::newRow("binary number field ignores 2") << "num-bin" << "102" << "10" << 0;
    QTest::newRow("maximum 1919 refuses 2000") << "num-1919" << "2000" << "200" << 0;
    QTest::newRow("maximum 1919 takes 1919") << "num-1919" << "1919" << "1919" << 0;
}

void WidgetsTest::typedKeys() {
    QFETCH(QString, kind);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    BeepCounter counter;
    auto edit = makeEdit(kind);
    edit->clear();
    QTest::keyClicks(edit.get(), typed);
    QCOMPARE(edit->text(), text);
    QCOMPARE(counter.beeps, beeps);
}

void WidgetsTest::numberEditUndoKeepsCaret() {
    TumNumberEdit edit;
    edit.setMaximum(1919);
    edit.setText("191");
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_9);  // 9191 is too large
    QCOMPARE(edit.text(), QString("191"));
    QCOMPARE(edit.cursorPosition(), 0);
    // Text set from code obeys the maximum too.
    edit.setText("5000");
    QCOMPARE(edit.text(), QString("191"));
    QCOMPARE(edit.value(), 191u);
}

void WidgetsTest::hexEditPadsToItsDigits() {
    THexEdit edit(4);
    QCOMPARE(edit.text(), QString("0000"));
    edit.setValue(0x41);
    QCOMPARE(edit.text(), QString("0041"));
    edit.setValue(0x12345);  // wider than the field: the low digits stay
    QCOMPARE(edit.text(), QString("2345"));
    QCOMPARE(edit.value(), 0x2345u);
}

void WidgetsTest::stringGridRowsAndPainter() {
    StringGrid grid;
    grid.setTitles({"No.", "resume", "commands"});
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.cell(0, 0), QString());
    grid.setDataRows(3);
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.cell(2, 0), QString("2"));
    grid.setCell(1, 2, "5");
    QVERIFY(!(grid.item(1, 2)->flags() & Qt::ItemIsEditable));
    QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);

    int painted = 0;
    grid.cellPainter = [&](QPainter* p, const QStyleOptionViewItem& o, int, int column) {
        if (column != 2) return false;
        ++painted;
        p->fillRect(o.rect, Qt::magenta);
        return true;
    };
    grid.resize(300, 150);
    const QImage img = grid.grab().toImage();
    QVERIFY(painted >= 3);
    const QRect cell = grid.visualItemRect(grid.item(1, 2)).translated(grid.viewport()->pos());
    QCOMPARE(img.pixelColor(cell.center()), QColor(Qt::magenta));

    grid.resetGrid();
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.dataRows(), 0);
    QCOMPARE(grid.cell(0, 0), QString());
}

void WidgetsTest::historyWheelScrollsLines() {
    HistoryView view;
    QString html;
    for (int i = 0; i < 200; ++i) html += QString("<p>line %1</p>").arg(i);
    view.setHtml(html);
    view.resize(300, 200);
    view.show();
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(0);
    const int line = view.fontMetrics().lineSpacing();
    const QPointF at(50, 50);
    // One notch (120 units) towards the user: two lines down.
    QWheelEvent down(at, view.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &down);
    QCOMPARE(bar->value(), 2 * line);
    // 30 units away from the user move nothing until they add up to 60.
    QWheelEvent small(at, view.mapToGlobal(at), QPoint(), QPoint(0, 30), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &small);
    QCOMPARE(bar->value(), 2 * line);
    QApplication::sendEvent(view.viewport(), &small);
    QCOMPARE(bar->value(), line);
}

void WidgetsTest::logRendersMarkupRuns() {
    Log log;
    QTextEdit edit;
    StatusBar bar;
    QtLogView view(log, &edit, &bar, nullptr, nullptr, nullptr);
    QTextDocument* doc = edit.document();
    const QColor windowText = edit.palette().color(QPalette::WindowText);

    // A non-ASCII name before later runs: positions must count characters, not bytes.
    log.log("Reading [bl]f\xc3\xafl\xc3\xa9.bdmv[/bl] [q]odd[/q] [c:0000ff]red[/c:0000ff] [s2]big[/s2] "
            "[b]bold[/b] end");
    QCOMPARE(doc->firstBlock().text(), QString::fromUtf8("Reading f\xc3\xafl\xc3\xa9.bdmv odd red big bold end"));

    const QTextCharFormat reading = formatOf(doc, "Reading");
    QVERIFY(!reading.hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(reading.fontWeight(), int(QFont::Normal));
    QCOMPARE(formatOf(doc, QString::fromUtf8("f\xc3\xafl")).foreground().color(), QColor(0, 0, 255));
    QCOMPARE(formatOf(doc, ".bdmv").foreground().color(), QColor(0, 0, 255));
    QVERIFY(!formatOf(doc, " odd").hasProperty(QTextFormat::ForegroundBrush));
    const QTextCharFormat odd = formatOf(doc, "odd");
    QCOMPARE(odd.foreground().color(), windowText);
    QCOMPARE(odd.fontPointSize(), 8.0);
    QCOMPARE(odd.fontWeight(), int(QFont::Normal));
    QCOMPARE(formatOf(doc, "red").foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOf(doc, "big").fontPointSize(), 12.0);
    QCOMPARE(formatOf(doc, "bold").fontWeight(), int(QFont::Bold));
    QCOMPARE(formatOf(doc, " end").fontWeight(), int(QFont::Normal));

    log.erlog("word");
    QTextBlock last = doc->lastBlock();
    QCOMPARE(last.text(), QString("ERROR: word"));
    QCOMPARE(formatOf(doc, "ERROR:").foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOf(doc, "word").fontWeight(), int(QFont::Bold));

    log.log2("two");
    QCOMPARE(doc->blockCount(), 4);
    QCOMPARE(doc->lastBlock().text(), QString());
    QCOMPARE(edit.textCursor().position(), doc->characterCount() - 1);  // caret at the end

    view.clear();
    log.log("after clear");
    QCOMPARE(doc->blockCount(), 1);
    QCOMPARE(doc->firstBlock().text(), QString("after clear"));
}

void WidgetsTest::statusBarErrorIndicator() {
    Log log;
    StatusBar bar;
    QtLogView view(log, nullptr, &bar, nullptr, nullptr, nullptr);
    BeepCounter beeps;
    bar.resize(1000, bar.sizeHint().height());
    QCOMPARE(bar.panelWidth(0), 100);
    QCOMPARE(bar.panelWidth(1), 850);

    log.erlog("Cannot create backup file.");
    QVERIFY(bar.errorShown());
    QVERIFY(bar.font().bold());
    QCOMPARE(bar.panelWidth(0), 55);
    QCOMPARE(bar.panelText(1), QString(" Cannot create backup file."));
    QCOMPARE(bar.toolTip(), QString("Cannot create backup file."));
    QCOMPARE(beeps.beeps, 1);

    // Red panel with yellow "ERROR" drawn from 10 px right and 5 px down of its corner.
    const QImage img = bar.grab().toImage();
    const QRect p0 = bar.panelRect(0);
    QCOMPARE(img.pixelColor(p0.left() + 2, p0.top() + 2), QColor(255, 0, 0));
    int yellow = 0;
    for (int y = p0.top(); y <= p0.bottom(); ++y)
        for (int x = p0.left(); x <= p0.right(); ++x)
            if (img.pixelColor(x, y) == QColor(255, 255, 0)) {
                ++yellow;
                QVERIFY(x >= p0.left() + 10 && y >= p0.top() + 5);
            }
    QVERIFY(yellow > 10);

    log.slog("abc", 1);
    QVERIFY(!bar.errorShown());
    QVERIFY(!bar.font().bold());
    QCOMPARE(bar.panelText(1), QString(" abc "));
    QCOMPARE(bar.panelWidth(1), QFontMetrics(bar.font()).horizontalAdvance(" abc m"));
    QCOMPARE(bar.toolTip(), QString("abc"));
    log.slog("Reading playlists", 0);
    QCOMPARE(bar.panelWidth(0), QFontMetrics(bar.font()).horizontalAdvance(" Reading playlists m"));
    QCOMPARE(bar.toolTip(), QString("abc"));  // panel 0 leaves the tooltip alone
}

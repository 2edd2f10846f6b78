#pragma once
// The window's surfaces of the message log: the rich-text log on the Status
// tab, the two-panel status bar with its error indicator, and the progress
// bar with Cancel.

#include "core/log.h"

#include <QObject>
#include <QString>
#include <QTextCharFormat>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QProgressBar;
class QTextEdit;

namespace navora::ui {

// Two text panels; panel 0 can show the red "ERROR" indicator instead.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanel0Width = 100;
    static constexpr int kPanel1Width = 850;
    static constexpr int kErrorWidth = 55;

    explicit StatusBar(QWidget* parent = nullptr);

    // Sets a panel's text (as shown, blanks included) and sizes the panel to
    // that text plus "m"; panel 1 also sets the tooltip to plain. Removes the
    // error indicator and the bold font. Repaints at once.
    void setPanel(int panel, const QString& display, const QString& plain);
    // Shows the indicator in a narrowed panel 0 and " " + plain in panel 1, bold.
    void showError(const QString& plain);

    bool errorShown() const { return error_; }
    QString panelText(int panel) const { return text_[panel & 1]; }
    int panelWidth(int panel) const { return width_[panel & 1]; }
    // The area of a panel in the bar's coordinates; panel 1 reaches at least the right edge.
    QRect panelRect(int panel) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A click on the bar: the window shows the Status tab, where the whole log is.
    void clicked();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void setBold(bool bold);

    QString text_[2];
    int width_[2] = {kPanel0Width, kPanel1Width};
    bool error_ = false;
};

// Renders a navora::Log into the window. Installs itself as the log's view
// and removes itself when destroyed; dialogParent (which owns it when set)
// is the parent of the Cancel confirmation.
class QtLogView : public QObject, public LogView {
    Q_OBJECT
public:
    QtLogView(Log& log, QTextEdit* messages, StatusBar* statusBar, QProgressBar* progress, QAbstractButton* cancel,
              QWidget* dialogParent);
    ~QtLogView() override;

    void appendLine(const MarkedLine& line) override;
    void setPanel(int panel, const std::string& display, const std::string& plain) override;
    void showError(const std::string& plain) override;
    void beep() override;
    void processEvents() override;
    void sleepOneMs() override;
    void progressShown(bool shown) override;
    void progressPosition(int percent) override;
    bool confirm(const std::string& question) override;

    // Empties the message log ("Clear").
    void clear();

    // The character format of a run: regular unless the style says otherwise;
    // default colour and size unless it names them. A named colour keeps its
    // contrast against the log's background (ui/colours.h).
    static QTextCharFormat formatOf(const TextStyle& style, const QColor& windowText,
                                    const QColor& background = Qt::white);

    // Called after the progress bar is shown or hidden, so the window can
    // hide the panels the bar takes the place of.
    std::function<void(bool shown)> onProgressShown;
    // Answers confirm() instead of the Yes/No dialog when set (tests answer
    // the Cancel button's "Are you sure to stop?" this way).
    std::function<bool(const QString& question)> question;

private:
    Log& log_;
    QTextEdit* messages_;
    StatusBar* statusBar_;
    QProgressBar* progress_;
    QAbstractButton* cancel_;
    QWidget* dialogParent_;
    int lines_ = 0;
};

}  // namespace navora::ui

#pragma once
// The dialogs of the Menu tab in one place, so that tests answer them
// without showing any: open and save file dialogs, the colour dialog, and
// the working folder they start in.

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace navora::ui {

struct MenuDialogs {
    // (title, start folder or path, filters) -> the chosen file; empty when cancelled.
    std::function<QString(const QString& title, const QString& start, const QStringList& filters)> openFile;
    // (title, start path with the proposed name, filters, selected filter in/out)
    // -> the chosen file, with the selected filter's extension when none was
    // typed; empty when cancelled.
    std::function<QString(const QString& title, const QString& start, const QStringList& filters,
                          QString* selected)>
        saveFile;
    // (title, current colour with alpha) -> the chosen colour; invalid when cancelled.
    std::function<QColor(const QString& title, const QColor& current)> colour;
    // (title, question) -> whether the user answered Yes.
    std::function<bool(const QString& title, const QString& question)> confirm;
    // The working folder ("Output folder"); empty when none is set.
    std::function<QString()> workFolder;

    // The platform's dialogs, parented to parent.
    static MenuDialogs standard(QWidget* parent);
    // start: the working folder joined with name, or name alone.
    QString startPath(const QString& name) const;
};

// The extension of a filter such as "Menu (*.mnu)": "mnu"; empty when it names none.
QString filterExtension(const QString& filter);

}  // namespace navora::ui

#include "ui/menu/menudialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace navora::ui {

QString filterExtension(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

MenuDialogs MenuDialogs::standard(QWidget* parent) {
    MenuDialogs d;
    d.openFile = [parent](const QString& title, const QString& start, const QStringList& filters) {
        return QFileDialog::getOpenFileName(parent, title, start, filters.join(QStringLiteral(";;")));
    };
    d.saveFile = [parent](const QString& title, const QString& start, const QStringList& filters,
                          QString* selected) {
        QFileDialog dialog(parent, title, start);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(filters);
        if (selected && !selected->isEmpty()) dialog.selectNameFilter(*selected);
        dialog.setDefaultSuffix(filterExtension(dialog.selectedNameFilter()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& f) { dialog.setDefaultSuffix(filterExtension(f)); });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        if (selected) *selected = dialog.selectedNameFilter();
        return dialog.selectedFiles().front();
    };
    d.colour = [parent](const QString& title, const QColor& current) {
        return QColorDialog::getColor(current, parent, title, QColorDialog::ShowAlphaChannel);
    };
    d.confirm = [parent](const QString& title, const QString& question) {
        return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
               QMessageBox::Yes;
    };
    return d;
}

QString MenuDialogs::startPath(const QString& name) const {
    const QString folder = workFolder ? workFolder() : QString();
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

}  // namespace navora::ui

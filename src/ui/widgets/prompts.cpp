#include "ui/widgets/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace navora::ui {

SaveAnswer askSaveChanges(QWidget* parent, const QString& disc) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    QStringLiteral("Save changes to %1?").arg(disc),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("saveChangesBox"));
    box.setInformativeText(QStringLiteral("The edits that were not saved are lost if you discard them."));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save: return SaveAnswer::Save;
        case QMessageBox::Discard: return SaveAnswer::Discard;
        default: return SaveAnswer::Cancel;
    }
}

bool askSaveCutFile(QWidget* parent, const QString& file, const QString& note) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    QStringLiteral("%1 was read only in part: it %2.").arg(file, note),
                    QMessageBox::Save | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("cutFileBox"));
    box.setInformativeText(QStringLiteral("Saving writes only what was read: the cut part of %1 is dropped from "
                                          "the file for good. Save anyway?")
                               .arg(file));
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Save;
}

QString chooseFolderWithDialog(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start);
}

}  // namespace navora::ui

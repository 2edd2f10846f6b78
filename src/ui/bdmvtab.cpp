#include "ui/bdmvtab.h"

#include "core/filenames.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace navora::ui {

QString chooseFolderWithDialog(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start);
}

BdmvTab::BdmvTab(QWidget* parent) : QWidget(parent) {
    folderChooser = [this](const QString& title, const QString& start) {
        return chooseFolderWithDialog(this, title, start);
    };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("BDMV folder:"), this);
    eBDMVdir_ = new QLineEdit(this);
    eBDMVdir_->setObjectName(QStringLiteral("eBDMVdir"));
    label->setBuddy(eBDMVdir_);
    bbOpenDir_ = new QToolButton(this);
    bbOpenDir_->setObjectName(QStringLiteral("bbOpenDir"));
    bbOpenDir_->setText(QStringLiteral("..."));
    bbOpenDir_->setToolTip(QStringLiteral("Select a directory"));
    bReadBDMV_ = new QPushButton(QStringLiteral("&Read"), this);
    bReadBDMV_->setObjectName(QStringLiteral("bReadBDMV"));
    row->addWidget(label);
    row->addWidget(eBDMVdir_, 1);
    row->addWidget(bbOpenDir_);
    row->addWidget(bReadBDMV_);
    outer->addLayout(row);

    auto makeGroup = [this](const QString& title, QVBoxLayout** layout) {
        auto* g = new QGroupBox(title, this);
        *layout = new QVBoxLayout(g);
        (*layout)->setContentsMargins(4, 4, 4, 4);
        return g;
    };
    gMovieObject_ = makeGroup(QStringLiteral("MovieObject.bdmv"), &lMovieObject_);
    gSound_ = makeGroup(QStringLiteral("sound.bdmv"), &lSound_);
    gIndex_ = makeGroup(QStringLiteral("index.bdmv"), &lIndex_);
    gSound_->hide();

    // The movie objects with their commands take a little more than half of
    // the width, whatever the views inside would ask for.
    auto* groups = new QHBoxLayout;
    auto* left = new QWidget(this);
    auto* ll = new QVBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->addWidget(gMovieObject_);
    auto* rightSide = new QWidget(this);
    auto* right = new QVBoxLayout(rightSide);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(gSound_, 1);
    right->addWidget(gIndex_, 2);
    for (QWidget* w : {left, rightSide}) {
        QSizePolicy p(QSizePolicy::Ignored, QSizePolicy::Preferred);
        p.setHorizontalStretch(w == left ? 21 : 19);
        w->setSizePolicy(p);
    }
    groups->addWidget(left, 21);
    groups->addWidget(rightSide, 19);
    outer->addLayout(groups, 1);

    connect(bReadBDMV_, &QPushButton::clicked, this, &BdmvTab::readRequested);
    connect(bbOpenDir_, &QToolButton::clicked, this, &BdmvTab::bbOpenDirClick);
}

QString BdmvTab::folder() const { return eBDMVdir_->text(); }

void BdmvTab::setFolder(const QString& folder) { eBDMVdir_->setText(folder); }

void BdmvTab::bbOpenDirClick() {
    // Start in the parent of the BDMV folder: the path less "BDMV" and its separator.
    QString start = folder();
    start.chop(5);
    const QString chosen = folderChooser ? folderChooser(QStringLiteral("Select a directory"), start) : QString();
    if (chosen.isEmpty()) return;
    const QString path = QString::fromStdString(chosenFolderToBdmv(chosen.toStdString()));
    setFolder(path);
    emit folderChosen(path);
}

}  // namespace navora::ui

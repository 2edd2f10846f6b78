#pragma once
// Small helpers shared by the views of the playlist tab.

#include "ui/app/document.h"
#include "ui/widgets/widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <QToolButton>

#include <string>
#include <vector>

namespace navora::ui::pl {

inline QString qs(const std::string& s) { return QString::fromStdString(s); }

inline QComboBox* combo(const char* name, const QString& hint, QWidget* parent, int minChars = 4) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setToolTip(hint);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(minChars);
    return c;
}

inline void setItems(QComboBox* box, const QStringList& items) {
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
}

// Shows list entry index (none when out of range) without reporting it as a choice.
inline void setIndex(QComboBox* box, int index) {
    const QSignalBlocker block(box);
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

// Shows text in a field unless the user is typing into it: the field is
// re-shown from the model when it is left.
inline void showText(QLineEdit* e, const QString& text) {
    if (e->hasFocus() && e->isModified()) return;
    if (e->text() == text) return;
    const QSignalBlocker block(e);
    e->setText(text);
    e->setModified(false);
}

inline QLabel* caption(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 0.95);
    l->setFont(f);
    return l;
}

constexpr Document::Part kPart = Document::Part::Playlist;

}  // namespace navora::ui::pl

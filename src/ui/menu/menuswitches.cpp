#include "ui/menu/menuswitches.h"

#include "ui/app/settings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace navora::ui {

namespace {

struct SwitchInfo {
    const char* name;
    const char* caption;
};

constexpr std::array<SwitchInfo, MenuSwitches::kCount> kSwitches = {{
    {"cbButtonId", "Button ID (hex)"},
    {"cbObjectId", "Object ID (hex)"},
    {"cbButtonFrame", "Button frame"},
    {"cbWindowFrame", "Window frame"},
    {"cbInEffect", "Show InEffects"},
    {"cbOutEffect", "Show OutEffects"},
    {"cbFullScreen", "Full screen view"},
    {"cbAnimate", "Animate buttons"},
    {"cbPlaySound", "Play sound"},
}};

QGroupBox* groupBox(const QString& title, const char* name, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    auto* l = new QGridLayout(g);
    l->setContentsMargins(6, 2, 6, 2);
    l->setHorizontalSpacing(8);
    l->setVerticalSpacing(0);
    return g;
}

}  // namespace

MenuSwitches::MenuSwitches(QWidget* parent) : QObject(parent) {
    overlays_ = groupBox(QStringLiteral("Overlays"), "gOverlays", parent);
    effects_ = groupBox(QStringLiteral("Preview"), "gPreview", parent);
    for (int i = 0; i < kCount; ++i) {
        const auto s = static_cast<Switch>(i);
        QGroupBox* g = i <= WindowFrame ? overlays_ : effects_;
        auto* b = new QCheckBox(QString::fromLatin1(kSwitches[i].caption), g);
        b->setObjectName(QLatin1String(kSwitches[i].name));
        const int at = i <= WindowFrame ? i : i - InEffect;
        static_cast<QGridLayout*>(g->layout())->addWidget(b, at / 2, at % 2);
        menu_[i] = b;
        connect(b, &QCheckBox::toggled, this, [this, s](bool checked) { emit switched(s, checked); });
    }
}

PreviewOptions previewColours(const Settings& s) {
    PreviewOptions o;
    o.colBackground = fromWinColour(s.colBackground);
    o.colSelectedButton = fromWinColour(s.colSelectedButton);
    o.colNormalButton = fromWinColour(s.colNormalButton);
    o.colInvalidButton = fromWinColour(s.colInvalidButton);
    o.colWindow = fromWinColour(s.colWindow);
    o.colSelectedFrame = fromWinColour(s.colSelectedFrame);
    o.colNormalFrame = fromWinColour(s.colNormalFrame);
    o.colInvalidFrame = fromWinColour(s.colInvalidFrame);
    o.colObjectBackground = fromWinColour(s.colObjectBackground);
    o.cbPreLoad = s.preLoad;
    return o;
}

bool MenuSwitches::on(Switch s) const { return menu_[s]->isChecked(); }

PreviewOptions MenuSwitches::applied(PreviewOptions o) const {
    o.cbButtonId = on(ButtonId);
    o.cbObjectId = on(ObjectId);
    o.cbButtonFrame = on(ButtonFrame);
    o.cbWindowFrame = on(WindowFrame);
    o.cbInEffect = on(InEffect);
    o.cbOutEffect = on(OutEffect);
    o.cbFullScreen = on(FullScreen);
    o.cbAnimate = on(Animate);
    o.cbPlaySound = on(PlaySound);
    return o;
}

}  // namespace navora::ui

#pragma once
// The overlay and effect switches of the Menu tab. The Menu tab shows two
// groups: the overlays ("Button ID (hex)", "Object ID (hex)", "Button
// frame", "Window frame"), visible on the Effects and Page view sub-tabs,
// and the effects ("Show InEffects", "Show OutEffects", "Full screen view",
// "Animate buttons", "Play sound"), visible on the Page view sub-tab. Each
// switch has a twin on the Options tab (OptionsTab::bindMenuSwitch ties
// them); the twin is the one the settings store loads and stores.

#include "preview/options.h"

#include <QObject>

#include <array>

class QCheckBox;
class QGroupBox;
class QWidget;

namespace navora::ui {

class Settings;

class MenuSwitches : public QObject {
    Q_OBJECT
public:
    enum Switch { ButtonId, ObjectId, ButtonFrame, WindowFrame, InEffect, OutEffect, FullScreen, Animate, PlaySound };
    static constexpr int kCount = 9;

    explicit MenuSwitches(QWidget* parent);

    QGroupBox* overlayGroup() const { return overlays_; }
    QGroupBox* effectGroup() const { return effects_; }
    QCheckBox* box(Switch s) const { return menu_[s]; }

    bool on(Switch s) const;
    // The switches as the renderer's options (the colours and other fields of base kept).
    PreviewOptions applied(PreviewOptions base) const;

signals:
    // A switch changed (by the user or through its twin).
    void switched(navora::ui::MenuSwitches::Switch which, bool on);

private:
    std::array<QCheckBox*, kCount> menu_{};
    QGroupBox* overlays_;
    QGroupBox* effects_;
};

// The colours of the stored settings as the renderer's options (switches at their defaults).
PreviewOptions previewColours(const Settings& s);

}  // namespace navora::ui

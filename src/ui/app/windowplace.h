#pragma once
// The main window's place on the screen: its designed least size, bounded by
// a smaller (or more scaled) screen, and keeping a window that was stored on
// a larger screen on the one it opens on.

#include <QSize>

class QWidget;

namespace navora::ui {

class Settings;

// The designed least size of the window, less where the screen is smaller.
QSize designedMinimumSize(const QWidget& window);
// Shrinks the window to the screen's available area when it is larger, and moves it onto it.
void fitOnScreen(QWidget& window);
// Puts the window where the settings say, at least at its least size.
void applyGeometry(QWidget& window, const Settings& s);
// Takes the window's place, size and state into the settings.
void storeGeometry(const QWidget& window, Settings& s);

}  // namespace navora::ui

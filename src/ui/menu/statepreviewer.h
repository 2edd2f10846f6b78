#pragma once
// The BOGs sub-tab's object view: an object drawn with its page's palette,
// and a double click on a button's state cell, which plays the state's
// objects one after another (a repeating state until Cancel) or the state's
// sound from the disc's sound.bdmv.

#include <QObject>

#include <functional>

namespace navora {
class Log;
class WavePlayer;
}  // namespace navora

namespace navora::ui {

class Document;
class MenuPagesView;
class MenuPreview;

class MenuStatePreviewer : public QObject {
    Q_OBJECT
public:
    MenuStatePreviewer(Document& doc, Log& log, MenuPreview& preview, MenuPagesView& pages, WavePlayer& player,
                       QObject* parent = nullptr);

    // The BOG view shows object of page with the page's palette.
    void showObject(int page, int object);
    // Plays the state (button grid column) of a button.
    void play(int page, int bog, int button, int column);

    // Enables the bottom bar's Cancel while a state preview repeats.
    std::function<void(bool)> cancelEnabled;

private:
    Document& doc_;
    Log& log_;
    MenuPreview& preview_;
    MenuPagesView& pages_;
    WavePlayer& player_;
};

}  // namespace navora::ui

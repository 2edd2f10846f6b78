#pragma once
// What the page renderer and the menu emulator tell the views. Every event
// does nothing by default: the command line and the tests run without views,
// and a view overrides what it shows.

#include "nav/machine.h"
#include "preview/picture.h"

namespace navora {

class PreviewEvents {
public:
    virtual ~PreviewEvents() = default;

    // The page picture changed inside the rectangle; the view repaints it
    // when it next paints.
    virtual void pictureChanged(const PixelRect& /*rect*/) {}
    // A step that waits (an effect, the whole activated sequence) wants its
    // picture on screen before the wait: the view repaints at once.
    virtual void repaintNow() {}
    // The effect view's picture changed.
    virtual void effectViewChanged() {}

    // The page selector shows this page (a page was selected by hand or by a command).
    virtual void pageSelected(int /*page*/) {}
    // The button state table was rebuilt for the page: the button selector
    // lists its slots (0000 .. last) and chooses the first.
    virtual void buttonStatesChanged(int /*page*/) {}
    // The button selector chose this button (its commands are about to run).
    virtual void buttonChosen(int /*id*/) {}
    // The mouse cursor over the page view: the hand over the selected button.
    virtual void cursorChanged(bool /*hand*/) {}
    // A timer was started, stopped or given a new period.
    virtual void timersChanged() {}
    // A button's program ran (or made a traced step): `button` is the button
    // whose list it started with.
    virtual void programRan(int /*button*/, const RunResult& /*result*/) {}
};

}  // namespace navora

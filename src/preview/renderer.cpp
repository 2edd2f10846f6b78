#include "preview/renderer.h"

#include "core/clock.h"
#include "ig/load.h"
#include "sound/sound_edit.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace navora {

RgbaImage builtInBackground(int width, int height, Colour colour) {
    RgbaImage pic = makePicture(width, height, colour);
    // Black over the colour, from clear at the top to 96/255 at the bottom.
    for (int y = 0; y < pic.height; ++y) {
        const unsigned a = pic.height > 1 ? 96u * static_cast<unsigned>(y) / static_cast<unsigned>(pic.height - 1) : 0;
        auto shade = [a](Colour v) { return static_cast<int>((v * (255 - a) + 127) / 255); };
        fillRect(pic, {0, y, pic.width, 1},
                 rgb(shade((colour >> 16) & 0xFF), shade((colour >> 8) & 0xFF), shade(colour & 0xFF)));
    }
    // A faint white frame on the title-safe area (a tenth in from each edge).
    const PixelRect safe{pic.width / 10, pic.height / 10, pic.width - 2 * (pic.width / 10),
                         pic.height - 2 * (pic.height / 10)};
    const Colour white = rgb(255, 255, 255);
    blendRect(pic, {safe.x, safe.y, safe.width, 1}, white, 48);
    blendRect(pic, {safe.x, safe.bottom() - 1, safe.width, 1}, white, 48);
    blendRect(pic, {safe.x, safe.y + 1, 1, safe.height - 2}, white, 48);
    blendRect(pic, {safe.right() - 1, safe.y + 1, 1, safe.height - 2}, white, 48);
    return pic;
}

PageRenderer::PageRenderer(Log& log) : log_(log) {
    backchange();
    clearEffectView();
}

// ---- Inputs ---------------------------------------------------------------------

void PageRenderer::setMenu(const TIGSc* menu) {
    menu_ = menu;
    resize();
}

void PageRenderer::resize() {
    int w = 1920, h = 1080;
    if (menu_ && menu_->video_width > 0 && menu_->video_height > 0 && menu_->video_width <= 3840 &&
        menu_->video_height <= 2160) {
        w = menu_->video_width;
        h = menu_->video_height;
    }
    if (w == width_ && h == height_) return;
    width_ = w;
    height_ = h;
    backchange();
    clearEffectView();
}

void PageRenderer::setOptions(const PreviewOptions& options) {
    const bool background = options.colBackground != options_.colBackground;
    const bool objectBackground = options.colObjectBackground != options_.colObjectBackground;
    options_ = options;
    if (background) backchange();
    if (objectBackground) clearEffectView();
}

// ---- Background ------------------------------------------------------------------

void PageRenderer::setUserBackground(RgbaImage picture, bool overColour) {
    if (!overColour)
        for (std::size_t i = 3; i < picture.rgba.size(); i += 4) picture.rgba[i] = 255;
    user_ = std::move(picture);
    userOverColour_ = overColour;
    backchange();
}

void PageRenderer::clearUserBackground() {
    user_.reset();
    backchange();
}

void PageRenderer::setBuiltInTransparent(bool transparent) {
    builtInTransparent_ = transparent;
    backchange();
}

void PageRenderer::backchange() {
    if (user_ || builtInTransparent_)
        background_ = makePicture(width_, height_, options_.colBackground);
    else
        background_ = builtInBackground(width_, height_, options_.colBackground);
    if (user_) {
        if (userOverColour_)
            blendPicture(background_, *user_, 0, 0);
        else
            copyPicture(background_, *user_, 0, 0);
    }
    page_picture_ = background_;
    changed({0, 0, width_, height_});
}

// ---- The button state table ----------------------------------------------------------

const TPage* PageRenderer::shownPage() const {
    if (!menu_ || page_ < 0 || static_cast<std::size_t>(page_) >= menu_->pages.size()) return nullptr;
    return &menu_->pages[static_cast<std::size_t>(page_)];
}

const TIGbutton* PageRenderer::button(int id) const {
    if (!shownPage() || id < 0 || id > 0xFFFF) return nullptr;
    return buttonById(*menu_, static_cast<std::size_t>(page_), static_cast<std::uint16_t>(id));
}

bool PageRenderer::hasButton(int id) const {
    return id >= 0 && static_cast<std::size_t>(id) < states_.size() && button(id) != nullptr;
}

int PageRenderer::animationPeriodMs() const {
    const TPage* p = shownPage();
    return p ? navora::animationPeriodMs(menu_->frame_rate_id, p->animation_frame_rate_code) : 0;
}

void PageRenderer::SetButtonStates(int page) {
    states_.clear();
    page_ = menu_ && page >= 0 && static_cast<std::size_t>(page) < menu_->pages.size() ? page : -1;
    const TPage* p = shownPage();
    if (!p) return;
    const auto& tables = menu_->page_buttons;
    states_.assign(static_cast<std::size_t>(page_) < tables.size() ? tables[static_cast<std::size_t>(page_)].byId.size() : 0,
                   TButtonState{});
    for (std::size_t j = 0; j < p->BOGs.size(); ++j) {
        const TBOG& bog = p->BOGs[j];
        for (std::size_t i = 0; i < bog.buttons.size(); ++i) {
            const TIGbutton& b = bog.buttons[i];
            if (b.button_id >= states_.size()) continue;
            TButtonState& s = states_[b.button_id];
            s.bog = static_cast<std::uint8_t>(j);
            s.index = static_cast<std::uint8_t>(i);
            s.normal_animating = b.normal_start_object_id_ref != b.normal_end_object_id_ref;
            s.selected_animating = b.selected_start_object_id_ref != b.selected_end_object_id_ref;
            s.activated_animating = false;
            s.normal_repeat = b.normal_repeat_flag != 0;
            s.selected_repeat = b.selected_repeat_flag != 0;
            s.frame_counter = 0;
            s.enabled = bog.default_valid_button_id_ref != kNoButton && bog.default_valid_button_id_ref == b.button_id;
        }
    }
}

// ---- Drawing --------------------------------------------------------------------------

void PageRenderer::changed(PixelRect r) {
    r = clipRect(r, width_, height_);
    if (!r.empty()) (events_ ? *events_ : noEvents_).pictureChanged(r);
}

void PageRenderer::status(const std::string& text) { log_.slog(text, 1); }

void PageRenderer::playSound(std::uint16_t id) {
    if (!options_.cbPlaySound || !sounds_ || !player_ || id >= sounds_->entries.size()) return;
    plWav(*sounds_, id, *player_);
}

void PageRenderer::DelPage() {
    page_picture_ = background_;
    changed({0, 0, width_, height_});
}

void PageRenderer::DelRect(PixelRect rect) {
    copyRect(page_picture_, background_, rect);
    changed(rect);
}

void PageRenderer::frame(int id, State state) {
    if (!hasButton(id)) return;
    const TIGbutton& b = *button(id);
    TButtonState& st = states_[static_cast<std::size_t>(id)];
    std::uint16_t s = 0, e = 0;
    bool* animating = nullptr;
    bool repeat = false;
    switch (state) {
    case State::Normal:
        s = b.normal_start_object_id_ref;
        e = b.normal_end_object_id_ref;
        animating = &st.normal_animating;
        repeat = st.normal_repeat;
        break;
    case State::Selected:
        s = b.selected_start_object_id_ref;
        e = b.selected_end_object_id_ref;
        animating = &st.selected_animating;
        repeat = st.selected_repeat;
        break;
    case State::Activated:
        s = b.activated_start_object_id_ref;
        e = b.activated_end_object_id_ref;
        animating = &st.activated_animating;
        break;
    }
    const auto object = static_cast<std::uint16_t>(s + st.frame_counter);
    if (*animating) {
        ++st.frame_counter;
        if (st.frame_counter > static_cast<std::uint16_t>(e - s)) {
            st.frame_counter = 0;
            // A state that does not repeat stops on its end object.
            if (!repeat) *animating = false;
        }
    }
    if (object >= menu_->objects.size()) return;
    const auto pic = pictures_.picture(*menu_, object, shownPage()->palette_id_ref);
    if (!pic) return;
    const int x = b.button_horizontal_position;
    const int y = b.button_vertical_position;
    const PixelRect rect{x, y, pic->width, pic->height};
    copyRect(page_picture_, background_, rect);
    blendPicture(page_picture_, *pic, x, y);
    PixelRect touched = rect;
    if (state != State::Activated) {
        const bool commands = !b.commands.empty();
        const bool normal = state == State::Normal;
        const Colour label = !commands ? options_.colInvalidButton
                                       : normal ? options_.colNormalButton : options_.colSelectedButton;
        if (options_.cbButtonId)
            touched = unite(touched, drawLabel(page_picture_, x + 3, y + 3, fmt::format("{:04X}", b.button_id), label));
        if (options_.cbObjectId)
            touched = unite(touched, drawLabel(page_picture_, x + pic->width - 28, y + pic->height - 16,
                                               fmt::format("{:04X}", b.normal_start_object_id_ref), label));
        if (options_.cbButtonFrame)
            frameRect(page_picture_, rect,
                      !commands ? options_.colInvalidFrame : normal ? options_.colNormalFrame : options_.colSelectedFrame);
    }
    changed(touched);
}

void PageRenderer::DrawButton(int id) {
    if (!hasButton(id)) return;
    const TIGbutton& b = *button(id);
    TButtonState& st = states_[static_cast<std::size_t>(id)];
    st.frame_counter = 0;
    st.normal_animating = b.normal_start_object_id_ref < b.normal_end_object_id_ref;
    DrawButt(id);
}

void PageRenderer::DrawButt(int id) { frame(id, State::Normal); }

void PageRenderer::DrawSButton() {
    const auto id = static_cast<int>(std::min<std::uint32_t>(psr(kPsrSelectedButton), 0x7FFFFFFF));
    if (!hasButton(id)) return;
    const TIGbutton& b = *button(id);
    TButtonState& st = states_[static_cast<std::size_t>(id)];
    playSound(b.selected_state_sound_id_ref);
    st.frame_counter = 0;
    st.selected_animating = b.selected_start_object_id_ref < b.selected_end_object_id_ref;
    DrawSButt();
}

void PageRenderer::DrawSButt() { frame(static_cast<int>(std::min<std::uint32_t>(psr(kPsrSelectedButton), 0x7FFFFFFF)), State::Selected); }

void PageRenderer::DrawAButton() {
    const auto id = static_cast<int>(std::min<std::uint32_t>(psr(kPsrSelectedButton), 0x7FFFFFFF));
    if (!hasButton(id)) return;
    const TIGbutton& b = *button(id);
    TButtonState& st = states_[static_cast<std::size_t>(id)];
    playSound(b.activated_state_sound_id_ref);
    st.frame_counter = 0;
    st.activated_animating = b.activated_start_object_id_ref < b.activated_end_object_id_ref;
    if (options_.cbAnimate)
        DrawAButt();
    else
        DrawAButt2();
}

void PageRenderer::DrawAButt() { frame(static_cast<int>(std::min<std::uint32_t>(psr(kPsrSelectedButton), 0x7FFFFFFF)), State::Activated); }

void PageRenderer::DrawAButt2() {
    const std::uint32_t selected = psr(kPsrSelectedButton);
    const TIGbutton* b = selected <= 0xFFFF ? button(static_cast<int>(selected)) : nullptr;
    if (b && b->activated_start_object_id_ref != kNoObjectRef &&
        b->activated_end_object_id_ref >= b->activated_start_object_id_ref) {
        const int period = animationPeriodMs();
        for (std::size_t o = b->activated_start_object_id_ref; o <= b->activated_end_object_id_ref; ++o) {
            if (o >= menu_->objects.size()) break;
            const auto pic = pictures_.picture(*menu_, o, shownPage()->palette_id_ref);
            if (!pic) continue;
            const PixelRect rect{b->button_horizontal_position, b->button_vertical_position, pic->width, pic->height};
            copyRect(page_picture_, background_, rect);
            blendPicture(page_picture_, *pic, rect.x, rect.y);
            changed(rect);
            (events_ ? *events_ : noEvents_).repaintNow();
            if (clock_) clock_->wait(period);
        }
    }
    status(fmt::format("PSR10: {:04X}, PSR11: {:02X}", psr(kPsrSelectedButton), psr(kPsrMenuPage)));
}

void PageRenderer::DelButton(int id) {
    if (id < 0 || static_cast<std::size_t>(id) >= states_.size()) return;
    const std::uint8_t bog = states_[static_cast<std::size_t>(id)].bog;
    for (std::size_t k = 0; k < states_.size(); ++k)
        if (states_[k].enabled && states_[k].bog == bog && button(static_cast<int>(k))) return;
    const TIGbutton* b = button(id);
    if (!b || b->normal_start_object_id_ref >= menu_->objects.size()) return;
    const TIGobject& obj = menu_->objects[b->normal_start_object_id_ref];
    DelRect({b->button_horizontal_position, b->button_vertical_position, obj.width, obj.height});
}

void PageRenderer::DrawPage() {
    if (machine_) machine_->setPsr(kPsrMenuPageCopy, psr(kPsrMenuPage));
    const TPage* p = shownPage();
    if (p && options_.cbPreLoad) pictures_.preload(*menu_, static_cast<std::size_t>(page_));
    DelPage();
    if (p) {
        if (options_.cbInEffect) DrawEffects(p->effects[InEffects]);
        for (std::size_t id = 0; id < states_.size(); ++id)
            if (states_[id].enabled) DrawButton(static_cast<int>(id));
        if (psr(kPsrSelectedButton) < kNoButtonSelected) DrawSButton();
    }
    status(fmt::format("PSR10: {:04X} ({}), PSR11: {:02X} ({})", psr(kPsrSelectedButton), psr(kPsrSelectedButton), psr(kPsrMenuPage), psr(kPsrMenuPage)));
}

namespace {

// The window of a composition object: its window_id_ref indexes the
// sequence's windows; none when it names no window.
const TEffWindow* windowOf(const Teffectseq& seq, const TCompObject& c) {
    if (c.window_id_ref >= std::min<std::size_t>(seq.number_of_windows, seq.windows.size())) return nullptr;
    return &seq.windows[c.window_id_ref];
}

PixelRect windowRect(const TEffWindow& w) {
    return {w.window_horizontal_position, w.window_vertical_position, w.window_width, w.window_height};
}

}  // namespace

void PageRenderer::drawComposition(RgbaImage& target, const Teffect& effect, const TCompObject& c) {
    if (!menu_) return;
    const auto pic = c.cropped() ? pictures_.cropped(*menu_, c.object_id_ref, effect.palette_id_ref,
                                                     c.cropping_horizontal_position, c.cropping_vertical_position,
                                                     c.cropping_width, c.cropping_height)
                                 : pictures_.picture(*menu_, c.object_id_ref, effect.palette_id_ref);
    if (!pic) return;
    const int x = c.composition_object_horizontal_position;
    const int y = c.composition_object_vertical_position;
    blendPicture(target, *pic, x, y);
    // The frame is on the cropping rectangle, also where it reaches past the object.
    if (options_.cbButtonFrame)
        frameRect(target, c.cropped() ? PixelRect{x, y, c.cropping_width, c.cropping_height} : PixelRect{x, y, pic->width, pic->height},
                  options_.colNormalButton);
}

void PageRenderer::DrawEffects(const Teffectseq& seq) {
    PreviewEvents& ev = events_ ? *events_ : noEvents_;
    for (std::size_t i = 0; i < seq.effects.size(); ++i) {
        const Teffect& effect = seq.effects[i];
        const std::int64_t start = clock_ ? clock_->nowMs() : 0;
        for (const TCompObject& c : effect.composition_objects) {
            const TEffWindow* w = windowOf(seq, c);
            if (!w) continue;
            DelRect(windowRect(*w));
            if (options_.cbWindowFrame) frameRect(page_picture_, windowRect(*w), options_.colWindow);
        }
        for (const TCompObject& c : effect.composition_objects) {
            if (!windowOf(seq, c)) continue;
            drawComposition(page_picture_, effect, c);
        }
        changed({0, 0, width_, height_});
        ev.repaintNow();
        const auto duration = static_cast<std::int64_t>(ticks90kToMs(effect.effect_duration));
        std::int64_t passed = clock_ ? clock_->nowMs() - start : 0;
        if (clock_ && passed < duration) {
            clock_->wait(duration - passed);
            passed = clock_->nowMs() - start;
        }
        status(fmt::format("Effect: {}  duration: {}ms, displayed: {} ms", i, duration, passed));
    }
    for (std::size_t w = 0; w < std::min<std::size_t>(seq.number_of_windows, seq.windows.size()); ++w)
        DelRect(windowRect(seq.windows[w]));
}

// ---- The effect view -------------------------------------------------------------------

void PageRenderer::clearEffectView() {
    // Every page change clears the view: refill the picture it has rather
    // than allocate a new one of the same size.
    if (effect_view_.width == width_ && effect_view_.height == height_)
        fillRect(effect_view_, {0, 0, width_, height_}, options_.colObjectBackground);
    else
        effect_view_ = makePicture(width_, height_, options_.colObjectBackground);
    (events_ ? *events_ : noEvents_).effectViewChanged();
}

void PageRenderer::EffPreview(const Teffectseq& seq, std::size_t effect, std::size_t object) {
    if (effect >= seq.effects.size() || object >= seq.effects[effect].composition_objects.size()) return;
    const Teffect& e = seq.effects[effect];
    const TCompObject& c = e.composition_objects[object];
    if (const TEffWindow* w = windowOf(seq, c)) {
        fillRect(effect_view_, windowRect(*w), options_.colObjectBackground);
        if (options_.cbWindowFrame) frameRect(effect_view_, windowRect(*w), options_.colWindow);
    }
    drawComposition(effect_view_, e, c);
    (events_ ? *events_ : noEvents_).effectViewChanged();
}

}  // namespace navora

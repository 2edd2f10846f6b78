#pragma once
// Playback of a WAV image, behind an interface the editor implements with
// its platform's audio output. The engine and the views only see this.

#include "core/bytes.h"

#include <functional>

namespace navora {

class WavePlayer {
public:
    virtual ~WavePlayer() = default;

    // Starts playing the image once and returns at once: true when playback
    // started. Returns false, changing nothing, while another sound plays,
    // for an image without "WAVE" or a "data" chunk (readWavImage), for a
    // format the output cannot play, and when there is no audio output. The
    // image is copied; the caller may drop it.
    virtual bool Play(const Bytes& wav) = 0;
    // Stops a sound that plays; the completion handler is not called.
    virtual void Stop() = 0;
    virtual bool playing() const = 0;

    // Called when a playback ends by itself (not after Stop).
    std::function<void()> onFinished;
};

}  // namespace navora

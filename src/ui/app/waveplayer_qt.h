#pragma once
// The wave player on Qt Multimedia: one QAudioSink per sound, pulling the
// sound's data from memory, on the user-interface thread.

#include "sound/waveplayer.h"

#include <QAudio>
#include <QObject>
#include <QTimer>

class QAudioSink;

namespace navora::ui {

class QtWavePlayer : public QObject, public WavePlayer {
    Q_OBJECT
public:
    explicit QtWavePlayer(QObject* parent = nullptr);
    ~QtWavePlayer() override;

    // Plays PCM images of 8, 16 or 32 bits per sample at any rate and channel
    // count the default output takes. Returns false with no audio output.
    bool Play(const Bytes& wav) override;
    void Stop() override;
    bool playing() const override { return playing_; }

private:
    void stateChanged(QAudio::State state);
    // Ends the playback; calls onFinished when notify is set.
    void end(bool notify);

    QAudioSink* sink_ = nullptr;  // owns the buffer it pulls from
    bool playing_ = false;
    // After the sink has taken the last bytes, the output still holds up to
    // its buffer's worth of sound: the playback ends when that has played.
    QTimer tail_;
};

}  // namespace navora::ui

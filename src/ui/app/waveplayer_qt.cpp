#include "ui/app/waveplayer_qt.h"

#include "sound/wav.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

namespace navora::ui {

namespace {

QAudioFormat::SampleFormat sampleFormat(std::uint16_t bits) {
    switch (bits) {
    case 8:
        return QAudioFormat::UInt8;
    case 16:
        return QAudioFormat::Int16;
    case 32:
        return QAudioFormat::Int32;
    default:
        return QAudioFormat::Unknown;
    }
}

}  // namespace

QtWavePlayer::QtWavePlayer(QObject* parent) : QObject(parent) {
    tail_.setSingleShot(true);
    connect(&tail_, &QTimer::timeout, this, [this] { end(true); });
}

QtWavePlayer::~QtWavePlayer() { end(false); }

bool QtWavePlayer::Play(const Bytes& wav) {
    if (playing_) return false;
    const auto image = readWavImage(wav);
    if (!image || image->formatTag != 1 || image->channels == 0 || image->sampleRate == 0) return false;
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(image->sampleRate));
    format.setChannelCount(image->channels);
    format.setSampleFormat(sampleFormat(image->bitsPerSample));
    if (format.sampleFormat() == QAudioFormat::Unknown) return false;

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format)) return false;

    playing_ = true;
    if (image->dataEnd == image->dataStart) {
        // Nothing to play: the playback ends at once, after Play returned.
        tail_.start(0);
        return true;
    }

    sink_ = new QAudioSink(device, format, this);
    auto* buffer = new QBuffer(sink_);
    buffer->setData(reinterpret_cast<const char*>(wav.data() + image->dataStart),
                    static_cast<qsizetype>(image->dataEnd - image->dataStart));
    buffer->open(QIODevice::ReadOnly);
    connect(sink_, &QAudioSink::stateChanged, this, &QtWavePlayer::stateChanged);
    sink_->start(buffer);
    if (sink_->error() != QAudio::NoError) {
        end(false);
        return false;
    }
    return true;
}

void QtWavePlayer::Stop() { end(false); }

void QtWavePlayer::stateChanged(QAudio::State state) {
    if (!sink_) return;
    if (state == QAudio::IdleState) {
        // Every byte was handed to the output; let what it holds play out.
        const qint64 heldUs = sink_->format().durationForBytes(static_cast<qint32>(sink_->bufferSize()));
        tail_.start(static_cast<int>(heldUs / 1000) + 20);
    } else if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError) {
        end(true);  // the output went away
    }
}

void QtWavePlayer::end(bool notify) {
    tail_.stop();
    if (sink_) {
        disconnect(sink_, nullptr, this, nullptr);
        sink_->stop();
        // This may run inside the sink's own signal: delete it later.
        sink_->deleteLater();
        sink_ = nullptr;
    }
    const bool wasPlaying = playing_;
    playing_ = false;
    if (notify && wasPlaying && onFinished) onFinished();
}

}  // namespace navora::ui

// The Qt wave player against a real PulseAudio server with a null sink
// (scripts/test.sh starts one and points PULSE_SERVER at it), and against no
// server at all (the second ctest run points PULSE_SERVER nowhere).
//
// NAVORA_REQUIRE_AUDIO=1 turns a missing audio output into a failure of the
// playback tests; NAVORA_EXPECT_NO_AUDIO=1 makes the run without a server
// fail if an output is found after all.

#include "sound/sound.h"
#include "sound/wav.h"
#include "ui/app/waveplayer_qt.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTest>

#include <cmath>

using navora::Bytes;
using navora::ui::QtWavePlayer;

namespace {

bool envOn(const char* name) { return qEnvironmentVariableIntValue(name) == 1; }

// A stereo tone of the given length as the editor builds it from an entry.
Bytes toneWav(int milliseconds) {
    navora::TSoundEntry e;
    e.channel_configuration = navora::SoundChannels::Stereo;
    const int frames = 48 * milliseconds;
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(6000 * std::sin(i * 0.06)));
        for (int ch = 0; ch < 2; ++ch) {
            e.data.push_back(static_cast<std::uint8_t>(v >> 8));
            e.data.push_back(static_cast<std::uint8_t>(v));
        }
    }
    e.sound_data_length = static_cast<std::uint32_t>(e.data.size());
    return navora::mkWav(e);
}

bool haveOutput() { return !QMediaDevices::defaultAudioOutput().isNull(); }

}  // namespace

// Skips the calling test when there is no audio output, or fails it when one is required.
#define NEED_AUDIO_OUTPUT()                                                                              \
    do {                                                                                                 \
        if (!haveOutput()) {                                                                             \
            if (envOn("NAVORA_REQUIRE_AUDIO"))                                                           \
                QFAIL("no audio output (is the PulseAudio server of scripts/test.sh up?)");              \
            QSKIP("no audio output; scripts/test.sh runs this against a PulseAudio null sink");          \
        }                                                                                                \
    } while (0)

class WavePlayerTest : public QObject {
    Q_OBJECT

private slots:
    // Images the player cannot read are refused whether or not there is an output.
    void refusesImagesWithoutWaveOrData() {
        QtWavePlayer player;
        Bytes notWave = toneWav(10);
        notWave[8] = 'X';
        QVERIFY(!player.Play(notWave));
        Bytes noData = toneWav(10);
        noData.resize(36);
        noData.insert(noData.end(), {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'});
        QVERIFY(!player.Play(noData));
        QVERIFY(!player.playing());
    }

    void playsOnceToItsEndWithoutBlocking() {
        NEED_AUDIO_OUTPUT();
        QtWavePlayer player;
        int finished = 0;
        player.onFinished = [&] { ++finished; };
        const Bytes wav = toneWav(300);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(player.Play(wav));
        // Play returned while the sound plays: a second request is not heard.
        QVERIFY(player.playing());
        QCOMPARE(finished, 0);
        QVERIFY(!player.Play(toneWav(50)));
        QTRY_VERIFY_WITH_TIMEOUT(!player.playing(), 15000);
        QCOMPARE(finished, 1);
        // It played out rather than being dropped (the null sink plays in real time).
        QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
        // Ended by itself, the player takes the next sound.
        QVERIFY(player.Play(toneWav(20)));
        QTRY_VERIFY_WITH_TIMEOUT(!player.playing(), 15000);
        QCOMPARE(finished, 2);
    }

    void stopEndsWithoutTheHandler() {
        NEED_AUDIO_OUTPUT();
        QtWavePlayer player;
        int finished = 0;
        player.onFinished = [&] { ++finished; };
        QVERIFY(player.Play(toneWav(2000)));
        QTest::qWait(50);
        player.Stop();
        QVERIFY(!player.playing());
        QVERIFY(player.Play(toneWav(10)));  // free again at once
        player.Stop();
        QTest::qWait(100);
        QCOMPARE(finished, 0);
    }

    void emptyDataEndsAtOnce() {
        NEED_AUDIO_OUTPUT();
        QtWavePlayer player;
        int finished = 0;
        player.onFinished = [&] { ++finished; };
        QVERIFY(player.Play(toneWav(0)));
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 1000);
        QVERIFY(!player.playing());
    }

    void noOutputMeansFalse() {
        if (haveOutput()) {
            if (envOn("NAVORA_EXPECT_NO_AUDIO")) QFAIL("an audio output was found with PULSE_SERVER pointing nowhere");
            QSKIP("an audio output exists; the run without a server checks this");
        }
        QtWavePlayer player;
        bool finished = false;
        player.onFinished = [&] { finished = true; };
        QVERIFY(!player.Play(toneWav(100)));
        QVERIFY(!player.playing());
        player.Stop();
        QTest::qWait(50);
        QVERIFY(!finished);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    WavePlayerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "waveplayer_test.moc"

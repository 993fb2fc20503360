#pragma once

#include "media/AudioFormat.h"
#include "media/Encoder.h"
#include "media/MediaTypes.h"

#include <QRect>
#include <QString>

class AudioGrabber;
class Recorder;
class ScreenGrabber;

// The one place a screen recording is set up: the program, the command-line recorder and the
// tests all record with what this gives, so that what the tests and the benchmark see is what
// users get.
struct RecorderSetup {
    int periodMs = kPicturePeriodMs;
    bool drawPointer = true;
    bool drawClicks = false;
    // CD-quality stereo: what every sound server offers a microphone in without resampling.
    int soundSampleRate = 44100;
    int soundChannels = 2;
};

// Gives the grabbers their format and timing, the encoder its codecs and settings, and the
// recorder its grabbers. The grabbers must outlive the recorder's recordings.
void setUpRecorder(Recorder& recorder, ScreenGrabber& screen, AudioGrabber& audio,
                   const RecorderSetup& setup = RecorderSetup());

// Points a set-up recorder at the area to record and the file to record into.
void aimRecorder(Recorder& recorder, ScreenGrabber& screen, const QRect& area, const QString& path,
                 bool withSound);

// Why the encoder's codec choices cannot be recorded with a grabber delivering sound as
// `soundFormat`; no error (and an empty text) for the choices setUpRecorder() makes.
struct SetupFault {
    Encoder::Error code = Encoder::NoError;
    QString text;
};
SetupFault checkEncoderChoices(const Encoder& encoder, bool withPicture, bool withSound,
                               AudioFormat::Format soundFormat);

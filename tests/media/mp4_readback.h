// Reads a recorded MP4 back through the ffprobe and ffmpeg programs and by walking its
// boxes, so that the tests judge the file a player would see.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

namespace readback {

struct Stream {
    QString type; // "video" or "audio"
    QString codec;
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    double duration = 0; // seconds, from the stream's own time stamps
    qint64 frames = 0;   // frames the decoder actually read
};

struct Facts {
    bool readable = false;
    QString error; // ffprobe's complaint when not readable
    double duration = 0;
    QList<Stream> streams;

    const Stream* first(const QString& type) const;
    // The first stream of that type, or an empty one (no codec) when there is none.
    Stream stream(const QString& type) const;
    int count(const QString& type) const;
};

// ffprobe -show_streams -show_format -count_frames, as JSON.
Facts probe(const QString& path);

// The "options:" part of the x264 identification text written into the stream, or empty.
QString x264Settings(const QString& path);
QMap<QString, QString> parseSettings(const QString& options);

// Names of the top-level boxes, and of the boxes directly inside the first box `parent`.
QStringList topLevelBoxes(const QString& path);
QStringList childBoxes(const QString& path, const QString& parent);

// Full decode with `ffmpeg -v error`; empty when every packet decodes cleanly.
QString decodeErrors(const QString& path);

// One decoded frame at `seconds`, as packed RGB24 of the stream's size; empty on failure.
QByteArray rgbFrameAt(const QString& path, double seconds, int width, int height);

// Every decoded picture of the first video stream, in order, each as packed RGB24 of the
// stream's size; empty on failure.
QList<QByteArray> rgbFrames(const QString& path, int width, int height);

// Loudest sample (dBFS) of the sound between `from` and `from + length` seconds; 1000 when
// there is no sound at all (louder than anything, so a check for silence fails).
double maxVolume(const QString& path, double from, double length);

// Presentation time and mean brightness (0..255) of every decoded picture of the first video
// stream, in order.
QList<QPair<double, double>> pictureBrightness(const QString& path);

// Time stamps of the packets of the first stream of `type` ("video" or "audio") in file order,
// in seconds as ffprobe reads them, with the stream's start time (what players start it at).
struct Packet {
    double pts = 0;
    double dts = 0;
    double duration = 0;
};
struct Timeline {
    bool readable = false;
    double start = 0;
    QList<Packet> packets;
};
Timeline packetTimes(const QString& path, const QString& type);

// The finished file's time line as players see it: both streams start at zero, no time stamp
// is below zero, every picture sits on a tick of the capture clock (`tick` seconds apart) and
// lasts until the next, and the sound runs on without a gap. Empty when so; otherwise the
// first thing wrong.
QString timelineFault(const QString& path, double tick);

// The first audio stream decoded to 16-bit mono PCM at its own rate.
QByteArray monoPcm(const QString& path);

// Sign changes per second of a 16-bit mono signal: twice the frequency of a pure tone.
double zeroCrossingsPerSecond(const QByteArray& pcm, int sampleRate);

// Loudness (RMS) and sign changes per second of consecutive windows of a 16-bit mono signal.
struct Window {
    double start = 0; // seconds into the decoded sound
    double rms = 0;
    double crossingsPerSecond = 0;
};
QList<Window> windows(const QByteArray& pcm, int sampleRate, double seconds);

// Amplitude (in sample units) of the `hz` component of a 16-bit mono signal between `from` and
// `from + length` seconds (a single-frequency Fourier transform).
double toneAmplitude(const QByteArray& pcm, int sampleRate, double hz, double from, double length);

// The largest magnitude of a 16-bit mono signal's samples.
int peakSample(const QByteArray& pcm);

} // namespace readback

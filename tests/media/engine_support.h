#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

class Recorder;
class ScreenGrabber;
class AudioGrabber;

namespace enginetest {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// Runs a program to its end (at most `timeoutMs`).
Run run(const QString& program, const QStringList& args, int timeoutMs = 60000);

struct StreamInfo {
    QString codec; // empty: no such stream
    int width = 0;
    int height = 0;
    double duration = 0;
    int sampleRate = 0;
    int channels = 0;
};
struct FileInfo {
    bool ok = false;
    QString error;
    double duration = 0;
    StreamInfo video;
    StreamInfo audio;
};
// What ffprobe reads from the file.
FileInfo probe(const QString& path);

// The names of the file's top-level MP4 boxes, in order.
QStringList topLevelBoxes(const QString& path);

// Whether ffmpeg decodes the whole file without a complaint (its error text otherwise).
QString decodeErrors(const QString& path);

// Loudest sample (dBFS) of the sound between `from` and `from + length` seconds.
double maxVolume(const QString& path, double from, double length);

// Configures the three objects the way the program does (latency 50, no clicks, 44.1 kHz
// stereo 16-bit, the H.264 settings of the program, MP3 sound).
void configureLikeTheProgram(Recorder& recorder, ScreenGrabber& screen, AudioGrabber& audio);

// Sets the area, size, path and mode for one recording, as the program's start does.
void prepare(Recorder& recorder, ScreenGrabber& screen, const QRect& area, const QString& path,
             bool withSound);

} // namespace enginetest

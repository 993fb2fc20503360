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

// Configures the three objects the way the program does (its picture period, no clicks,
// 44.1 kHz stereo 16-bit, the program's H.264 settings, MP3 sound).
void configureLikeTheProgram(Recorder& recorder, ScreenGrabber& screen, AudioGrabber& audio);

// Sets the area, size, path and mode for one recording, as the program's start does.
void prepare(Recorder& recorder, ScreenGrabber& screen, const QRect& area, const QString& path,
             bool withSound);

} // namespace enginetest

#pragma once

#include <QString>

// Recovery of a recording left behind by a run that was killed or crashed.
//
// While a recording runs, its file is a fragmented MP4 cut every half second, so a killed run
// leaves a file whose sound plays up to about half a second before the kill; its pictures may
// end half a second earlier on a still screen (a picture waits for the next one, which a still
// screen gives every half second). recoverRecording() turns such a file into the ordinary MP4
// that a finished recording is (index in front, no fragments, what browsers play and seek),
// with the last picture shown until the sound ends.
//
// The file is rewritten beside itself (finishingPath()) and renamed over the original only
// once the new file is complete and on the disk, so a failure (full disk, unwritable folder)
// leaves the recording as it was. Nothing is ever deleted: a file that cannot be used is
// reported and kept.
//
// Threads: any thread. It reads and writes the whole file (seconds for an hour-long
// recording), so a program calls it off its GUI thread. No two calls may work on the same
// file at once, nor on a file that a Recorder is still writing or finishing.
struct RecoveryReport {
    enum Outcome {
        // It was fragmented and is now an ordinary MP4.
        Finished,
        // It was an ordinary MP4 already (a finished recording); left untouched.
        AlreadyFinished,
        // It plays, but could not be rewritten (see message); left as it was.
        KeptAsItWas,
        // Nothing in it can be played (empty, cut before the first picture, not an MP4);
        // left as it was.
        Unplayable
    };
    Outcome outcome = Unplayable;
    // Playable length of the file afterwards, in seconds.
    double seconds = 0;
    // What went wrong, readable by the user (translated); empty for Finished and
    // AlreadyFinished.
    QString message;
};

RecoveryReport recoverRecording(const QString& path);

// The file that finishing or recovering `path` writes before renaming it over `path`: a
// hidden file in the same folder. One found without a run that writes it is a leftover of
// a run killed while finishing and may be removed; the recording itself is still at `path`.
QString finishingPath(const QString& path);

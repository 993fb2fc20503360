#pragma once

// Plain value types and constants shared by the engine's front end and its threads. The
// recording threads know nothing of QObject: they speak in these types, and the front-end
// classes take the error enumerations over as their own (AbstractGrabber::Error,
// Encoder::Error), so a code found on a recording thread is the code a caller sees.

#include <cstdint>

// Time between two pictures of a recording: 20 pictures a second is smooth enough for the
// pointer and text a screen recording shows, and leaves the encoder room on a two-core machine.
constexpr int kPicturePeriodMs = 50;

// Why a grabber failed.
struct GrabberErrors {
    enum Error {
        NoError = 0,
        // The device (X display, sound server or source) cannot be reached or opened.
        DeviceOpenError = 1,
        // The settings cannot be honoured (empty or off-screen area, unsupported format).
        InvalidSettingsError = 2,
        // The device failed or went away while recording.
        DeviceLostError = 3
    };
};

// Why the encoding side (settings, file, codecs, picture source) failed.
struct EncoderErrors {
    enum Error {
        NoError = 0,
        // The settings cannot be used (empty area or picture size, unsupported codec).
        InvalidSettingsError = 1,
        // start() while a recording is under way; that recording goes on.
        AlreadyRecordingError = 2,
        // The file cannot be created (folder missing or not writable).
        FileOpenError = 3,
        // Writing failed (disk full, device gone); what was written stays playable.
        WriteError = 4,
        // The codec refused to open or to encode.
        EncodingError = 5,
        // The picture source failed: no X display, area off the screen, screen shrunk.
        SourceError = 6
    };
};

// Counters of one recording, for diagnostics and benchmarks.
struct RecorderStatistics {
    // Video frames handed to the encoder, repeated ones included. Pictures are taken only
    // when the screen changed: a still screen gives two frames a second.
    int64_t encodedFrames = 0;
    // Ticks of the capture clock for which no picture could be grabbed in time: the previous
    // picture lasts longer instead (the recording's time never shrinks).
    int64_t droppedFrames = 0;
    // Encoded copies of the previous picture: one every half second while the screen is still (so
    // players and seeking keep going) and one at the stop.
    int64_t repeatedFrames = 0;
    // Milliseconds of sound filled with silence (late start, lost source, clock drift).
    int64_t silenceMs = 0;
    // Milliseconds the recording was paused: the file is that much shorter than the time
    // from start to stop.
    int64_t pausedMs = 0;
};

// Which sound a recording takes: the microphone, what the computer plays (the monitor of the
// sound server's default output), or both mixed into the one sound track.
enum class SoundInput { Microphone = 0, ComputerSound = 1, Both = 2 };

// The sound inputs of a recording and their levels in the mix (1: as they come). The levels
// apply only when both are mixed; a limiter keeps their sum from clipping.
struct SoundMix {
    SoundInput input = SoundInput::Microphone;
    float microphoneLevel = 1.0f;
    float computerLevel = 1.0f;

    bool operator==(const SoundMix& other) const {
        return input == other.input && microphoneLevel == other.microphoneLevel &&
               computerLevel == other.computerLevel;
    }
};

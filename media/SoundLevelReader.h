#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <mutex>
#include <thread>

namespace engine {
class SoundSource;
}

// Reads one sound source of the sound server (the default microphone, or what the computer
// plays) only to tell how loud it is, for a level meter: nothing is kept. Reading runs on a
// thread of its own from start() to stop().
//
// Threads: construct, start(), stop() and destroy on one thread (the GUI thread). The signals
// are emitted from the reading thread; receivers in the GUI thread get them queued.
class SoundLevelReader : public QObject {
    Q_OBJECT
public:
    enum class Source { Microphone, ComputerSound };

    explicit SoundLevelReader(Source source, QObject* parent = nullptr);
    // Stops reading first.
    ~SoundLevelReader() override;

    Source source() const { return source_; }
    // Connects to the sound server and reads until stop(); a second start() does nothing.
    void start();
    // Ends the reading and waits for the thread, which never waits long: the source's wait
    // is interrupted.
    void stop();

signals:
    // The loudest sample of the piece of sound just read, from 0 (silence) to 1 (full scale).
    void levelRead(double peak);
    // The source cannot be read (no server, no microphone, lost); for the user. Reading ended.
    void failed(const QString& message);

private:
    void run();

    const Source source_;
    std::thread thread_;
    std::mutex mutex_;
    // The source being read, so that stop() can interrupt its wait. Guarded by mutex_; owned by
    // the reading thread.
    engine::SoundSource* reading_ = nullptr;
    bool stopping_ = false; // guarded by mutex_
};

#pragma once

#include "media/engine/PictureCopies.h"
#include "media/engine/Stages.h"

#include <QSize>

#include <cstdint>
#include <vector>

namespace engine {

// Turns the changed rows of each grabbed picture from RGB into a kept YUV 4:2:0 picture of
// even size, and hands the encoder a copy of it per picture, marked with the blocks that did
// not change.
//
// Threads: constructed on the thread that builds the session; run() on the convert thread
// only, until `in` is closed and drained or the encoder is gone. It closes `in` when it ends,
// so that the capture thread never waits for it.
class ConvertStage {
public:
    struct Links {
        CapturedQueue& in;
        EncoderInput& out;
        ImagePool& pool;
        FailureReport& report;
    };
    ConvertStage(const ImageSource& source, QSize videoSize, Links links);

    void run();

private:
    // Sets up the converter and the kept picture; false (reported) when that failed.
    bool prepare();
    // Converts `image` into the kept picture; returns the first and past-the-last row of it
    // that may have changed.
    RowSpan convert(const RawImage& image);
    // Odd sizes: the extra column and row repeat the picture's edge.
    void padOddEdges();
    // The picture for the encoder after `image`; false (reported) when out of memory.
    bool makePicture(const RawImage& image, Picture& picture);

    const QSize source_;
    const int sourceFormat_;
    const QSize wanted_;
    const QSize even_;
    const bool direct_;
    Links links_;
    SwsPtr scaler_;
    PictureCopies copies_;
    // The screen as converted so far: each grab converts only the rows that changed into
    // it, and every picture handed to the encoder is a copy of it.
    FramePtr screen_;
    // Pictures that are scaled (or not in the usual layout) are converted whole, from a copy
    // of the grabbed screen kept up to date here.
    std::vector<uint8_t> whole_;
    // The picture handed to the encoder last (shared with it, read-only): each new one is
    // compared with it, so that the encoder is told which blocks it may skip.
    FramePtr previous_;
};

} // namespace engine

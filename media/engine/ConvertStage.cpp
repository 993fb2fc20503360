#include "media/engine/ConvertStage.h"

#include "core/Translate.h"
#include "media/engine/Bgr0ToI420.h"

#include <algorithm>
#include <cstring>
#include <pthread.h>

namespace engine {
namespace {

constexpr TranslationContext kTr{"Encoder"};

// Row alignment of the converted pictures, enough for the widest vector loads x264 uses.
constexpr int kPictureAlign = 64;

} // namespace

ConvertStage::ConvertStage(const ImageSource& source, QSize videoSize, Links links)
    : source_(source.size())
    , sourceFormat_(source.pixelFormat())
    , wanted_(videoSize)
    , even_(evenSize(videoSize))
    // The usual case, screen pixels taken 1:1 from a little-endian X server, has a converter
    // of its own at a third of libswscale's cost; anything else (scaling, other byte orders)
    // goes through libswscale.
    , direct_(source_ == wanted_ && sourceFormat_ == int(AV_PIX_FMT_BGR0))
    , links_(links)
    // The pictures' memory comes from a pool: a picture freed by the encoder is used again
    // instead of allocating (and faulting in) 3 MB per picture, and only its changed rows are
    // copied.
    , copies_(even_, kPictureAlign) {}

bool ConvertStage::prepare() {
    // Bilinear only matters when the picture is scaled.
    if (!direct_)
        scaler_.reset(sws_getContext(
            source_.width(), source_.height(), AVPixelFormat(sourceFormat_), wanted_.width(),
            wanted_.height(), AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!direct_ && !scaler_) {
        links_.report(FailureSource::Output, EncoderErrors::EncodingError,
                      kTr.tr("Cannot convert the screen pictures for the encoder."));
        return false;
    }
    screen_.reset(av_frame_alloc());
    if (screen_) {
        screen_->format = AV_PIX_FMT_YUV420P;
        screen_->width = even_.width();
        screen_->height = even_.height();
    }
    if (!screen_ || av_frame_get_buffer(screen_.get(), kPictureAlign) < 0) {
        links_.report(FailureSource::Output, EncoderErrors::EncodingError,
                      kTr.tr("Out of memory: there is no room for the screen pictures."));
        return false;
    }
    return true;
}

RowSpan ConvertStage::convert(const RawImage& image) {
    AVFrame& screen = *screen_;
    if (!direct_) {
        whole_.resize(size_t(image.stride) * size_t(image.height));
        std::memcpy(whole_.data() + size_t(image.top) * size_t(image.stride), image.pixels.data(),
                    size_t(image.rows) * size_t(image.stride));
        const uint8_t* src[4] = {whole_.data(), nullptr, nullptr, nullptr};
        const int srcStride[4] = {image.stride, 0, 0, 0};
        sws_scale(scaler_.get(), src, srcStride, 0, image.height, screen.data, screen.linesize);
        return RowSpan{0, even_.height()};
    }
    convertBgr0ToI420Rows(image.pixels.data(), image.stride, image.top, image.width, image.height,
                          image.changedTop, image.changedEnd, screen.data[0], screen.linesize[0],
                          screen.data[1], screen.linesize[1], screen.data[2], screen.linesize[2]);
    // A row more on each side than the converter's own (the chroma filter reads beyond the
    // rows it converts) costs next to nothing and asks no trust in where exactly it stops.
    const int top = std::max(0, image.changedTop - 2);
    int end = image.changedEnd + 2;
    // The extra row of an odd height repeats the last one.
    if (end >= wanted_.height())
        end = even_.height();
    return RowSpan{top, end};
}

void ConvertStage::padOddEdges() {
    uint8_t* luma = screen_->data[0];
    const int pitch = screen_->linesize[0];
    if (wanted_.width() < even_.width()) {
        for (int y = 0; y < wanted_.height(); ++y)
            luma[y * pitch + wanted_.width()] = luma[y * pitch + wanted_.width() - 1];
    }
    if (wanted_.height() < even_.height())
        std::memcpy(luma + wanted_.height() * pitch, luma + (wanted_.height() - 1) * pitch,
                    size_t(even_.width()));
}

bool ConvertStage::makePicture(const RawImage& image, Picture& picture) {
    picture.tick = image.tick;
    if (image.rows <= 0)
        return true; // nothing changed: the encoder repeats the picture before
    // The rows of the kept picture this conversion may write; the rest stay as in previous_.
    const RowSpan rows = convert(image);
    padOddEdges();
    FramePtr frame = copies_.copy(*screen_, rows);
    if (!frame) {
        links_.report(FailureSource::Output, EncoderErrors::EncodingError,
                      kTr.tr("Out of memory: a screen picture could not be stored."));
        return false;
    }
    // Compared by content, so the marks are exact whatever the grab reported.
    if (previous_)
        findUnchangedBlocks(*previous_, *frame, rows.top, rows.end, picture.unchanged);
    // Without a reference (out of memory) the next picture simply goes without marks.
    previous_.reset(av_frame_clone(frame.get()));
    picture.frame = std::move(frame);
    return true;
}

void ConvertStage::run() {
    pthread_setname_np(pthread_self(), "clipnest-conv");
    if (prepare()) {
        std::unique_ptr<RawImage> image;
        while (links_.in.pop(image)) {
            Picture picture;
            if (!makePicture(*image, picture))
                break;
            links_.pool.giveBack(std::move(image));
            if (!links_.out.pushA(picture))
                break; // the encoder gave up
        }
    }
    // Unblock the capture thread if we stopped early.
    links_.in.close();
}

} // namespace engine

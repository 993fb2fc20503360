#include "media/engine/PictureCopies.h"

#include <cstring>

namespace engine {
namespace {

void copyRows(const AVFrame& from, AVFrame& to, int width, int height, RowSpan luma) {
    const RowSpan rows = luma.clipped(height);
    for (int plane = 0; plane < 3; ++plane) {
        const int shift = plane == 0 ? 0 : 1;
        const int top = rows.top >> shift;
        const int end = (rows.end + shift) >> shift;
        const size_t bytes = size_t(width >> shift);
        for (int y = top; y < end; ++y)
            std::memcpy(to.data[plane] + ptrdiff_t(y) * to.linesize[plane],
                        from.data[plane] + ptrdiff_t(y) * from.linesize[plane], bytes);
    }
}

} // namespace

PictureCopies::PictureCopies(QSize size, int align)
    : size_(size)
    , align_(align) {
    const int bytes =
        av_image_get_buffer_size(AV_PIX_FMT_YUV420P, size.width(), size.height(), align);
    // The extra bytes let vector code read a little past the last row.
    if (bytes > 0)
        pool_.reset(av_buffer_pool_init(size_t(bytes) + size_t(align), nullptr));
}

FramePtr PictureCopies::copy(const AVFrame& screen, RowSpan changed) {
    if (!pool_)
        return nullptr;
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return nullptr;
    frame->buf[0] = av_buffer_pool_get(pool_.get());
    if (!frame->buf[0] ||
        av_image_fill_arrays(frame->data, frame->linesize, frame->buf[0]->data, AV_PIX_FMT_YUV420P,
                             size_.width(), size_.height(), align_) < 0)
        return nullptr;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = size_.width();
    frame->height = size_.height();

    const int64_t number = count_++;
    recent_.push_back(changed);
    if (recent_.size() > kRemembered)
        recent_.pop_front();
    const int64_t oldestKnown = count_ - int64_t(recent_.size());

    RowSpan rows{0, size_.height()};
    const auto held = held_.find(frame->buf[0]->data);
    if (held != held_.end() && held->second + 1 >= oldestKnown) {
        // Everything changed after the picture this buffer holds, up to this one.
        rows = RowSpan{};
        for (int64_t n = held->second + 1; n <= number; ++n)
            rows = rows.united(recent_[size_t(n - oldestKnown)]);
    }
    copyRows(screen, *frame, size_.width(), size_.height(), rows);
    held_[frame->buf[0]->data] = number;
    return frame;
}

} // namespace engine

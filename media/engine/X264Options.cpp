#include "media/engine/X264Options.h"

#include <QStringList>

#include <algorithm>

namespace engine {
namespace {

QString number(float value) {
    return QString::number(double(value), 'g', 6);
}

const char* motionSearchName(EncoderGlobal::MotionEstimationAlgorithm method) {
    // x264 knows five searches; a method without an x264 counterpart gets the cheapest one
    // (diamond), since a setting that cannot be honoured must not cost encoding time.
    switch (method) {
    case EncoderGlobal::Hex:
        return "hex";
    case EncoderGlobal::Umh:
        return "umh";
    case EncoderGlobal::Full:
        return "esa";
    case EncoderGlobal::Tesa:
        return "tesa";
    default:
        return "dia";
    }
}

const char* directName(EncoderGlobal::MotionVectorPredictionMode mode) {
    switch (mode) {
    case EncoderGlobal::NoMvPrediction:
        return "none";
    case EncoderGlobal::Temporal:
        return "temporal";
    case EncoderGlobal::Auto:
        return "auto";
    default:
        return "spatial";
    }
}

void addPartitionOptions(EncoderGlobal::Partitions p, QStringList& o) {
    QStringList parts;
    if (p.testFlag(EncoderGlobal::I4x4))
        parts << "i4x4";
    if (p.testFlag(EncoderGlobal::I8x8))
        parts << "i8x8";
    if (p.testFlag(EncoderGlobal::P8x8))
        parts << "p8x8";
    if (p.testFlag(EncoderGlobal::P4x4))
        parts << "p4x4";
    if (p.testFlag(EncoderGlobal::B8x8))
        parts << "b8x8";
    o << QStringLiteral("partitions=%1").arg(parts.isEmpty() ? "none" : parts.join(','));
    // The 8x8 transform only serves the 8x8 intra partition.
    o << QStringLiteral("8x8dct=%1").arg(p.testFlag(EncoderGlobal::I8x8) ? 1 : 0);
}

// How the pictures are coded and searched: entropy coder, loop filter, partitions, motion
// search.
void addAnalysisOptions(const VideoCodecSettings& s, QStringList& o) {
    if (s.coderType() != EncoderGlobal::DefaultCoder)
        o << QStringLiteral("cabac=%1").arg(s.coderType() == EncoderGlobal::AC ? 1 : 0);
    if (s.hasFlags())
        // "deblock=1" would mean strength 1:1 to x264; 0,0 is its neutral strength (written with
        // a comma: a colon would end the option in the x264-params list).
        o << (s.flags().testFlag(EncoderGlobal::LoopFilter) ? QStringLiteral("deblock=0,0")
                                                            : QStringLiteral("no-deblock=1"));
    // Of the comparison settings x264 honours only whether chroma takes part (bit 256).
    if (s.motionEstimationComparison() >= 0)
        o << QStringLiteral("chroma-me=%1").arg((s.motionEstimationComparison() & 256) ? 1 : 0);
    if (s.hasPartitions())
        addPartitionOptions(s.partitions(), o);
    if (s.motionEstimationMethod() != EncoderGlobal::DefaultMotionEstimation)
        o << QStringLiteral("me=%1").arg(motionSearchName(s.motionEstimationMethod()));
    if (s.subpixelMotionEstimationQuality() >= 0)
        o << QStringLiteral("subme=%1").arg(s.subpixelMotionEstimationQuality());
    if (s.motionEstimationRange() >= 0)
        o << QStringLiteral("merange=%1").arg(s.motionEstimationRange());
}

// Keyframes, quantizers and prediction modes.
void addRateOptions(const VideoCodecSettings& s, QStringList& o) {
    if (s.gopSize() >= 0)
        o << QStringLiteral("keyint=%1").arg(s.gopSize());
    if (s.minimumKeyframeInterval() >= 0)
        o << QStringLiteral("min-keyint=%1").arg(s.minimumKeyframeInterval());
    if (s.sceneChangeThreshold() >= 0)
        o << QStringLiteral("scenecut=%1").arg(s.sceneChangeThreshold());
    if (s.iQuantFactor() > 0)
        o << QStringLiteral("ipratio=%1").arg(number(1.0f / s.iQuantFactor()));
    if (s.bFrameStrategy() >= 0)
        o << QStringLiteral("b-adapt=%1").arg(s.bFrameStrategy());
    if (s.quantizerCurveCompressionFactor() >= 0)
        o << QStringLiteral("qcomp=%1").arg(number(s.quantizerCurveCompressionFactor()));
    if (s.minimumQuantizer() >= 0)
        o << QStringLiteral("qpmin=%1").arg(s.minimumQuantizer());
    if (s.maximumQuantizer() >= 0)
        o << QStringLiteral("qpmax=%1").arg(s.maximumQuantizer());
    if (s.maximumQuantizerDifference() >= 0)
        o << QStringLiteral("qpstep=%1").arg(s.maximumQuantizerDifference());
    if (s.directMvPredictionMode() != EncoderGlobal::DefaultMvPrediction)
        o << QStringLiteral("direct=%1").arg(directName(s.directMvPredictionMode()));
    if (s.hasFlags2())
        o << QStringLiteral("fast-pskip=%1")
                 .arg(s.flags2().testFlag(EncoderGlobal::FastPSkip) ? 1 : 0);
    if (s.constantQuantizerMode() > 0)
        o << QStringLiteral("qp=%1").arg(s.constantQuantizerMode());
    if (s.pFramePredictionAnalysisMethod() != EncoderGlobal::DefaultWeightedPrediction)
        o << QStringLiteral("weightp=%1").arg(int(s.pFramePredictionAnalysisMethod()));
}

} // namespace

const char* x264Preset() {
    // x264's "veryfast" is the base: what the settings fix (motion search, subpixel quality,
    // partitions...) is set over it, and the lookahead and B-frames it keeps are turned off
    // in x264Options().
    return "veryfast";
}

QString x264ThreadOptions(QSize size, int periodMs) {
    // Up to this many pixels a second one thread codes every picture in time: at 1920x1080
    // and 20 pictures a second, full-screen motion took x264 about 14 ms a picture of the
    // 50 ms between them on the two-core machine we target, so 1080p at 30 a second still
    // leaves the thread a third of its time. There one thread is the cheaper choice: two
    // threads cost 5-10 % more CPU in waking and waiting for each other, which for mostly
    // still screens (a picture now and then, each costing x264's fixed work per picture) is
    // most of the bill.
    constexpr double kOneThreadPixelsPerSecond = 1920.0 * 1080.0 * 30.0;
    const double pixelsPerSecond =
        double(size.width()) * double(size.height()) * 1000.0 / double(std::max(1, periodMs));
    if (pixelsPerSecond <= kOneThreadPixelsPerSecond)
        return QStringLiteral("threads=1:sliced-threads=0:lookahead-threads=1");
    // Bigger areas (4K, two monitors) need both cores. Slices, unlike frame threads, hold
    // no pictures back: each leaves the encoder as soon as it is coded.
    return QStringLiteral("threads=2:sliced-threads=1");
}

QString x264Options(const VideoCodecSettings& s) {
    QStringList o;
    // Our own choices for what the settings leave open, tuned for screen content encoded in
    // real time on two cores with a short stop and bounded memory:
    // - one reference frame: screen content rarely gains from more, and each costs a frame
    //   of memory and search time;
    // - no B-frames and no lookahead: pictures go in only when the screen changed, so a
    //   frame can stand for anything from 50 ms to a second; B-frames would reorder across
    //   such gaps (the file would have to start with an edit list up to seconds long), and a
    //   lookahead would hold a still screen's pictures back for seconds, out of the file a
    //   crash leaves and on the way to stop(). Every picture leaves the encoder at once;
    // - threads: see x264ThreadOptions();
    // - constant quality 23 (set with the "crf" option): text stays sharp, static screens
    //   cost almost nothing.
    o << "ref=1"
      << "bframes=0"
      << "rc-lookahead=0"
      << "mbtree=0"
      << "sync-lookahead=0";

    addAnalysisOptions(s, o);
    addRateOptions(s, o);
    return o.join(':');
}

} // namespace engine

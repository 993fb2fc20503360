#pragma once

#include <QFlags>
#include <QObject>

// Enumerations shared by the encoder settings. The numbers are libavcodec's own (codec ids,
// pixel and sample formats, flags), so that settings written for it mean the same here; the
// engine turns each value into x264's terms by name (see engine/X264Options), and -1
// (Default...) leaves the choice to the encoder. The weighted-prediction methods are x264's
// own levels and are handed on as numbers.
namespace EncoderGlobal {
Q_NAMESPACE

enum VideoCodec { DefaultVideoCodec = -1, H264 = 28 };
Q_ENUM_NS(VideoCodec)

enum AudioCodec { DefaultAudioCodec = -1, MP3 = 0x15001, AAC = 0x15002 };
Q_ENUM_NS(AudioCodec)

enum PixelFormat { DefaultPixelFormat = -1, YUV420P = 0 };
Q_ENUM_NS(PixelFormat)

enum SampleFormat { DefaultSampleFormat = -1, U8 = 0, S16 = 1, S32 = 2, FLT = 3 };
Q_ENUM_NS(SampleFormat)

// Entropy coder: variable-length (CAVLC) or arithmetic (CABAC).
enum CoderType { DefaultCoder = -1, VLC = 0, AC = 1 };
Q_ENUM_NS(CoderType)

enum Flag { NoFlag = 0, Global = 0x400000, LoopFilter = 0x800 };
Q_DECLARE_FLAGS(Flags, Flag)
Q_FLAG_NS(Flags)

enum Flag2 { NoFlag2 = 0, FastPSkip = 0x100 };
Q_DECLARE_FLAGS(Flags2, Flag2)
Q_FLAG_NS(Flags2)

// Macroblock partitions the encoder analyses.
enum Partition {
    NoPartition = 0,
    I4x4 = 0x001,
    I8x8 = 0x002,
    P8x8 = 0x010,
    P4x4 = 0x020,
    B8x8 = 0x100
};
Q_DECLARE_FLAGS(Partitions, Partition)
Q_FLAG_NS(Partitions)

enum MotionEstimationAlgorithm {
    DefaultMotionEstimation = -1,
    Zero = 1,
    Full = 2,
    Log = 3,
    Phods = 4,
    Epzs = 5,
    X1 = 6,
    Hex = 7,
    Umh = 8,
    Tesa = 9,
    Iter = 50
};
Q_ENUM_NS(MotionEstimationAlgorithm)

// Direct motion vector prediction of B-frames.
enum MotionVectorPredictionMode {
    DefaultMvPrediction = -1,
    NoMvPrediction = 0,
    Spatial = 1,
    Temporal = 2,
    Auto = 3
};
Q_ENUM_NS(MotionVectorPredictionMode)

// Weighted prediction analysis of P-frames.
enum WeightedPredictionMethod {
    DefaultWeightedPrediction = -1,
    NoWeightedPrediction = 0,
    BlindWeightedPrediction = 1,
    SmartWeightedPrediction = 2
};
Q_ENUM_NS(WeightedPredictionMethod)

} // namespace EncoderGlobal

Q_DECLARE_OPERATORS_FOR_FLAGS(EncoderGlobal::Flags)
Q_DECLARE_OPERATORS_FOR_FLAGS(EncoderGlobal::Flags2)
Q_DECLARE_OPERATORS_FOR_FLAGS(EncoderGlobal::Partitions)

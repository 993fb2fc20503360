#include "media/ScreenRecordingSettings.h"

VideoCodecSettings screenRecordingVideoSettings() {
    // Chosen for screen content encoded in real time on two cores: variable-length coding
    // (CABAC's gain does not pay for its cost at this rate), the loop filter (blocky text is
    // worse than soft text), only the intra 4x4 and P 8x8 partitions and a hexagon search of
    // range 16 with subpixel quality 3 (most of the gain of the slower searches, at a
    // fraction of their time), keyframes at most 250 pictures (12.5 s) apart (seeking stays
    // quick without spending bytes on still screens), and a quantizer that moves at most 4
    // steps between pictures, so a scroll does not smear the text that follows it.
    VideoCodecSettings settings;
    settings.setCoderType(EncoderGlobal::VLC);
    settings.setFlags(EncoderGlobal::LoopFilter);
    settings.setMotionEstimationComparison(1);
    settings.setPartitions(EncoderGlobal::I4x4 | EncoderGlobal::P8x8);
    settings.setMotionEstimationMethod(EncoderGlobal::Hex);
    settings.setSubpixelMotionEstimationQuality(3);
    settings.setMotionEstimationRange(16);
    settings.setGopSize(250);
    settings.setMinimumKeyframeInterval(25);
    settings.setSceneChangeThreshold(40);
    settings.setIQuantFactor(0.71f);
    settings.setBFrameStrategy(1);
    settings.setQuantizerCurveCompressionFactor(0.6f);
    settings.setMinimumQuantizer(0);
    settings.setMaximumQuantizer(69);
    settings.setMaximumQuantizerDifference(4);
    settings.setDirectMvPredictionMode(EncoderGlobal::Spatial);
    settings.setFlags2(EncoderGlobal::FastPSkip);
    settings.setConstantQuantizerMode(0);
    settings.setPFramePredictionAnalysisMethod(EncoderGlobal::NoWeightedPrediction);
    return settings;
}

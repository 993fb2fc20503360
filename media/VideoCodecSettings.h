#pragma once

#include "media/EncoderGlobal.h"

// Value type: the H.264 encoder's tuning, copied by Encoder::setVideoCodecSettings().
// A default-constructed object leaves every value to the encoder's own choice: integers and
// floats are -1, enumerations their Default... value, flag sets "not set".
class VideoCodecSettings {
public:
    VideoCodecSettings() = default;

    void setCoderType(EncoderGlobal::CoderType type) { coderType_ = type; }
    EncoderGlobal::CoderType coderType() const { return coderType_; }

    void setFlags(QFlags<EncoderGlobal::Flag> flags);
    EncoderGlobal::Flags flags() const { return flags_; }
    bool hasFlags() const { return hasFlags_; }

    void setMotionEstimationComparison(int cmp) { meCmp_ = cmp; }
    int motionEstimationComparison() const { return meCmp_; }

    void setPartitions(QFlags<EncoderGlobal::Partition> partitions);
    EncoderGlobal::Partitions partitions() const { return partitions_; }
    bool hasPartitions() const { return hasPartitions_; }

    void setMotionEstimationMethod(EncoderGlobal::MotionEstimationAlgorithm method) {
        meMethod_ = method;
    }
    EncoderGlobal::MotionEstimationAlgorithm motionEstimationMethod() const { return meMethod_; }

    void setSubpixelMotionEstimationQuality(int quality) { subpelQuality_ = quality; }
    int subpixelMotionEstimationQuality() const { return subpelQuality_; }

    void setMotionEstimationRange(int range) { meRange_ = range; }
    int motionEstimationRange() const { return meRange_; }

    void setGopSize(int size) { gopSize_ = size; }
    int gopSize() const { return gopSize_; }

    void setMinimumKeyframeInterval(int interval) { keyintMin_ = interval; }
    int minimumKeyframeInterval() const { return keyintMin_; }

    void setSceneChangeThreshold(int threshold) { sceneChange_ = threshold; }
    int sceneChangeThreshold() const { return sceneChange_; }

    void setIQuantFactor(float factor) { iQuantFactor_ = factor; }
    float iQuantFactor() const { return iQuantFactor_; }

    void setBFrameStrategy(int strategy) { bStrategy_ = strategy; }
    int bFrameStrategy() const { return bStrategy_; }

    void setQuantizerCurveCompressionFactor(float factor) { qcompress_ = factor; }
    float quantizerCurveCompressionFactor() const { return qcompress_; }

    void setMinimumQuantizer(int q) { qmin_ = q; }
    int minimumQuantizer() const { return qmin_; }

    void setMaximumQuantizer(int q) { qmax_ = q; }
    int maximumQuantizer() const { return qmax_; }

    void setMaximumQuantizerDifference(int diff) { maxQdiff_ = diff; }
    int maximumQuantizerDifference() const { return maxQdiff_; }

    void setDirectMvPredictionMode(EncoderGlobal::MotionVectorPredictionMode mode) {
        directPred_ = mode;
    }
    EncoderGlobal::MotionVectorPredictionMode directMvPredictionMode() const { return directPred_; }

    void setFlags2(QFlags<EncoderGlobal::Flag2> flags);
    EncoderGlobal::Flags2 flags2() const { return flags2_; }
    bool hasFlags2() const { return hasFlags2_; }

    // A quantizer above 0 encodes every frame at that constant quantizer; 0 (or -1) lets
    // the rate control choose.
    void setConstantQuantizerMode(int qp) { cqp_ = qp; }
    int constantQuantizerMode() const { return cqp_; }

    void setPFramePredictionAnalysisMethod(EncoderGlobal::WeightedPredictionMethod method) {
        weightP_ = method;
    }
    EncoderGlobal::WeightedPredictionMethod pFramePredictionAnalysisMethod() const {
        return weightP_;
    }

private:
    EncoderGlobal::CoderType coderType_ = EncoderGlobal::DefaultCoder;
    EncoderGlobal::Flags flags_;
    bool hasFlags_ = false;
    int meCmp_ = -1;
    EncoderGlobal::Partitions partitions_;
    bool hasPartitions_ = false;
    EncoderGlobal::MotionEstimationAlgorithm meMethod_ = EncoderGlobal::DefaultMotionEstimation;
    int subpelQuality_ = -1;
    int meRange_ = -1;
    int gopSize_ = -1;
    int keyintMin_ = -1;
    int sceneChange_ = -1;
    float iQuantFactor_ = -1.0f;
    int bStrategy_ = -1;
    float qcompress_ = -1.0f;
    int qmin_ = -1;
    int qmax_ = -1;
    int maxQdiff_ = -1;
    EncoderGlobal::MotionVectorPredictionMode directPred_ = EncoderGlobal::DefaultMvPrediction;
    EncoderGlobal::Flags2 flags2_;
    bool hasFlags2_ = false;
    int cqp_ = -1;
    EncoderGlobal::WeightedPredictionMethod weightP_ = EncoderGlobal::DefaultWeightedPrediction;
};

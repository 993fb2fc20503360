#include "media/VideoCodecSettings.h"

void VideoCodecSettings::setFlags(QFlags<EncoderGlobal::Flag> flags) {
    flags_ = flags;
    hasFlags_ = true;
}

void VideoCodecSettings::setPartitions(QFlags<EncoderGlobal::Partition> partitions) {
    partitions_ = partitions;
    hasPartitions_ = true;
}

void VideoCodecSettings::setFlags2(QFlags<EncoderGlobal::Flag2> flags) {
    flags2_ = flags;
    hasFlags2_ = true;
}

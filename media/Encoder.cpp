#include "media/Encoder.h"

Encoder::Encoder(QObject* parent)
    : QObject(parent) {}

Encoder::~Encoder() = default;

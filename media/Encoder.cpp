#include "media/Encoder.h"

Encoder::Encoder(QObject* parent)
    : QObject(parent) {}

Encoder::~Encoder() = default;

void Encoder::reportError(Error code, const QString& text) {
    lastError_.report(this, code, text, [this](Error failure) { emit error(failure); });
}

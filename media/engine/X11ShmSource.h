#pragma once

#include "media/engine/Sources.h"

#include <QRect>

#include <memory>

namespace engine {

// Opens the X display named by DISPLAY and prepares a shared-memory segment for grabbing
// `rect` of the root window. Returns null with *code and *errorText on failure.
std::unique_ptr<ImageSource> openX11ShmSource(const QRect& rect, GrabberErrors::Error* code,
                                              QString* errorText);

} // namespace engine

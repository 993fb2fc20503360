#pragma once

#include "media/engine/Sources.h"

#include <QRect>

#include <memory>

namespace engine {

struct X11SourceOptions {
    bool pointer = true; // the mouse pointer drawn into the pictures
    bool clicks = false; // a short-lived ring drawn at each click
};

// Opens the X display named by DISPLAY and prepares a shared-memory segment for grabbing
// `rect` of the root window; only what changed on screen is grabbed again. Returns null
// with *code and *errorText on failure.
std::unique_ptr<ImageSource> openX11ShmSource(const QRect& rect, const X11SourceOptions& options,
                                              GrabberErrors::Error* code, QString* errorText);

} // namespace engine

#pragma once

#include "platform/Platform.h"

namespace platform {

// An X11 desktop: the program places its windows itself, reads the screen from the X
// server and grabs keys on the root window.
class X11Platform : public Platform {
public:
    X11Platform();
    ~X11Platform() override;

    Kind kind() const override { return Kind::X11; }
    bool placesWindows() const override { return true; }
    ScreenPictures& screenPictures() override;

private:
    std::unique_ptr<ScreenPictures> pictures_;
};

} // namespace platform

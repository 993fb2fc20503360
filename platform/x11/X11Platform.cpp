#include "platform/x11/X11Platform.h"

#include <QScreen>

namespace platform {

namespace {

// The X server answers at once, so the pictures are there before capture() returns.
class X11ScreenPictures : public ScreenPictures {
public:
    void capture(const QList<QScreen*>& screens, Done done) override {
        QList<QPixmap> pictures;
        pictures.reserve(screens.size());
        for (QScreen* screen : screens)
            pictures.append(screen ? screen->grabWindow(0) : QPixmap());
        done(pictures);
    }
};

} // namespace

X11Platform::X11Platform()
    : pictures_(std::make_unique<X11ScreenPictures>()) {}

X11Platform::~X11Platform() = default;

ScreenPictures& X11Platform::screenPictures() {
    return *pictures_;
}

} // namespace platform

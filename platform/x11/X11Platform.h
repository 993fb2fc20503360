#pragma once

#include "platform/Platform.h"

namespace platform {

// An X11 desktop: the program places its windows itself, reads the screen from the X
// server and grabs keys on the root window.
class X11Platform : public Platform {
public:
    // Which X server: a desktop's own, or Xwayland inside a Wayland session, which shows
    // the program only the windows of other X11 programs.
    enum class Server { Native, Xwayland };

    explicit X11Platform(Server server = Server::Native);
    ~X11Platform() override;

    Kind kind() const override { return Kind::X11; }
    Notice startupNotice() const override;
    bool placesWindows() const override { return true; }
    QRect availableGeometry(QScreen* screen) const override;
    bool blendsWindows() const override;
    ScreenPictures& screenPictures() override;
    ScreenGrabber::SourceOpener screenSource() const override;
    QRect sourceArea(QScreen* screen, const QRect& pixels) const override;
    QVector<QRect> windowFrames(const QList<WId>& own) const override;
    GlobalShortcut* createGlobalShortcut(const QString& id, QObject* parent) override;
    TrayHost* createTrayHost(QObject* parent) override;

private:
    Server server_;
    std::unique_ptr<ScreenPictures> pictures_;
};

} // namespace platform

#include "app/Notices.h"

#include "app/Placement.h"
#include "app/ScreenChoice.h"
#include "widgets/PopupNotify.h"

#include <QRect>
#include <QScreen>

namespace {

// A notice of two sentences needs longer than the two seconds of the usual popup.
constexpr int kNoticeDurationMs = 12000;

} // namespace

Notices::Notices(const QString& windowTitle, QObject* parent)
    : QObject(parent)
    , popup_(new PopupNotify) {
    popup_->setWindowTitle(windowTitle);
}

Notices::~Notices() {
    delete popup_;
}

void Notices::show(const QString& text) {
    popup_->setText(text);
    if (QScreen* screen = screenForOurWindows(QRect()))
        popup_->move(Placement::centredOnScreen(screen->geometry(), popup_->size()));
    popup_->showFor(kNoticeDurationMs);
}

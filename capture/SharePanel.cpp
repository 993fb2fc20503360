#include "capture/SharePanel.h"

#include "capture/PanelStyle.h"
#include "core/Translate.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLayout>

namespace {
// The capture control's texts, wherever in it they show.
constexpr TranslationContext kTr{"CropCtrl"};
} // namespace

SharePanel::SharePanel()
    : panel_(PanelStyle::setUpPanelWindow(this, QStringLiteral("SocialButtonPanel"),
                                          PanelStyle::light())) {
    const QSize buttonSize(24, 24);
    const auto button = [this, buttonSize](const char* name, const char* image,
                                           SocialNetwork network) {
        auto* b = PanelStyle::imageButton(panel_, QString::fromLatin1(name),
                                          QString::fromLatin1(image), false, buttonSize);
        connect(b, &QPushButton::clicked, this, [this, network] { emit shareClicked(network); });
        return b;
    };
    facebookButton_ =
        button("FacebookButton", ":/Resources/Social/facebook.png", SocialNetwork::Facebook);
    panel_->layout()->addWidget(PanelStyle::separator(panel_, QString()));
    twitterButton_ =
        button("TwitterButton", ":/Resources/Social/twitter.png", SocialNetwork::Twitter);
    panel_->layout()->addWidget(PanelStyle::separator(panel_, QString()));
    redditButton_ = button("RedditButton", ":/Resources/Social/reddit.png", SocialNetwork::Reddit);
    panel_->adjustSize();
    adjustSize();
    hide();
}

void SharePanel::retranslate() {
    facebookButton_->tooltipText = kTr.tr("Share to facebook");
    twitterButton_->tooltipText = kTr.tr("Share to twitter");
    redditButton_->tooltipText = kTr.tr("Share to Reddit");
}

void SharePanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit closeRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

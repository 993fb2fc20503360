#include "capture/FinishedWindow.h"

#include "core/Translate.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
// The capture control's texts, wherever in it they show.
constexpr TranslationContext kTr{"CropCtrl"};
} // namespace

FinishedWindow::FinishedWindow() {
    setObjectName(QStringLiteral("RecordFinishedWindow"));
    setWindowIcon(QIcon(QStringLiteral(":/Resources/windowIcon.png")));
    auto* grid = new QGridLayout(this);
    const auto button = [this](const char* name, const char* icon) {
        auto* b = new QPushButton(QIcon(QString::fromLatin1(icon)), QString(), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(true);
        return b;
    };
    saveButton_ = button("SaveButton", ":/Resources/Buttons/save.png");
    uploadButton_ = button("UploadButton", ":/Resources/Buttons/upload.png");
    facebookButton_ = button("FacebookButton", ":/Resources/Social/facebook.png");
    twitterButton_ = button("TwitterButton", ":/Resources/Social/twitter.png");
    redditButton_ = button("RedditButton", ":/Resources/Social/reddit.png");
    closeButton_ = button("CloseFinishPanelButton", ":/Resources/Buttons/close.png");
    finishingLabel_ = new QLabel(this);
    finishingLabel_->setObjectName(QStringLiteral("FinishingLabel"));
    finishingLabel_->setTextFormat(Qt::PlainText);
    finishingLabel_->hide();
    grid->addWidget(saveButton_, 0, 0);
    grid->addWidget(uploadButton_, 0, 1);
    grid->addWidget(closeButton_, 0, 2);
    grid->addWidget(facebookButton_, 1, 0);
    grid->addWidget(twitterButton_, 1, 1);
    grid->addWidget(redditButton_, 1, 2);
    grid->addWidget(finishingLabel_, 2, 0, 1, 3);
    connect(saveButton_, &QPushButton::clicked, this, &FinishedWindow::saveClicked);
    connect(uploadButton_, &QPushButton::clicked, this, &FinishedWindow::uploadClicked);
    connect(closeButton_, &QPushButton::clicked, this, &FinishedWindow::closeClicked);
    connect(facebookButton_, &QPushButton::clicked, this,
            [this] { emit shareClicked(SocialNetwork::Facebook); });
    connect(twitterButton_, &QPushButton::clicked, this,
            [this] { emit shareClicked(SocialNetwork::Twitter); });
    connect(redditButton_, &QPushButton::clicked, this,
            [this] { emit shareClicked(SocialNetwork::Reddit); });
    retranslate();
}

void FinishedWindow::setFinishing(bool finishing) {
    finishingLabel_->setVisible(finishing);
    saveButton_->setEnabled(!finishing);
    // Not shown yet: it would open with the focus on the first button it can take.
    if (finishing && (focusWidget() == saveButton_ || !isVisible())) {
        uploadButton_->setFocus();
        saveLentFocus_ = true;
    } else if (!finishing && saveLentFocus_) {
        // Save is the first thing offered: it takes the focus back unless the user moved it.
        if (focusWidget() == uploadButton_ || !focusWidget())
            saveButton_->setFocus();
        saveLentFocus_ = false;
    }
}

void FinishedWindow::retranslate() {
    setWindowTitle(kTr.tr("Recording finished"));
    saveButton_->setText(kTr.tr("Save video to computer"));
    uploadButton_->setText(kTr.tr("Upload video to server"));
    facebookButton_->setText(kTr.tr("Share to facebook"));
    twitterButton_->setText(kTr.tr("Share to twitter"));
    redditButton_->setText(kTr.tr("Share to Reddit"));
    closeButton_->setText(kTr.tr("Close"));
    finishingLabel_->setText(kTr.tr("Finishing the video…"));
}

void FinishedWindow::closeEvent(QCloseEvent* event) {
    // The window's own close is the Close action: the recording stays in the folder. The
    // owner hides the window.
    event->ignore();
    emit closeClicked();
}

void FinishedWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit closeClicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

#include "widgets/ProgressWidget.h"

#include "widgets/DesktopTraits.h"
#include "widgets/ProgressBar.h"

#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {
const char* const kPanelStyle = "QWidget#ProgressWidget {"
                                " background-color: rgba(255, 255, 255, 200);"
                                " border-radius: 3px;"
                                " border-width: 1px;"
                                " border-style: solid;"
                                " border-color: rgb(134, 135, 136);"
                                " }";
// Without a compositor: no see-through pixel anywhere, so no rounded corner either.
const char* const kOpaquePanelStyle = "QWidget#ProgressWidget {"
                                      " background-color: rgb(255, 255, 255);"
                                      " border-width: 1px;"
                                      " border-style: solid;"
                                      " border-color: rgb(134, 135, 136);"
                                      " }";
const char* const kLabelStyle = "color: rgb(134, 135, 136);";

// A row that centres `label` between two expanding spacers.
QWidget* centredRow(QLabel* label, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->addItem(new QSpacerItem(0, 30, QSizePolicy::Expanding, QSizePolicy::Minimum));
    rowLayout->addWidget(label);
    rowLayout->addItem(new QSpacerItem(0, 30, QSizePolicy::Expanding, QSizePolicy::Minimum));
    return row;
}
} // namespace

ProgressWidget::ProgressWidget(QWidget*)
    : QWidget(nullptr)
    , panel_(new QWidget(this))
    , bar_(nullptr)
    , percentLabel_(nullptr)
    , titleLabel_(nullptr) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // The upload runs in the background: showing its progress must not take the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);

    panel_->setObjectName(QStringLiteral("ProgressWidget"));
    // Its look comes with each showing (followBackdrop()).

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(panel_);
    blendedMargins_ = outer->contentsMargins();
    auto* inner = new QVBoxLayout(panel_);

    titleLabel_ = new QLabel(panel_);
    QFont titleFont(QStringLiteral("Arial Semibold"));
    titleFont.setPointSize(14);
    titleFont.setFamily(QStringLiteral("Arial SemiBold"));
    titleLabel_->setFont(titleFont);
    titleLabel_->setAlignment(Qt::AlignVCenter);
    titleLabel_->setStyleSheet(QString::fromLatin1(kLabelStyle));

    bar_ = new ProgressBar(panel_);

    percentLabel_ = new QLabel(panel_);
    QFont percentFont(QStringLiteral("Arial Semibold"));
    percentFont.setPointSize(14);
    percentLabel_->setFont(percentFont);
    percentLabel_->setAlignment(Qt::AlignVCenter);
    percentLabel_->setStyleSheet(QString::fromLatin1(kLabelStyle));

    inner->addWidget(centredRow(titleLabel_, panel_));
    inner->addWidget(bar_);
    inner->addWidget(centredRow(percentLabel_, panel_));

    connect(bar_, &QProgressBar::valueChanged, this, &ProgressWidget::progressChanged);
}

QString ProgressWidget::percentText() const {
    return percentLabel_->text();
}

QString ProgressWidget::titleText() const {
    return titleLabel_->text();
}

void ProgressWidget::setValue(int value) {
    bar_->setValue(value);
}

void ProgressWidget::progressChanged(int value) {
    percentLabel_->setText(QStringLiteral("%1%").arg(value));
}

void ProgressWidget::setVisible(bool visible) {
    if (visible)
        followBackdrop();
    QWidget::setVisible(visible);
}

void ProgressWidget::followBackdrop() {
    const bool blends = DesktopTraits::blendsWindows();
    layout()->setContentsMargins(blends ? blendedMargins_ : QMargins());
    panel_->setStyleSheet(QString::fromLatin1(blends ? kPanelStyle : kOpaquePanelStyle));
}

void ProgressWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        titleLabel_->setText(tr("Loading, please wait..."));
    QWidget::changeEvent(event);
}

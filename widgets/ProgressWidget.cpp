#include "widgets/ProgressWidget.h"

#include "widgets/ProgressBar.h"

#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {
const char* const panelStyle = "QWidget#ProgressWidget {"
                               " background-color: rgba(255, 255, 255, 200);"
                               " border-radius: 3px;"
                               " border-width: 1px;"
                               " border-style: solid;"
                               " border-color: rgb(134, 135, 136);"
                               " }";
const char* const labelStyle = "color: rgb(134, 135, 136);";

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
    , panel(new QWidget(this))
    , bar(nullptr)
    , percentLabel(nullptr)
    , titleLabel(nullptr) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // The upload runs in the background: showing its progress must not take the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);

    panel->setObjectName(QStringLiteral("ProgressWidget"));
    panel->setStyleSheet(QString::fromLatin1(panelStyle));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(panel);
    auto* inner = new QVBoxLayout(panel);

    titleLabel = new QLabel(panel);
    QFont titleFont(QStringLiteral("Arial Semibold"));
    titleFont.setPointSize(14);
    titleFont.setFamily(QStringLiteral("Arial SemiBold"));
    titleLabel->setFont(titleFont);
    titleLabel->setAlignment(Qt::AlignVCenter);
    titleLabel->setStyleSheet(QString::fromLatin1(labelStyle));

    bar = new ProgressBar(panel);

    percentLabel = new QLabel(panel);
    QFont percentFont(QStringLiteral("Arial Semibold"));
    percentFont.setPointSize(14);
    percentLabel->setFont(percentFont);
    percentLabel->setAlignment(Qt::AlignVCenter);
    percentLabel->setStyleSheet(QString::fromLatin1(labelStyle));

    inner->addWidget(centredRow(titleLabel, panel));
    inner->addWidget(bar);
    inner->addWidget(centredRow(percentLabel, panel));

    connect(bar, &QProgressBar::valueChanged, this, &ProgressWidget::progressChanged);
}

QString ProgressWidget::percentText() const {
    return percentLabel->text();
}

QString ProgressWidget::titleText() const {
    return titleLabel->text();
}

void ProgressWidget::setValue(int value) {
    bar->setValue(value);
}

void ProgressWidget::progressChanged(int value) {
    percentLabel->setText(QStringLiteral("%1%").arg(value));
}

void ProgressWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        titleLabel->setText(tr("Loading, please wait..."));
    QWidget::changeEvent(event);
}

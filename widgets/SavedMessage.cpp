#include "widgets/SavedMessage.h"

#include "core/Translate.h"
#include "widgets/PlainMessageBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

// Part of the save: one context with the flow's other texts.
constexpr TranslationContext kTr{"SaveRecordingFlow"};

} // namespace

void openSavedFolder(const QString& folder) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return;
    showPlainMessage(nullptr, QMessageBox::Warning, kTr.tr("Error"),
                     kTr.tr("Can not open the folder %1.").arg(QDir::toNativeSeparators(folder)));
}

void showSavedMessage(const QString& target) {
    // Parentless: the window that asked (the capture's overlay) may be gone by now.
    auto* box = new QMessageBox(
        QMessageBox::Information, QStringLiteral("Clipnest"),
        kTr.tr("The recording was saved as %1.").arg(QDir::toNativeSeparators(target)),
        QMessageBox::Ok);
    box->setObjectName(QStringLiteral("SavedMessage"));
    // A file name may hold anything, markup included.
    box->setTextFormat(Qt::PlainText);
    QPushButton* open = box->addButton(kTr.tr("Open folder"), QMessageBox::ActionRole);
    open->setObjectName(QStringLiteral("OpenFolderButton"));
    box->setDefaultButton(QMessageBox::Ok);
    // With a second button Qt finds no escape of its own; Escape closes a message like this.
    box->setEscapeButton(QMessageBox::Ok);
    const QString folder = QFileInfo(target).absolutePath();
    QObject::connect(box, &QMessageBox::buttonClicked, box, [open, folder](QAbstractButton* b) {
        if (b == open)
            openSavedFolder(folder);
    });
    QObject::connect(box, &QMessageBox::finished, box, &QObject::deleteLater);
    box->show();
    box->raise();
}

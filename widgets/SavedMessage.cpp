#include "widgets/SavedMessage.h"

#include "widgets/PlainMessageBox.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

QString trSave(const char* text) {
    return QCoreApplication::translate("SaveRecordingFlow", text);
}

} // namespace

void openSavedFolder(const QString& folder) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return;
    showPlainMessage(nullptr, QMessageBox::Warning, trSave("Error"),
                     trSave("Can not open the folder %1.").arg(QDir::toNativeSeparators(folder)));
}

void showSavedMessage(const QString& target) {
    // Parentless: the window that asked (the capture's overlay) may be gone by now.
    auto* box = new QMessageBox(
        QMessageBox::Information, QStringLiteral("Clipnest"),
        trSave("The recording was saved as %1.").arg(QDir::toNativeSeparators(target)),
        QMessageBox::Ok);
    box->setObjectName(QStringLiteral("SavedMessage"));
    // A file name may hold anything, markup included.
    box->setTextFormat(Qt::PlainText);
    QPushButton* open = box->addButton(trSave("Open folder"), QMessageBox::ActionRole);
    open->setObjectName(QStringLiteral("OpenFolderButton"));
    box->setDefaultButton(QMessageBox::Ok);
    const QString folder = QFileInfo(target).absolutePath();
    QObject::connect(box, &QMessageBox::buttonClicked, box, [open, folder](QAbstractButton* b) {
        if (b == open)
            openSavedFolder(folder);
    });
    QObject::connect(box, &QMessageBox::finished, box, &QObject::deleteLater);
    box->show();
    box->raise();
}

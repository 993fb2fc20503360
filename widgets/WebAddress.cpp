#include "widgets/WebAddress.h"

#include "core/Translate.h"
#include "widgets/PlainMessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QPushButton>

namespace {

constexpr TranslationContext kTr{"WebAddress"};

} // namespace

bool openWebAddress(const QUrl& address, QWidget* parent) {
    if (QDesktopServices::openUrl(address))
        return true;
    const QString text = address.toString(QUrl::FullyEncoded);
    // Non-modal: the user may want to paste the address elsewhere while it is up.
    auto* box = new PlacedMessageBox(
        QMessageBox::Warning, QStringLiteral("Clipnest"),
        kTr.tr("No web browser could be started to open this address:\n%1\n\nCopy it and "
               "paste it into a browser.")
            .arg(text),
        QMessageBox::Close, parent);
    box->setObjectName(QStringLiteral("NoBrowserMessage"));
    // An address from a server may hold anything, markup included.
    box->setTextFormat(Qt::PlainText);
    QPushButton* copy = box->addButton(kTr.tr("Copy address"), QMessageBox::AcceptRole);
    copy->setObjectName(QStringLiteral("CopyAddressButton"));
    box->setDefaultButton(copy);
    box->setEscapeButton(QMessageBox::Close);
    QObject::connect(box, &QMessageBox::buttonClicked, box, [copy, text](QAbstractButton* b) {
        if (b == copy)
            QApplication::clipboard()->setText(text, QClipboard::Clipboard);
    });
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    box->raise();
    box->activateWindow();
    return false;
}

#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// A modal message box whose text is shown as plain text. Every box that may show text from
// outside the program (a server's answer, an address or token from the settings, a file name,
// an engine's error) goes through here: QMessageBox otherwise guesses rich text, and markup in
// such text would show as a live link or load a local picture. Returns the button pressed.
QMessageBox::StandardButton
showPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

#pragma once

#include <QMessageBox>
#include <QString>

class QShowEvent;
class QWidget;

// A message box that goes where the user looks, where the desktop lets the program place
// windows: over the program's window the user works in (its parent while that is shown, else
// the active one), else in the middle of the monitor under the pointer. Qt alone would centre
// it over a hidden parent, which lands it in a corner of the desktop.
class PlacedMessageBox : public QMessageBox {
    Q_OBJECT
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* owner() const;
    void place();
};

// A modal message box whose text is shown as plain text. Every box that may show text from
// outside the program (a server's answer, an address or token from the settings, a file name,
// an engine's error) goes through here: QMessageBox otherwise guesses rich text, and markup in
// such text would show as a live link or load a local picture. It is placed as
// PlacedMessageBox places itself. Returns the button pressed.
QMessageBox::StandardButton
showPlainMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// Delivers the Print key to the program wherever the keyboard focus is, by
// grabbing it on the X root window(s) for the whole session. Without an X display
// (the offscreen platform of the tests), or when another program already holds the
// key, it stays silent (one log line).
//
// GUI thread only: install after the QGuiApplication exists.
class GlobalKey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit GlobalKey(QObject* parent = nullptr);
    ~GlobalKey() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void pressed();

private:
    void grab();
    void ungrab();

    bool grabbed_ = false;
    unsigned char keycode_ = 0;
};

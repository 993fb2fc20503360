#pragma once

#include <QUrl>

class QWidget;

// Opens `address` in the user's web browser. Where no browser can be started, says so and
// offers to copy the address, so the user can paste it into a browser of their own; returns
// whether the browser was started. GUI thread only.
bool openWebAddress(const QUrl& address, QWidget* parent = nullptr);

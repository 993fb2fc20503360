#pragma once

#include <QString>

// Tells the user where a recording was saved, with a button that opens its folder in the
// desktop's file manager. Not modal: nothing waits for it, and it goes when answered.
// GUI thread only.
void showSavedMessage(const QString& target);

// Opens `folder` in the desktop's file manager; says so in a message when that fails.
void openSavedFolder(const QString& folder);

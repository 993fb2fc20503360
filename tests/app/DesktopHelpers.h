#pragma once

// Driving the built program from outside, the way a user does: real processes,
// real X windows found with xdotool/xwininfo, pointer and keys sent with xdotool.

#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace Desktop {

// Runs a tool to completion; returns its standard output (trimmed). exitCode gets
// -1 when it could not run or did not end within the timeout.
QString run(const QString& program, const QStringList& args, int* exitCode = nullptr,
            int timeoutMs = 30000);

// Visible windows whose title matches the regular expression exactly.
QStringList windowsNamed(const QString& title);
QStringList visibleWindowsOf(qint64 pid);
QString windowName(const QString& id);
QRect windowGeometry(const QString& id);

// The tray icon's window of the given process: the small unnamed window it embeds
// in the tray host.
QString trayIconWindow(qint64 pid);

// The tray menu's popup window of the given process, once it is open; empty if not.
QString openMenuWindow(qint64 pid);
// Right-clicks the tray icon and waits for the menu; false if it did not open.
bool openTrayMenu(qint64 pid);

// The X work area (the screen minus reserved panel strips) of the first desktop.
QRect workArea();

// Visible windows of the process that carry no title of their own (panels, menus,
// the tray icon), with their geometry.
QList<QPair<QString, QRect>> untitledWindows(qint64 pid);

// Where `picture` appears inside `region` of `screen` (its centre), comparing only
// its opaque pixels; a null point when nothing matches closely.
QPoint findPicture(const QImage& screen, const QRect& region, const QImage& picture);

QString clipboardText();

// Checks `condition` every tenth of a second, the event loop running in between; false when
// it did not hold within the timeout.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 20000);

// Small untitled windows of the process: the capture panels (never the tray icon, which is
// narrower).
QList<QPair<QString, QRect>> panelWindows(qint64 pid);

// The uploaded links kept in the settings file, oldest first.
QStringList historyLinks(const QString& settingsPath);

void click(const QString& window, int button);
void drag(const QPoint& from, const QPoint& to);
void clickAt(const QPoint& p, int button = 1);
void keys(const QStringList& keys);

// A grab of the whole screen as an image.
QImage screenshot();

// A private home for one run of the program: settings, runtime folder (the
// single-instance lock) and temporary folder (the shared-memory key file), so
// runs never see each other or the desktop's own folders.
class AppHome {
public:
    AppHome();
    bool isValid() const;
    QString path() const;
    QString settingsPath() const;
    QString runtimeDir() const;
    // The program's kept recordings (and its pending uploads beside them).
    QString recordingsDir() const;
    // Where the fake browser writes every address it is asked to open.
    QString browserLog() const;
    QProcessEnvironment environment() const;

private:
    QTemporaryDir dir_;
};

// One process of the built program.
class App {
public:
    explicit App(const AppHome& home);
    ~App(); // kills it if it still runs

    // extra: variables set (or, with an empty value, removed) on top of the home's.
    bool start(const QStringList& arguments = {}, const QMap<QString, QString>& extra = {});
    qint64 pid() const;
    bool isRunning() const;
    // Waits until the tray icon is on screen; false when it never came.
    bool waitForTray(int timeoutMs = 30000);
    bool waitForExit(int timeoutMs = 30000);
    int exitCode() const;
    QProcess::ExitStatus exitStatus() const;
    void killHard();
    QString output(); // everything printed so far (stdout and stderr)

    static QString binary();

private:
    const AppHome& home_;
    std::unique_ptr<QProcess> process_;
    QString collected_;
};

// The stored video behind a link of the reference service: the link is the video's share page
// (/v/<id>), the file itself is /video.php/<id>.mp4.
QString videoOfLink(const QString& link);

} // namespace Desktop

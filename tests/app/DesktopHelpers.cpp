#include "DesktopHelpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <csignal>

namespace Desktop {

QString run(const QString& program, const QStringList& args, int* exitCode, int timeoutMs) {
    QProcess p;
    p.start(program, args);
    const bool ok = p.waitForStarted(10000) && p.waitForFinished(timeoutMs) &&
                    p.exitStatus() == QProcess::NormalExit;
    if (exitCode)
        *exitCode = ok ? p.exitCode() : -1;
    if (!ok)
        p.kill();
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

static QStringList lines(const QString& text) {
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList windowsNamed(const QString& title) {
    return lines(
        run(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
             QStringLiteral("^%1$").arg(QRegularExpression::escape(title))}));
}

QStringList visibleWindowsOf(qint64 pid) {
    return lines(
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--pid"), QString::number(pid)}));
}

QString windowName(const QString& id) {
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id});
}

QRect windowGeometry(const QString& id) {
    // xwininfo gives the absolute position of the window itself, frame or not.
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    auto field = [&](const char* name) {
        const QRegularExpression re(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(name)));
        return re.match(info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                 field("Height"));
}

// Windows the program gives no title of their own carry the application's name.
static bool isUntitled(const QString& id) {
    const QString name = windowName(id);
    return name.isEmpty() || name == QLatin1String("Clipnest");
}

QString trayIconWindow(qint64 pid) {
    for (const QString& id : visibleWindowsOf(pid)) {
        const QRect g = windowGeometry(id);
        if (isUntitled(id) && g.width() > 1 && g.width() <= 64 && g.height() <= 64)
            return id;
    }
    return QString();
}

QString openMenuWindow(qint64 pid) {
    for (const QString& id : visibleWindowsOf(pid)) {
        const QRect g = windowGeometry(id);
        if (isUntitled(id) && g.width() > 64 && g.height() > 64)
            return id;
    }
    return QString();
}

bool openTrayMenu(qint64 pid) {
    // A click that comes while the previous menu is still closing can be lost: the click is
    // repeated while no menu shows up (never while one is open, which it would close).
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 15000) {
        const QString tray = trayIconWindow(pid);
        if (tray.isEmpty())
            return false;
        click(tray, 3);
        QElapsedTimer sinceClick;
        sinceClick.start();
        while (sinceClick.elapsed() < 3000) {
            if (!openMenuWindow(pid).isEmpty())
                return true;
            QTest::qWait(100);
        }
    }
    return false;
}

QRect workArea() {
    const QString text =
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")});
    const QStringList parts =
        text.section(QLatin1Char('='), 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.size() < 4)
        return QRect();
    return QRect(parts[0].trimmed().toInt(), parts[1].trimmed().toInt(), parts[2].trimmed().toInt(),
                 parts[3].trimmed().toInt());
}

QList<QPair<QString, QRect>> untitledWindows(qint64 pid) {
    QList<QPair<QString, QRect>> found;
    for (const QString& id : visibleWindowsOf(pid)) {
        if (isUntitled(id))
            found.append({id, windowGeometry(id)});
    }
    return found;
}

QPoint findPicture(const QImage& screenImage, const QRect& region, const QImage& picture) {
    const QImage screen = screenImage.convertToFormat(QImage::Format_RGB32);
    const QImage pic = picture.convertToFormat(QImage::Format_ARGB32);
    QList<QPoint> opaque;
    for (int py = 0; py < pic.height(); ++py) {
        for (int px = 0; px < pic.width(); ++px) {
            if (qAlpha(pic.pixel(px, py)) == 255)
                opaque.append(QPoint(px, py));
        }
    }
    const QRect area = region.intersected(screen.rect());
    if (opaque.isEmpty() || area.width() < pic.width() || area.height() < pic.height())
        return QPoint();

    long bestScore = -1;
    QPoint best;
    for (int y = area.top(); y + pic.height() - 1 <= area.bottom(); ++y) {
        for (int x = area.left(); x + pic.width() - 1 <= area.right(); ++x) {
            long score = 0;
            for (const QPoint& p : opaque) {
                const QRgb a = pic.pixel(p);
                const QRgb b = screen.pixel(x + p.x(), y + p.y());
                score += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) +
                         qAbs(qBlue(a) - qBlue(b));
            }
            if (bestScore < 0 || score < bestScore) {
                bestScore = score;
                best = QPoint(x + pic.width() / 2, y + pic.height() / 2);
            }
        }
    }
    // A close match differs by a few levels per pixel at most (anti-aliasing).
    return bestScore / opaque.size() <= 30 ? best : QPoint();
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(100);
    }
    return true;
}

QList<QPair<QString, QRect>> panelWindows(qint64 pid) {
    QList<QPair<QString, QRect>> panels;
    for (const auto& w : untitledWindows(pid)) {
        if (w.second.width() > 64 && w.second.height() < 64)
            panels.append(w);
    }
    return panels;
}

QStringList historyLinks(const QString& settingsPath) {
    QSettings stored(settingsPath, QSettings::IniFormat);
    QStringList links;
    const int n = stored.beginReadArray(QStringLiteral("History"));
    for (int i = 0; i < n; ++i) {
        stored.setArrayIndex(i);
        links << stored.value(QStringLiteral("Url")).toUrl().toString();
    }
    stored.endArray();
    return links;
}

QString clipboardText() {
    return run(QStringLiteral("xclip"),
               {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")},
               nullptr, 5000);
}

void drag(const QPoint& from, const QPoint& to) {
    auto xy = [](const QPoint& p) {
        return QStringList{QString::number(p.x()), QString::number(p.y())};
    };
    run(QStringLiteral("xdotool"),
        QStringList{QStringLiteral("mousemove")} + xy(from) +
            QStringList{QStringLiteral("mousedown"), QStringLiteral("1")});
    // Several steps, as a hand moves, so the control sees a drag and not a jump.
    for (int i = 1; i <= 8; ++i) {
        const QPoint p = from + (to - from) * i / 8;
        run(QStringLiteral("xdotool"), QStringList{QStringLiteral("mousemove")} + xy(p));
        QTest::qWait(30);
    }
    run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("1")});
}

void click(const QString& window, int button) {
    const QRect g = windowGeometry(window);
    clickAt(g.center(), button);
}

void clickAt(const QPoint& p, int button) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
         QStringLiteral("click"), QString::number(button)});
}

void keys(const QStringList& names) {
    QStringList args{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80")};
    args += names;
    run(QStringLiteral("xdotool"), args);
}

QImage screenshot() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("screen.png"));
    run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
    return QImage(file);
}

AppHome::AppHome() {
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    QDir(dir_.path()).mkpath(QStringLiteral("runtime"));
    QDir(dir_.path()).mkpath(QStringLiteral("tmp"));
    QFile::setPermissions(runtimeDir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    // A stand-in for the web browser: records the address it was asked to open.
    const QString browser = dir_.filePath(QStringLiteral("browser.sh"));
    QFile script(browser);
    if (script.open(QIODevice::WriteOnly)) {
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n")
                         .arg(browserLog())
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    }
    // Made the user's own web browser, as a desktop's settings do, so that xdg-open picks it
    // over any browser the machine has installed.
    QDir(dir_.path()).mkpath(QStringLiteral("data/applications"));
    QFile entry(dir_.filePath(QStringLiteral("data/applications/clipnest-test-browser.desktop")));
    if (entry.open(QIODevice::WriteOnly)) {
        entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Test browser\n"
                                   "Exec=%1 %u\nMimeType=x-scheme-handler/http;"
                                   "x-scheme-handler/https;\n")
                        .arg(browser)
                        .toUtf8());
    }
    QFile choice(dir_.filePath(QStringLiteral("config/mimeapps.list")));
    if (choice.open(QIODevice::WriteOnly)) {
        choice.write("[Default Applications]\n"
                     "x-scheme-handler/http=clipnest-test-browser.desktop\n"
                     "x-scheme-handler/https=clipnest-test-browser.desktop\n");
    }
}

bool AppHome::isValid() const {
    return dir_.isValid();
}

QString AppHome::path() const {
    return dir_.path();
}

QString AppHome::settingsPath() const {
    return dir_.filePath(QStringLiteral("config/clipnest.invalid/Clipnest.conf"));
}

QString AppHome::runtimeDir() const {
    return dir_.filePath(QStringLiteral("runtime"));
}

QString AppHome::recordingsDir() const {
    return dir_.filePath(QStringLiteral("data/clipnest/recordings"));
}

QString AppHome::browserLog() const {
    return dir_.filePath(QStringLiteral("browser.log"));
}

QProcessEnvironment AppHome::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir_.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    env.insert(QStringLiteral("TMPDIR"), dir_.filePath(QStringLiteral("tmp")));
    env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANGUAGE", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(var));
    env.insert(QStringLiteral("DEFAULT_BROWSER"), dir_.filePath(QStringLiteral("browser.sh")));
    env.insert(QStringLiteral("BROWSER"), dir_.filePath(QStringLiteral("browser.sh")));
    return env;
}

App::App(const AppHome& appHome)
    : home_(appHome) {}

App::~App() {
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(10000);
    }
}

QString App::binary() {
    return QStringLiteral(CLIPNEST_BINARY_DIR "/app/clipnest");
}

bool App::start(const QStringList& arguments, const QMap<QString, QString>& extra) {
    process_ = std::make_unique<QProcess>();
    QProcessEnvironment env = home_.environment();
    for (auto it = extra.cbegin(); it != extra.cend(); ++it) {
        if (it.value().isEmpty())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
    process_->setProcessEnvironment(env);
    process_->setWorkingDirectory(home_.path());
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->start(binary(), arguments);
    return process_->waitForStarted(10000);
}

qint64 App::pid() const {
    return process_ ? process_->processId() : 0;
}

bool App::isRunning() const {
    return process_ && process_->state() == QProcess::Running;
}

bool App::waitForTray(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (!isRunning())
            return false;
        if (!trayIconWindow(pid()).isEmpty())
            return true;
        QTest::qWait(100);
    }
    return false;
}

bool App::waitForExit(int timeoutMs) {
    return process_ &&
           (process_->state() == QProcess::NotRunning || process_->waitForFinished(timeoutMs));
}

int App::exitCode() const {
    return process_ ? process_->exitCode() : -1;
}

QProcess::ExitStatus App::exitStatus() const {
    return process_ ? process_->exitStatus() : QProcess::CrashExit;
}

void App::killHard() {
    if (isRunning()) {
        ::kill(static_cast<pid_t>(pid()), SIGKILL);
        process_->waitForFinished(10000);
    }
}

QString App::output() {
    if (process_)
        collected_ += QString::fromLocal8Bit(process_->readAll());
    return collected_;
}

QString videoOfLink(const QString& link) {
    return QString(link).replace(QStringLiteral("/v/"), QStringLiteral("/video.php/")) +
           QStringLiteral(".mp4");
}

} // namespace Desktop

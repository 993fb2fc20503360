// The program as a distribution installs it: `cmake --install` into a scratch
// prefix, and the Debian package that `make package` builds, unpacked and run.
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString AppId = QStringLiteral("invalid.clipnest.Clipnest");

struct Result {
    int code = -1;
    QString out;
};

// Both channels merged: validators write their findings to either.
Result run(const QString& program, const QStringList& args,
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Result r;
    if (!p.waitForStarted(30000)) {
        r.out = program + QStringLiteral(": ") + p.errorString();
        return r;
    }
    p.waitForFinished(-1); // cmake/cpack take as long as they take; ctest bounds the test
    r.out = QString::fromLocal8Bit(p.readAll());
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

bool haveTool(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// The program's --version, run without any display: packaging machines have none.
Result versionOf(const QString& binary, const QString& libraryPath = QString()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!libraryPath.isEmpty())
        env.insert(QStringLiteral("LD_LIBRARY_PATH"), libraryPath);
    return run(binary, {QStringLiteral("--version")}, env);
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void installsTheDesktopFilesIntoAPrefix() {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const Result install =
            run(QStringLiteral("cmake"),
                {QStringLiteral("--install"), QStringLiteral(CLIPNEST_BINARY_DIR),
                 QStringLiteral("--prefix"), prefix.path()});
        QVERIFY2(install.code == 0, qPrintable(install.out));
        const QDir root(prefix.path());

        for (const QString& exe :
             {QStringLiteral("bin/clipnest"), QStringLiteral("bin/clipnest-rec")}) {
            const QFileInfo info(root.filePath(exe));
            QVERIFY2(info.isFile() && info.isExecutable(), qPrintable(exe));
        }
        const Result version = versionOf(root.filePath(QStringLiteral("bin/clipnest")));
        QVERIFY2(version.code == 0, qPrintable(version.out));
        QVERIFY2(
            version.out.startsWith(QStringLiteral("Clipnest ") + QStringLiteral(CLIPNEST_VERSION)),
            qPrintable(version.out));

        // Every icon size is a real picture of that size, plus the scalable drawing.
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString path = root.filePath(
                QStringLiteral("share/icons/hicolor/%1x%1/apps/clipnest.png").arg(size));
            QImageReader reader(path);
            QVERIFY2(reader.canRead(), qPrintable(path));
            QCOMPARE(reader.size(), QSize(size, size));
        }
        QFile svg(root.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/clipnest.svg")));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));

        const QString desktop =
            root.filePath(QStringLiteral("share/applications/%1.desktop").arg(AppId));
        QVERIFY(QFile::exists(desktop));
        const QString metainfo =
            root.filePath(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId));
        QVERIFY(QFile::exists(metainfo));
        QFile meta(metainfo);
        QVERIFY(meta.open(QIODevice::ReadOnly));
        // The release names the version that was built, not a placeholder.
        QVERIFY(meta.readAll().contains("version=\"" CLIPNEST_VERSION "\""));

        const QString manPage = root.filePath(QStringLiteral("share/man/man1/clipnest.1"));
        QVERIFY(QFile::exists(manPage));
        QVERIFY(QFileInfo::exists(root.filePath(QStringLiteral("share/man/man1/clipnest-rec.1"))));

        if (!haveTool(QStringLiteral("desktop-file-validate")) ||
            !haveTool(QStringLiteral("appstreamcli")) || !haveTool(QStringLiteral("man")))
            QSKIP("validators missing: run scripts/install-deps.sh");
        const Result desktopCheck = run(QStringLiteral("desktop-file-validate"), {desktop});
        QVERIFY2(desktopCheck.code == 0 && desktopCheck.out.trimmed().isEmpty(),
                 qPrintable(desktopCheck.out));
        const Result metaCheck =
            run(QStringLiteral("appstreamcli"),
                {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
        QVERIFY2(metaCheck.code == 0, qPrintable(metaCheck.out));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        const Result page = run(QStringLiteral("man"),
                                {QStringLiteral("--warnings"), QStringLiteral("-l"), manPage}, env);
        QVERIFY2(page.code == 0, qPrintable(page.out));
        QVERIFY2(page.out.contains(QLatin1String("--capture")), qPrintable(page.out));
        QVERIFY2(!page.out.contains(QLatin1String("warning")), qPrintable(page.out));
    }

    void packageUnpacksAndRuns() {
        if (!haveTool(QStringLiteral("cpack")) || !haveTool(QStringLiteral("dpkg-deb")) ||
            !haveTool(QStringLiteral("dpkg-shlibdeps")))
            QSKIP("packaging tools missing: run scripts/install-deps.sh");
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString out = work.filePath(QStringLiteral("out"));
        QProcess cpack;
        cpack.setWorkingDirectory(QStringLiteral(CLIPNEST_BINARY_DIR));
        cpack.setProcessChannelMode(QProcess::MergedChannels);
        cpack.start(QStringLiteral("cpack"),
                    {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out});
        QVERIFY(cpack.waitForStarted());
        cpack.waitForFinished(-1);
        QVERIFY2(cpack.exitCode() == 0, cpack.readAll().constData());

        const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = QDir(out).filePath(debs.first());

        // Dependencies come from the libraries the executables link.
        const Result depends =
            run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
        QCOMPARE(depends.code, 0);
        for (const char* lib :
             {"libqt6widgets6", "libqt6network6", "libc6", "qt6-qpa-plugins", "qt6-wayland"})
            QVERIFY2(depends.out.contains(QLatin1String(lib)), qPrintable(depends.out));
        QVERIFY2(depends.out.contains(QLatin1String("libavcodec")), qPrintable(depends.out));

        const QString root = work.filePath(QStringLiteral("root"));
        const Result unpack = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root});
        QVERIFY2(unpack.code == 0, qPrintable(unpack.out));
        for (const char* file :
             {"usr/bin/clipnest", "usr/bin/clipnest-rec", "usr/share/man/man1/clipnest.1",
              "usr/share/applications/invalid.clipnest.Clipnest.desktop",
              "usr/share/metainfo/invalid.clipnest.Clipnest.metainfo.xml",
              "usr/share/icons/hicolor/scalable/apps/clipnest.svg",
              "usr/share/icons/hicolor/48x48/apps/clipnest.png"})
            QVERIFY2(QFileInfo::exists(QDir(root).filePath(QString::fromLatin1(file))), file);

        const Result version = versionOf(QDir(root).filePath(QStringLiteral("usr/bin/clipnest")));
        QVERIFY2(version.code == 0, qPrintable(version.out));
        QVERIFY2(
            version.out.startsWith(QStringLiteral("Clipnest ") + QStringLiteral(CLIPNEST_VERSION)),
            qPrintable(version.out));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"

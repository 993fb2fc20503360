// The recording in progress lives in a folder only this user can enter; links planted at
// its path are never followed.
#include "capture/RecordingPath.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestRecordingPath : public QObject {
    Q_OBJECT
private slots:
    void createsPrivateFolderInRuntimeDir();
    void fallsBackToPerUserFolderInTemp();
    void refusesFolderOthersCanEnter();
    void refusesFolderThatIsALink();
    void refusesFolderOwnedBySomeoneElse();
    void removesPlantedLinkWithoutTouchingTarget();
    void keepsRegularFileForOverwrite();

private:
    static mode_t modeOf(const QString& path) {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
    }
};

void TestRecordingPath::createsPrivateFolderInRuntimeDir() {
    QTemporaryDir runtime;
    const RecordingPath p = prepareRecordingPath(runtime.path(), QStringLiteral("/nonexistent"));
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.filePath, runtime.path() + QStringLiteral("/clipnest/readyOrNot.mp4"));
    const mode_t mode = modeOf(runtime.path() + QStringLiteral("/clipnest"));
    QVERIFY(S_ISDIR(mode));
    QCOMPARE(mode & 0777, mode_t(0700));
    // A second call accepts the folder it made.
    QCOMPARE(prepareRecordingPath(runtime.path(), QString()).filePath, p.filePath);
}

void TestRecordingPath::fallsBackToPerUserFolderInTemp() {
    QTemporaryDir temp;
    const RecordingPath p = prepareRecordingPath(QString(), temp.path());
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    const QString folder = QStringLiteral("%1/clipnest-%2").arg(temp.path()).arg(getuid());
    QCOMPARE(p.filePath, folder + QStringLiteral("/readyOrNot.mp4"));
    QCOMPARE(modeOf(folder) & 0777, mode_t(0700));
}

void TestRecordingPath::refusesFolderOthersCanEnter() {
    QTemporaryDir runtime;
    const QString folder = runtime.path() + QStringLiteral("/clipnest");
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    const RecordingPath p = prepareRecordingPath(runtime.path(), QString());
    QVERIFY(p.filePath.isEmpty());
    QVERIFY2(p.error.contains(folder), qPrintable(p.error));
}

void TestRecordingPath::refusesFolderThatIsALink() {
    QTemporaryDir runtime;
    QTemporaryDir elsewhere;
    QVERIFY(::chmod(QFile::encodeName(elsewhere.path()).constData(), 0700) == 0);
    QVERIFY(QFile::link(elsewhere.path(), runtime.path() + QStringLiteral("/clipnest")));
    const RecordingPath p = prepareRecordingPath(runtime.path(), QString());
    QVERIFY(p.filePath.isEmpty());
    QVERIFY(!p.error.isEmpty());
}

void TestRecordingPath::refusesFolderOwnedBySomeoneElse() {
    if (::geteuid() != 0)
        QSKIP("changing a folder's owner needs root");
    QTemporaryDir runtime;
    const QString folder = runtime.path() + QStringLiteral("/clipnest");
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0700) == 0);
    QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
    const RecordingPath p = prepareRecordingPath(runtime.path(), QString());
    QVERIFY(p.filePath.isEmpty());
    QVERIFY(!p.error.isEmpty());
}

void TestRecordingPath::removesPlantedLinkWithoutTouchingTarget() {
    QTemporaryDir runtime;
    QTemporaryDir victimDir;
    const QString victim = victimDir.path() + QStringLiteral("/precious");
    {
        QFile f(victim);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    const RecordingPath first = prepareRecordingPath(runtime.path(), QString());
    QVERIFY(first.error.isEmpty());
    QVERIFY(QFile::link(victim, first.filePath));

    const RecordingPath p = prepareRecordingPath(runtime.path(), QString());
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QVERIFY(!QFileInfo(p.filePath).isSymLink());
    QVERIFY(!QFileInfo::exists(p.filePath));
    QFile f(victim);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
}

void TestRecordingPath::keepsRegularFileForOverwrite() {
    QTemporaryDir runtime;
    const RecordingPath first = prepareRecordingPath(runtime.path(), QString());
    {
        QFile f(first.filePath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old video");
    }
    const RecordingPath p = prepareRecordingPath(runtime.path(), QString());
    QVERIFY(p.error.isEmpty());
    QVERIFY(QFileInfo::exists(p.filePath));
}

QTEST_GUILESS_MAIN(TestRecordingPath)
#include "tst_recordingpath.moc"

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
    void savedCopyReplacesAnExistingFile();
    void failedSaveLeavesBothFilesAsTheyWere();

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

namespace {

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

void TestRecordingPath::savedCopyReplacesAnExistingFile() {
    QTemporaryDir dir;
    const QString recording = dir.filePath("recording.mp4");
    const QString target = dir.filePath("chosen.mp4");
    // More than one copy chunk, so that the copy loop goes round.
    QByteArray video(3 * 1024 * 1024 + 17, '\0');
    for (int i = 0; i < video.size(); ++i)
        video[i] = char(i * 7);
    writeFile(recording, video);
    writeFile(target, "an older video the user agreed to replace");

    QVERIFY(saveRecordingCopy(recording, target));
    QCOMPARE(readFile(target), video);
    QCOMPARE(readFile(recording), video);
    // Nothing left over beside the target.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestRecordingPath::failedSaveLeavesBothFilesAsTheyWere() {
    QTemporaryDir dir;
    const QString recording = dir.filePath("recording.mp4");
    writeFile(recording, "the only copy of the video");

    // A folder that is a plain file: nothing can be written there, not even by root.
    writeFile(dir.filePath("plain"), "not a folder");
    QVERIFY(!saveRecordingCopy(recording, dir.filePath("plain/video.mp4")));
    QCOMPARE(readFile(recording), QByteArray("the only copy of the video"));
    QCOMPARE(readFile(dir.filePath("plain")), QByteArray("not a folder"));

    // A missing recording does not wipe the target.
    const QString target = dir.filePath("kept.mp4");
    writeFile(target, "precious");
    QVERIFY(!saveRecordingCopy(dir.filePath("gone.mp4"), target));
    QVERIFY(!saveRecordingCopy(QString(), target));
    QCOMPARE(readFile(target), QByteArray("precious"));
}

QTEST_GUILESS_MAIN(TestRecordingPath)
#include "tst_recordingpath.moc"

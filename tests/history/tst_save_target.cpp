// Where a saved recording goes, as a new user meets it: no videos folder yet, a name typed
// without its extension or with "~", a folder that may not be written to. Real folders under
// a home of the test's own.
#include "history/RecordingSaver.h"
#include "history/SaveTarget.h"
#include "tests/support/UnwritableFolder.h"

#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSaveTarget : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void proposesTheVideosFolderMadeOnDemand();
    void proposesHomeWhereNoVideosFolderCanBeMade();
    void theChosenFolderStandsWhileItIsOne();
    void proposedNameIsTheRecordingsTime();
    void typedNamesBecomeMp4FilesAtHome();
    void completedNameNeverReplacesUnasked();
    void failuresAreOurSentenceWithTheSystemsDetail();
    void failureReadsInTheInterfaceLanguage();

private:
    std::unique_ptr<QTemporaryDir> base_;
    QString home_;
    QByteArray oldHome_, oldConfig_;
};

void TestSaveTarget::init() {
    oldHome_ = qgetenv("HOME");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    base_ = std::make_unique<QTemporaryDir>();
    home_ = base_->filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home_ + QStringLiteral("/.config")));
    qputenv("HOME", QFile::encodeName(home_));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_ + QStringLiteral("/.config")));
}

void TestSaveTarget::cleanup() {
    qputenv("HOME", oldHome_);
    if (oldConfig_.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig_);
    base_.reset();
}

void TestSaveTarget::proposesTheVideosFolderMadeOnDemand() {
    // No user directories configured and no ~/Videos: the dialog must not open elsewhere.
    const QString videos = home_ + QStringLiteral("/Videos");
    QVERIFY(!QFileInfo::exists(videos));
    QCOMPARE(SaveTarget::proposedFolder(), videos);
    QVERIFY(QFileInfo(videos).isDir());
    // Asked again, the folder is there and stays as it is.
    QVERIFY(writeFile(videos + QStringLiteral("/earlier.mp4"), "earlier"));
    QCOMPARE(SaveTarget::proposedFolder(), videos);
    QCOMPARE(readFile(videos + QStringLiteral("/earlier.mp4")), QByteArray("earlier"));

    // The user's own name for it, from the XDG user directories, made as well.
    QVERIFY(writeFile(home_ + QStringLiteral("/.config/user-dirs.dirs"),
                      "XDG_VIDEOS_DIR=\"$HOME/Filmes\"\n"));
    QCOMPARE(SaveTarget::proposedFolder(), home_ + QStringLiteral("/Filmes"));
    QVERIFY(QFileInfo(home_ + QStringLiteral("/Filmes")).isDir());
}

void TestSaveTarget::proposesHomeWhereNoVideosFolderCanBeMade() {
    // The configured videos folder is a plain file: nothing can be made there.
    QVERIFY(writeFile(home_ + QStringLiteral("/Clips"), "not a folder"));
    QVERIFY(writeFile(home_ + QStringLiteral("/.config/user-dirs.dirs"),
                      "XDG_VIDEOS_DIR=\"$HOME/Clips\"\n"));
    QCOMPARE(SaveTarget::proposedFolder(), home_);
    QCOMPARE(readFile(home_ + QStringLiteral("/Clips")), QByteArray("not a folder"));

    // A home nobody may write to, without a videos folder.
    QVERIFY(QFile::remove(home_ + QStringLiteral("/.config/user-dirs.dirs")));
    const QString lockedHome = base_->filePath(QStringLiteral("locked-home"));
    UnwritableFolder locked(lockedHome, {});
    if (!locked.isValid())
        QSKIP("can not make a folder unwritable here");
    qputenv("HOME", QFile::encodeName(lockedHome));
    QCOMPARE(SaveTarget::proposedFolder(), lockedHome);
    QVERIFY(!QFileInfo::exists(lockedHome + QStringLiteral("/Videos")));
}

void TestSaveTarget::theChosenFolderStandsWhileItIsOne() {
    const QString videos = home_ + QStringLiteral("/Videos");
    const QString chosen = base_->filePath(QStringLiteral("Screen casts"));
    QVERIFY(QDir().mkpath(chosen));
    QCOMPARE(SaveTarget::folderFor(chosen), chosen);
    QCOMPARE(SaveTarget::folderFor(QString(chosen + QStringLiteral("/"))), chosen);
    // Nothing stored, blank, a relative name, a number from a damaged file, a plain file, a
    // folder since removed: the videos folder, never a dialog pointed at nothing.
    QVERIFY(writeFile(home_ + QStringLiteral("/clip.mp4"), "a file"));
    for (const QVariant& broken :
         {QVariant(), QVariant(QStringLiteral("  ")), QVariant(QStringLiteral("Videos")),
          QVariant(42), QVariant(QString(home_ + QStringLiteral("/clip.mp4")))})
        QCOMPARE(SaveTarget::folderFor(broken), videos);
    QVERIFY(QDir(chosen).removeRecursively());
    QCOMPARE(SaveTarget::folderFor(chosen), videos);
    QCOMPARE(readFile(home_ + QStringLiteral("/clip.mp4")), QByteArray("a file"));
}

void TestSaveTarget::proposedNameIsTheRecordingsTime() {
    const QDateTime recorded(QDate(2013, 3, 3), QTime(14, 5, 9));
    QCOMPARE(SaveTarget::proposedPath(QStringLiteral("/home/ana/Videos"), recorded),
             QStringLiteral("/home/ana/Videos/record-14.05.09[03.03.2013].mp4"));
    // Another recording, another name, whenever it is saved.
    QCOMPARE(SaveTarget::proposedPath(QStringLiteral("/home/ana/Videos"), recorded.addSecs(-3600)),
             QStringLiteral("/home/ana/Videos/record-13.05.09[03.03.2013].mp4"));
}

void TestSaveTarget::typedNamesBecomeMp4FilesAtHome() {
    const QString videos = home_ + QStringLiteral("/Videos");
    const struct {
        const char* typed;
        QString file;
    } cases[] = {
        {"~/Videos/first.mp4", videos + QStringLiteral("/first.mp4")},
        {"~/Videos/first", videos + QStringLiteral("/first.mp4")},
        {"~/x.mp4", home_ + QStringLiteral("/x.mp4")},
        {"first", videos + QStringLiteral("/first.mp4")},
        {"sub/../take two", videos + QStringLiteral("/take two.mp4")},
        {"/media/usb/Clip.MP4", QStringLiteral("/media/usb/Clip.MP4")},
        // A dot in the name is not an extension: the dialog's own proposal has several.
        {"/media/usb/record-14.05.09[03.03.2013]", "/media/usb/record-14.05.09[03.03.2013].mp4"},
        {"/media/usb/clip.mkv", QStringLiteral("/media/usb/clip.mkv.mp4")},
        // "~" only at the start means home.
        {"/media/~/a", QStringLiteral("/media/~/a.mp4")},
        // A folder stays a folder; the save then says that it is one.
        {"/media/usb/", QStringLiteral("/media/usb")},
        {"", QString()},
    };
    for (const auto& c : cases)
        QCOMPARE(SaveTarget::resolve(QString::fromUtf8(c.typed), videos), c.file);
}

void TestSaveTarget::completedNameNeverReplacesUnasked() {
    const QString folder = base_->path();
    const QString existing = folder + QStringLiteral("/first.mp4");
    QVERIFY(writeFile(existing, "the user's older video"));
    // The dialog gave "first", we would write "first.mp4": nobody asked about that file.
    QVERIFY(SaveTarget::replacesUnasked(folder + QStringLiteral("/first"), existing));
    // The dialog gave the very file: its own question was asked and answered.
    QVERIFY(!SaveTarget::replacesUnasked(existing, existing));
    // A completed name that is free.
    QVERIFY(!SaveTarget::replacesUnasked(folder + QStringLiteral("/second"),
                                         folder + QStringLiteral("/second.mp4")));
    // A dangling link would be replaced too.
    QVERIFY(
        QFile::link(folder + QStringLiteral("/nowhere"), folder + QStringLiteral("/third.mp4")));
    QVERIFY(SaveTarget::replacesUnasked(folder + QStringLiteral("/third"),
                                        folder + QStringLiteral("/third.mp4")));
    QCOMPARE(readFile(existing), QByteArray("the user's older video"));
}

void TestSaveTarget::failuresAreOurSentenceWithTheSystemsDetail() {
    const QString source = base_->filePath(QStringLiteral("rec.mp4"));
    QVERIFY(writeFile(source, "the recording"));

    // What the new user met: a folder that is not there.
    const QString missing = home_ + QStringLiteral("/Videos/first.mp4");
    RecordingSave::Result r = RecordingSave::moveRecording(source, missing);
    QVERIFY(!r.ok);
    QCOMPARE(
        r.error,
        QStringLiteral("Can not save the recording as %1: there is no such folder.").arg(missing));
    QCOMPARE(r.detail, QString::fromLocal8Bit(std::strerror(ENOENT)));
    QCOMPARE(readFile(source), QByteArray("the recording"));

    // A folder nobody may write to: the path once, the system's words only as the detail.
    const QString lockedFolder = base_->filePath(QStringLiteral("locked"));
    UnwritableFolder locked(lockedFolder, {});
    if (!locked.isValid())
        QSKIP("can not make a folder unwritable here");
    const QString target = lockedFolder + QStringLiteral("/video.mp4");
    r = RecordingSave::moveRecording(source, target);
    QVERIFY(!r.ok);
    QCOMPARE(r.error.count(target), 1);
    QVERIFY2(r.error.startsWith(QStringLiteral("Can not save the recording as %1: ").arg(target)),
             qPrintable(r.error));
    QVERIFY(!r.detail.isEmpty());
    QVERIFY2(!r.error.contains(r.detail), qPrintable(r.error));
    const QStringList systemWords{QString::fromLocal8Bit(std::strerror(EACCES)),
                                  QString::fromLocal8Bit(std::strerror(EPERM)),
                                  QString::fromLocal8Bit(std::strerror(EROFS))};
    QVERIFY2(systemWords.contains(r.detail), qPrintable(r.detail));
    QCOMPARE(readFile(source), QByteArray("the recording"));
    QVERIFY(!QFileInfo::exists(target));
}

// The same missing folder with the interface in Spanish: the whole sentence is Spanish, and
// the system's English words stay out of it, in the detail the message box shows apart.
void TestSaveTarget::failureReadsInTheInterfaceLanguage() {
    QTranslator spanish;
    QVERIFY(spanish.load(QStringLiteral(":/Resources/locales/es.qm")));
    QCoreApplication::installTranslator(&spanish);
    const QString source = base_->filePath(QStringLiteral("rec.mp4"));
    QVERIFY(writeFile(source, "the recording"));
    const QString missing = home_ + QStringLiteral("/Videos/first.mp4");
    const RecordingSave::Result r = RecordingSave::moveRecording(source, missing);
    QCoreApplication::removeTranslator(&spanish);
    QVERIFY(!r.ok);
    QCOMPARE(r.error,
             QString::fromUtf8("No se puede guardar la grabación como %1: esa carpeta no existe.")
                 .arg(missing));
    QCOMPARE(r.detail, QString::fromLocal8Bit(std::strerror(ENOENT)));
    QVERIFY2(!r.error.contains(r.detail), qPrintable(r.error));
    QCOMPARE(readFile(source), QByteArray("the recording"));
}

QTEST_GUILESS_MAIN(TestSaveTarget)
#include "tst_save_target.moc"

// A failed system call as the user reads it: our words in the interface language, with the
// system's own (English here, whatever the interface says) only as a detail after them. Real
// failures where the system can make them: a missing file, a path through a file, the full
// device /dev/full; permission is taken by its code, since the tests may run as root.
#include "core/SystemError.h"
#include "history/PrivateFolder.h"

#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

QString systemWords(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Our catalogue of `code`, and Qt's beside it when `withQt`, installed for the test's scope.
class Language {
public:
    Language(const QString& code, bool withQt) {
        ok_ = ours_.load(QStringLiteral(":/Resources/locales/%1.qm").arg(code));
        if (withQt)
            ok_ = ok_ && qt_.load(code == QLatin1String("br") ? QStringLiteral("qtbase_pt_BR")
                                                              : QStringLiteral("qtbase_") + code,
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (withQt)
            QCoreApplication::installTranslator(&qt_);
        QCoreApplication::installTranslator(&ours_);
    }
    ~Language() {
        QCoreApplication::removeTranslator(&ours_);
        QCoreApplication::removeTranslator(&qt_);
    }
    bool ok() const { return ok_; }

private:
    QTranslator ours_, qt_;
    bool ok_ = false;
};

} // namespace

class TestSystemError : public QObject {
    Q_OBJECT

private slots:
    void phraseIsOursAndTheSystemsWordsADetail_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("en ENOENT") << "en" << ENOENT << "the file or folder does not exist";
        QTest::newRow("es ENOENT") << "es" << ENOENT << "el archivo o la carpeta no existe";
        QTest::newRow("es EACCES") << "es" << EACCES << "permiso denegado";
        QTest::newRow("es ENOSPC") << "es" << ENOSPC << QString::fromUtf8("el disco está lleno");
        QTest::newRow("br ENOENT")
            << "br" << ENOENT << QString::fromUtf8("o arquivo ou a pasta não existe");
        QTest::newRow("br EACCES") << "br" << EACCES << QString::fromUtf8("permissão negada");
        QTest::newRow("br ENOSPC") << "br" << ENOSPC << QString::fromUtf8("o disco está cheio");
    }

    void phraseIsOursAndTheSystemsWordsADetail() {
        QFETCH(QString, language);
        QFETCH(int, code);
        QFETCH(QString, phrase);
        Language installed(language, false);
        QVERIFY(installed.ok());
        QCOMPARE(SystemError::phrase(code), phrase);
        QCOMPARE(SystemError::systemText(code), systemWords(code));
        const QString detailWord = language == QLatin1String("es")   ? QStringLiteral("detalles")
                                   : language == QLatin1String("br") ? QStringLiteral("detalhes")
                                                                     : QStringLiteral("details");
        QCOMPARE(SystemError::describe(code),
                 QStringLiteral("%1 (%2: %3)").arg(phrase, detailWord, systemWords(code)));
    }

    // An errno value we have no words for still says it failed, with the number, in the
    // interface language.
    void unknownCodeSaysTheNumber() {
        Language installed(QStringLiteral("es"), false);
        QVERIFY(installed.ok());
        QCOMPARE(SystemError::phrase(EHOSTDOWN),
                 QStringLiteral("el sistema lo rechazó (error %1)").arg(EHOSTDOWN));
    }

    // Qt's file errors carry the system's words, which Qt's own catalogue translates for some
    // of them: either way they lead back to the right phrase.
    void filesFailingForRealGetOurWords_data() {
        QTest::addColumn<bool>("withQt");
        QTest::newRow("our catalogue") << false;
        QTest::newRow("ours and Qt's") << true;
    }

    void filesFailingForRealGetOurWords() {
        QFETCH(bool, withQt);
        Language installed(QStringLiteral("es"), withQt);
        QVERIFY(installed.ok());
        QTemporaryDir dir;

        QFile missing(dir.filePath(QStringLiteral("not-there.mp4")));
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        QCOMPARE(SystemError::phrase(missing), QStringLiteral("el archivo o la carpeta no existe"));
        QVERIFY2(SystemError::describe(missing).endsWith(
                     QStringLiteral("(detalles: %1)").arg(missing.errorString())),
                 qPrintable(SystemError::describe(missing)));

        // The device that is always full.
        QFile full(QStringLiteral("/dev/full"));
        if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            QSKIP("no /dev/full here");
        QVERIFY(full.write(QByteArray(4096, 'x')) < 0);
        QCOMPARE(SystemError::phrase(full), QString::fromUtf8("el disco está lleno"));
        QCOMPARE(SystemError::describe(full),
                 QString::fromUtf8("el disco está lleno (detalles: %1)").arg(full.errorString()));
    }

    // A history message with a real failure in it: the recordings folder asked for below a
    // file. The sentence is Spanish throughout; the system's words come only as the detail.
    void recordingsFolderBelowAFileInSpanish() {
        Language installed(QStringLiteral("es"), true);
        QVERIFY(installed.ok());
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a-file"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString folder = file + QStringLiteral("/recordings");
        const QString error = PrivateFolder::ensure(folder);
        QCOMPARE(error, QString::fromUtf8("No se puede crear la carpeta de grabaciones %1: una "
                                          "parte de la ruta no es una carpeta (detalles: %2)")
                            .arg(folder, systemWords(ENOTDIR)));
    }
};

QTEST_GUILESS_MAIN(TestSystemError)
#include "tst_system_error.moc"

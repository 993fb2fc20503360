// The global key combinations the user chooses: which combinations may be chosen, how they survive
// the settings file (broken values included), and the dialog's field as keys are pressed into it.
#include "widgets/KeyCombination.h"
#include "widgets/ShortcutDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace KeyCombination;

Q_DECLARE_METATYPE(KeyCombination::Verdict)
Q_DECLARE_METATYPE(KeyCombination::Input)

namespace {
QKeyCombination combo(Qt::KeyboardModifiers mods, Qt::Key key) {
    return QKeyCombination(mods, key);
}
} // namespace

class TestKeyCombination : public QObject {
    Q_OBJECT
private slots:
    void judgesWhatMayBeGlobal_data() {
        QTest::addColumn<QKeyCombination>("combination");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("Print") << combo(Qt::NoModifier, Qt::Key_Print) << Verdict::Accepted;
        QTest::newRow("F5") << combo(Qt::NoModifier, Qt::Key_F5) << Verdict::Accepted;
        QTest::newRow("Pause") << combo(Qt::NoModifier, Qt::Key_Pause) << Verdict::Accepted;
        QTest::newRow("Ctrl+Alt+K")
            << combo(Qt::ControlModifier | Qt::AltModifier, Qt::Key_K) << Verdict::Accepted;
        QTest::newRow("Super+Left") << combo(Qt::MetaModifier, Qt::Key_Left) << Verdict::Accepted;
        QTest::newRow("K") << combo(Qt::NoModifier, Qt::Key_K) << Verdict::NeedsModifier;
        QTest::newRow("Shift+K") << combo(Qt::ShiftModifier, Qt::Key_K) << Verdict::NeedsModifier;
        QTest::newRow("Space") << combo(Qt::NoModifier, Qt::Key_Space) << Verdict::NeedsModifier;
        QTest::newRow("Shift+Home")
            << combo(Qt::ShiftModifier, Qt::Key_Home) << Verdict::NeedsModifier;
        QTest::newRow("Ctrl alone")
            << combo(Qt::ControlModifier, Qt::Key_Control) << Verdict::Unsupported;
        QTest::newRow("unknown") << combo(Qt::ControlModifier, Qt::Key_unknown)
                                 << Verdict::Unsupported;
        QTest::newRow("no name on every desktop")
            << combo(Qt::ControlModifier, Qt::Key_Hangul) << Verdict::Unsupported;
    }

    void judgesWhatMayBeGlobal() {
        QFETCH(QKeyCombination, combination);
        QFETCH(Verdict, verdict);
        QCOMPARE(judge(combination), verdict);
    }

    void readsPressesInTheField_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<Input>("input");
        QTest::newRow("Ctrl held")
            << int(Qt::Key_Control) << Qt::KeyboardModifiers(Qt::ControlModifier) << Input::Wait;
        QTest::newRow("Super held")
            << int(Qt::Key_Super_L) << Qt::KeyboardModifiers(Qt::MetaModifier) << Input::Wait;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << Qt::KeyboardModifiers() << Input::PassOn;
        QTest::newRow("Shift+Tab")
            << int(Qt::Key_Backtab) << Qt::KeyboardModifiers(Qt::ShiftModifier) << Input::PassOn;
        QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << Input::PassOn;
        QTest::newRow("keypad Enter")
            << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << Input::PassOn;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << Input::PassOn;
        QTest::newRow("Backspace")
            << int(Qt::Key_Backspace) << Qt::KeyboardModifiers() << Input::Clear;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << Input::Clear;
        QTest::newRow("Ctrl+Delete")
            << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ControlModifier) << Input::Record;
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                  << Input::Record;
        QTest::newRow("Print") << int(Qt::Key_Print) << Qt::KeyboardModifiers() << Input::Record;
        QTest::newRow("K") << int(Qt::Key_K) << Qt::KeyboardModifiers() << Input::Record;
    }

    void readsPressesInTheField() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(Input, input);
        QCOMPARE(interpretPress(key, mods), input);
    }

    void keypadFlagIsDropped() {
        const QKeyCombination c = fromPress(Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(c, combo(Qt::ControlModifier, Qt::Key_5));
    }

    void storedValuesFallBackWhenBroken_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("expected"); // portable text; "" for none
        QTest::addColumn<bool>("broken");
        QTest::newRow("missing") << QVariant() << QStringLiteral("Print") << false;
        QTest::newRow("none") << QVariant(QString()) << QString() << false;
        QTest::newRow("blank") << QVariant(QStringLiteral("  ")) << QString() << false;
        QTest::newRow("chosen") << QVariant(QStringLiteral("Ctrl+Alt+K"))
                                << QStringLiteral("Ctrl+Alt+K") << false;
        QTest::newRow("spaces around")
            << QVariant(QStringLiteral(" F9 ")) << QStringLiteral("F9") << false;
        QTest::newRow("a bare letter")
            << QVariant(QStringLiteral("K")) << QStringLiteral("Print") << true;
        QTest::newRow("two combinations")
            << QVariant(QStringLiteral("Ctrl+K, Ctrl+X")) << QStringLiteral("Print") << true;
        QTest::newRow("no such key")
            << QVariant(QStringLiteral("Ctrl+Nonsense")) << QStringLiteral("Print") << true;
        QTest::newRow("modifier alone")
            << QVariant(QStringLiteral("Ctrl+")) << QStringLiteral("Print") << true;
        QTest::newRow("a list") << QVariant(QStringList{QStringLiteral("Ctrl+K"), QString()})
                                << QStringLiteral("Print") << true;
        QTest::newRow("a number") << QVariant(7) << QStringLiteral("Print") << true;
    }

    void storedValuesFallBackWhenBroken() {
        QFETCH(QVariant, stored);
        QFETCH(QString, expected);
        QFETCH(bool, broken);
        bool wasBroken = !broken;
        const QKeySequence got = fromStored(stored, QKeySequence(Qt::Key_Print), &wasBroken);
        QCOMPARE(got.toString(QKeySequence::PortableText), expected);
        QCOMPARE(wasBroken, broken);
    }

    void combinationsSurviveTheSettingsFile_data() {
        QTest::addColumn<QKeySequence>("combination");
        QTest::newRow("Print") << QKeySequence(Qt::Key_Print);
        QTest::newRow("Ctrl+Alt+K") << QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K);
        // A comma makes the settings file read a list, unless the writer quotes it.
        QTest::newRow("Ctrl+comma") << QKeySequence(Qt::CTRL | Qt::Key_Comma);
        QTest::newRow("Super+Shift+F12") << QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_F12);
        QTest::newRow("none") << QKeySequence();
    }

    void combinationsSurviveTheSettingsFile() {
        QFETCH(QKeySequence, combination);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        {
            QSettings writer(path, QSettings::IniFormat);
            writer.setValue(QStringLiteral("Capture shortcut"), toStored(combination));
        }
        QSettings reader(path, QSettings::IniFormat);
        bool broken = true;
        const QKeySequence back = fromStored(reader.value(QStringLiteral("Capture shortcut")),
                                             QKeySequence(Qt::Key_F1), &broken);
        QVERIFY(!broken);
        QCOMPARE(back, combination);
    }

    void dialogFieldTakesPressedCombinations() {
        QKeySequence appliedCapture(Qt::Key_F1), appliedStop(Qt::Key_F1);
        int applied = 0;
        ShortcutDialog dialog(QKeySequence(Qt::Key_Print), QKeySequence(),
                              [&](const QKeySequence& capture, const QKeySequence& stop) {
                                  ++applied;
                                  appliedCapture = capture;
                                  appliedStop = stop;
                                  return QString();
                              });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* capture = dialog.findChild<ShortcutEdit*>(QStringLiteral("CaptureShortcutEdit"));
        auto* stop = dialog.findChild<ShortcutEdit*>(QStringLiteral("StopShortcutEdit"));
        auto* problem = dialog.findChild<QLabel*>(QStringLiteral("ShortcutProblem"));
        QVERIFY(capture && stop && problem);
        QCOMPARE(capture->combination(), QKeySequence(Qt::Key_Print));
        QCOMPARE(capture->text(), QStringLiteral("Print"));
        QVERIFY(stop->combination().isEmpty());

        // Modifiers alone wait; the key completes the combination.
        QTest::keyClick(capture, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(capture->combination(), QKeySequence(Qt::Key_Print));
        QTest::keyClick(capture, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(capture->combination(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
        QVERIFY(problem->isHidden());

        // A bare letter is refused with a reason; the field keeps what it had.
        QTest::keyClick(capture, Qt::Key_K);
        QCOMPARE(capture->combination(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
        QVERIFY(problem->isVisible());
        QVERIFY(problem->text().contains(QLatin1String("Ctrl, Alt or Super")));

        // The same combination cannot serve both actions.
        QTest::keyClick(stop, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(stop->combination().isEmpty());
        QVERIFY(problem->isVisible());
        QTest::keyClick(stop, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(stop->combination(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
        QVERIFY(problem->isHidden());
        // Ctrl+C is a combination here, not a copy.
        QTest::keyClick(stop, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(stop->combination(), QKeySequence(Qt::CTRL | Qt::Key_C));
        QTest::keyClick(stop, Qt::Key_Backspace);
        QVERIFY(stop->combination().isEmpty());
        QCOMPARE(applied, 0);

        // Return is the dialog's: it applies what the fields show.
        QTest::keyClick(capture, Qt::Key_Return);
        QCOMPARE(applied, 1);
        QCOMPARE(appliedCapture, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
        QVERIFY(appliedStop.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }

    void dialogKeepsItsHeightWhenAProblemShows() {
        ShortcutDialog dialog(QKeySequence(Qt::Key_Print), QKeySequence(),
                              [](const QKeySequence&, const QKeySequence&) { return QString(); });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* capture = dialog.findChild<ShortcutEdit*>(QStringLiteral("CaptureShortcutEdit"));
        auto* stop = dialog.findChild<ShortcutEdit*>(QStringLiteral("StopShortcutEdit"));
        auto* problem = dialog.findChild<QLabel*>(QStringLiteral("ShortcutProblem"));
        auto* ok = dialog.findChild<QPushButton*>();
        QVERIFY(capture && stop && problem && ok);
        const QSize size = dialog.size();
        const QPoint okAt = ok->mapTo(&dialog, QPoint(0, 0));

        // Each refusal comes and goes with the dialog and its buttons where they were.
        QTest::keyClick(capture, Qt::Key_K);
        QVERIFY(problem->isVisible());
        QCOMPARE(dialog.size(), size);
        QCOMPARE(ok->mapTo(&dialog, QPoint(0, 0)), okAt);
        QTest::keyClick(stop, Qt::Key_Print);
        QVERIFY(problem->text().contains(QLatin1String("already")));
        QCOMPARE(dialog.size(), size);
        QTest::keyClick(stop, Qt::Key_ScrollLock,
                        Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier |
                            Qt::MetaModifier);
        QVERIFY(problem->isHidden());
        QCOMPARE(dialog.size(), size);
        QCOMPARE(ok->mapTo(&dialog, QPoint(0, 0)), okAt);
        // The refusal naming the longest combination still fits the room kept for it.
        QTest::keyClick(capture, Qt::Key_ScrollLock,
                        Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier |
                            Qt::MetaModifier);
        QVERIFY(problem->isVisible());
        QCOMPARE(dialog.size(), size);
    }

    void escapeLeavesEverythingAsItWas() {
        int applied = 0;
        ShortcutDialog dialog(QKeySequence(Qt::Key_Print), QKeySequence(),
                              [&](const QKeySequence&, const QKeySequence&) {
                                  ++applied;
                                  return QString();
                              });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* capture = dialog.findChild<ShortcutEdit*>(QStringLiteral("CaptureShortcutEdit"));
        QTest::keyClick(capture, Qt::Key_F9);
        QCOMPARE(capture->combination(), QKeySequence(Qt::Key_F9));
        QTest::keyClick(capture, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(applied, 0);
    }
};

QTEST_MAIN(TestKeyCombination)
#include "tst_key_combination.moc"

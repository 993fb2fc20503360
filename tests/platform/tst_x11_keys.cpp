// What the X server is asked for when the user chooses a global key combination.
#include "platform/x11/X11Keys.h"
#include "widgets/KeyCombination.h"

#include <QMetaEnum>
#include <QtTest>

using namespace platform::x11;

namespace {
QKeyCombination combo(Qt::KeyboardModifiers mods, Qt::Key key) {
    return QKeyCombination(mods, key);
}
} // namespace

class X11KeysTest : public QObject {
    Q_OBJECT
private slots:
    void asksTheXServerForKeyAndModifiers() {
        X11Key k = toX11(combo(Qt::ControlModifier | Qt::AltModifier, Qt::Key_K));
        QCOMPARE(k.keysym, quint32(0x006b)); // XK_k: the key's plain symbol
        QCOMPARE(k.modifiers, quint16(kXControl | kXAlt));
        k = toX11(combo(Qt::NoModifier, Qt::Key_Print));
        QCOMPARE(k.keysym, quint32(0xff61));
        QCOMPARE(k.modifiers, quint16(0));
        k = toX11(combo(Qt::MetaModifier | Qt::ShiftModifier, Qt::Key_F12));
        QCOMPARE(k.keysym, quint32(0xffc9));
        QCOMPARE(k.modifiers, quint16(kXSuper | kXShift));
        k = toX11(combo(Qt::ControlModifier, Qt::Key_5));
        QCOMPARE(k.keysym, quint32(0x0035));
        // The X modifiers are all inside the mask the key events are compared with.
        QCOMPARE(quint16(kXControl | kXAlt | kXSuper | kXShift) & ~kXCombinationMask, 0);
    }

    // Every key the user may choose has an X name, and nothing else is asked of the X server:
    // checked over every key Qt knows, alone and with Ctrl.
    void everyChoosableKeyHasAnXName() {
        const QMetaEnum keys = QMetaEnum::fromType<Qt::Key>();
        QVERIFY(keys.keyCount() > 100);
        for (int i = 0; i < keys.keyCount(); ++i) {
            const auto key = Qt::Key(keys.value(i));
            for (const Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(Qt::NoModifier),
                                                     Qt::KeyboardModifiers(Qt::ControlModifier)}) {
                const QKeyCombination c = combo(mods, key);
                const bool accepted = KeyCombination::judge(c) == KeyCombination::Verdict::Accepted;
                QVERIFY2((toX11(c).keysym != 0) == accepted, keys.key(i));
            }
            QCOMPARE(keysymFor(key) != 0, KeyCombination::isNamedKey(key));
        }
    }
};

QTEST_APPLESS_MAIN(X11KeysTest)
#include "tst_x11_keys.moc"

// The floating record button: the edge rules and dock geometry as plain functions, then
// the real widget driven by mouse events on the offscreen platform.
#include "settings/AppSettings.h"
#include "widgets/SnapshotButton.h"
#include "widgets/SnapshotButtonGeometry.h"
#include "widgets/SoundSourceMenu.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

using namespace SnapshotButtonGeometry;

namespace {

const QRect kFullHd(0, 0, 1920, 1080);

// An 80 x 80 window whose centre (in the button's own rounding) is `c`.
QRect windowCentredAt(const QPoint& c) {
    return QRect(c.x() - 39, c.y() - 39, 80, 80);
}

void send(QWidget* w, QEvent::Type type, const QPoint& global, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

QString configHome;

} // namespace

class TestSnapshotButton : public QObject {
    Q_OBJECT
private slots:
    void nearestEdge_data();
    void nearestEdge();
    void dockAtTheRightEdge();
    void dockAtTheOtherEdges();
    void dockClampsIntoTheAvailableArea();
    void counterparts();

    void docksAndTucksInAtTheRight();
    void clickWithoutMovingEmitsClickedOnce();
    void dragMovesAndDocksWithoutClick();
    void moveWithAnotherButtonAfterAClickDoesNotDrag();
    void trembleWithinTheDragDistanceIsAClick();
    void pressWhileGlidingStopsTheGlide();
    void enterAndLeaveSlideOutAndIn();
    void delayedTuckInDoesNotShrinkANewDrag();
    void contextMenuEntryFollowsTheSetting();
    void soundSourceChoiceIsKeptInTheSettings();
    void dockedPlaceIsToldAndBrokenStoredPlacesAreRefused();
    void dockToAStoredEdgeKeepsThePlaceAlongIt();

private:
    std::unique_ptr<SnapshotButton> dockedButton();
};

void TestSnapshotButton::nearestEdge_data() {
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<int>("edge");
    QTest::newRow("left half, low") << QPoint(100, 400) << int(Edge::Left);
    QTest::newRow("top") << QPoint(600, 100) << int(Edge::Top);
    QTest::newRow("right") << QPoint(1800, 600) << int(Edge::Right);
    QTest::newRow("bottom") << QPoint(1000, 1000) << int(Edge::Bottom);
    QTest::newRow("left column, near the top") << QPoint(0, 5) << int(Edge::Left);
    QTest::newRow("right column, near the bottom") << QPoint(1919, 1075) << int(Edge::Right);
    QTest::newRow("bottom row") << QPoint(500, 1079) << int(Edge::Bottom);
    QTest::newRow("top row") << QPoint(1500, 0) << int(Edge::Top);
    QTest::newRow("top-left diagonal counts as top") << QPoint(959, 539) << int(Edge::Top);
    QTest::newRow("just below the top-left diagonal") << QPoint(900, 540) << int(Edge::Left);
    QTest::newRow("top right quadrant, near the right") << QPoint(1900, 300) << int(Edge::Right);
    QTest::newRow("bottom left quadrant, near the left") << QPoint(100, 900) << int(Edge::Left);
    QTest::newRow("bottom right quadrant, low") << QPoint(1500, 1050) << int(Edge::Bottom);
}

void TestSnapshotButton::nearestEdge() {
    QFETCH(QPoint, centre);
    QFETCH(int, edge);
    QCOMPARE(int(SnapshotButtonGeometry::nearestEdge(windowCentredAt(centre), kFullHd)), edge);
    // The same place on a second screen to the right of the first.
    const QPoint shift(1920, 0);
    QCOMPARE(int(SnapshotButtonGeometry::nearestEdge(windowCentredAt(centre + shift),
                                                     kFullHd.translated(shift))),
             edge);
}

void TestSnapshotButton::dockAtTheRightEdge() {
    const QRect available(0, 0, 1920, 1040); // a panel along the bottom
    QCOMPARE(available.right(), 1919);
    const QPoint full = dockPosition(Edge::Right, {920, 500}, {80, 80}, {140, 80}, available);
    QCOMPARE(full, QPoint(1780, 500));
    const Tuck t = tuck(StateRight, {140, 80}, full, Tuck());
    QCOMPARE(t.minimizedSize, QSize(70, 80));
    QCOMPARE(t.minimizedWindowPos, QPoint(1850, 500));
    // The pressed picture tucks in the same way.
    QCOMPARE(tuck(StateRightPressed, {140, 80}, full, Tuck()).minimizedWindowPos,
             QPoint(1850, 500));
}

void TestSnapshotButton::dockAtTheOtherEdges() {
    const QRect a(0, 30, 1920, 1050); // a panel along the top
    // Top: the glide ends half a docked picture below the top; the window then sits at
    // the top, stays 80 wide and tucks in to 70 high with the picture slid up.
    QCOMPARE(dockPosition(Edge::Top, {600, 300}, {80, 80}, {80, 140}, a), QPoint(600, 30 + 70));
    Tuck t = tuck(StateTop, {80, 140}, {600, 30}, Tuck());
    QCOMPARE(t.minimizedSize, QSize(80, 70));
    QCOMPARE(t.minimizedLabelPos, QPoint(0, -70));

    QCOMPARE(dockPosition(Edge::Left, {600, 300}, {80, 80}, {140, 80}, a), QPoint(140 - 40, 300));
    t = tuck(StateLeft, {140, 80}, {0, 300}, Tuck());
    QCOMPARE(t.minimizedSize, QSize(70, 80));
    QCOMPARE(t.minimizedLabelPos, QPoint(-70, 0));

    QCOMPARE(dockPosition(Edge::Bottom, {600, 300}, {80, 80}, {80, 140}, a), QPoint(600, 940));
    t = tuck(StateBottom, {80, 140}, {600, 940}, Tuck());
    QCOMPARE(t.minimizedSize, QSize(80, 70));
    QCOMPARE(t.minimizedWindowPos, QPoint(600, 1010));

    // A moving button keeps what it had.
    const Tuck kept = tuck(StateMoving, {80, 80}, {1, 2}, t);
    QCOMPARE(kept.minimizedSize, t.minimizedSize);
    QCOMPARE(kept.minimizedWindowPos, t.minimizedWindowPos);
}

void TestSnapshotButton::dockClampsIntoTheAvailableArea() {
    const QRect a(0, 0, 1920, 1040);
    QCOMPARE(dockPosition(Edge::Top, {1900, 300}, {80, 80}, {80, 140}, a), QPoint(1839, 70));
    QCOMPARE(dockPosition(Edge::Bottom, {-50, 300}, {80, 80}, {80, 140}, a), QPoint(0, 900));
    QCOMPARE(dockPosition(Edge::Right, {920, 1030}, {80, 80}, {140, 80}, a), QPoint(1780, 959));
    QCOMPARE(dockPosition(Edge::Left, {920, -20}, {80, 80}, {140, 80}, a), QPoint(100, 0));
}

void TestSnapshotButton::counterparts() {
    QCOMPARE(pressedCounterpart(StateTop), int(StateTopPressed));
    QCOMPARE(pressedCounterpart(StateLeftPressed), int(StateLeft));
    QCOMPARE(pressedCounterpart(StateMoving), int(StateMoving));
    QCOMPARE(pressedCounterpart(StateNone), int(StateMoving));
    QVERIFY(isCounterpart(StateBottom, StateBottomPressed));
    QVERIFY(isCounterpart(StateBottomPressed, StateBottom));
    QVERIFY(!isCounterpart(StateBottom, StateTop));
    QVERIFY(!isCounterpart(StateMoving, StateMoving));
}

std::unique_ptr<SnapshotButton> TestSnapshotButton::dockedButton() {
    auto button = std::make_unique<SnapshotButton>();
    button->show();
    button->setState(SnapshotButtonGeometry::StateMoving);
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    button->setPosition(s.center() - QPoint(40, 40));
    button->dock(true);
    return button;
}

void TestSnapshotButton::docksAndTucksInAtTheRight() {
    auto button = dockedButton();
    QCOMPARE(button->size(), QSize(80, 80));
    const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
    // Glides, takes the right picture at full size, then tucks in.
    QTRY_COMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRight));
    QTRY_COMPARE(button->size(), QSize(70, 80));
    QCOMPARE(button->x(), a.right() - 69);
    QCOMPARE(button->findChild<QLabel*>("ImageLabel")->pos(), QPoint(0, 0));
}

void TestSnapshotButton::clickWithoutMovingEmitsClickedOnce() {
    auto button = dockedButton();
    QTRY_COMPARE(button->size(), QSize(70, 80));
    QSignalSpy clicked(button.get(), &SnapshotButton::clicked);
    const QPoint p = button->mapToGlobal(QPoint(30, 40));
    send(button.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRightPressed));
    QCOMPARE(clicked.count(), 0);
    send(button.get(), QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRight));
    QCOMPARE(clicked.count(), 1);
    // Other buttons do nothing.
    send(button.get(), QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
    send(button.get(), QEvent::MouseButtonRelease, p, Qt::RightButton, Qt::NoButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRight));
}

void TestSnapshotButton::dragMovesAndDocksWithoutClick() {
    auto button = dockedButton();
    QTRY_COMPARE(button->size(), QSize(70, 80));
    QSignalSpy clicked(button.get(), &SnapshotButton::clicked);
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    QPoint p = button->mapToGlobal(QPoint(30, 40));
    send(button.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    // The first move past the drag distance starts the drag: the moving picture,
    // centred under the pointer.
    p += QPoint(-QApplication::startDragDistance(), 0);
    send(button.get(), QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateMoving));
    QCOMPARE(button->size(), QSize(80, 80));
    QVERIFY((button->geometry().center() - p).manhattanLength() <= 2);
    // Drag to the left part of the screen, a little above the middle.
    const QPoint target(s.left() + s.width() / 8, s.top() + s.height() / 2 - 10);
    for (int i = 1; i <= 10; ++i) {
        const QPoint step = p + (target - p) * i / 10;
        send(button.get(), QEvent::MouseMove, step, Qt::NoButton, Qt::LeftButton);
    }
    QVERIFY((button->geometry().center() - target).manhattanLength() <= 2);
    // Enter and leave change nothing while moving.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button.get(), &leave);
    QCOMPARE(button->size(), QSize(80, 80));
    send(button.get(), QEvent::MouseButtonRelease, target, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicked.count(), 0);
    const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
    QTRY_COMPARE(button->currentState(), int(SnapshotButtonGeometry::StateLeft));
    QTRY_COMPARE(button->size(), QSize(70, 80));
    QCOMPARE(button->x(), a.left());
    // Tucked in at the left, the picture's right half shows.
    QTRY_COMPARE(button->findChild<QLabel*>("ImageLabel")->pos(), QPoint(-70, 0));
    QCOMPARE(clicked.count(), 0);
}

void TestSnapshotButton::moveWithAnotherButtonAfterAClickDoesNotDrag() {
    auto button = dockedButton();
    QTRY_COMPARE(button->size(), QSize(70, 80));
    const QPoint p = button->mapToGlobal(QPoint(30, 40));
    send(button.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    send(button.get(), QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    const QPoint before = button->pos();
    send(button.get(), QEvent::MouseButtonPress, p, Qt::MiddleButton, Qt::MiddleButton);
    send(button.get(), QEvent::MouseMove, p - QPoint(200, 200), Qt::NoButton, Qt::MiddleButton);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRight));
    QCOMPARE(button->pos(), before);
}

void TestSnapshotButton::trembleWithinTheDragDistanceIsAClick() {
    auto button = dockedButton();
    QTRY_COMPARE(button->size(), QSize(70, 80));
    QSignalSpy clicked(button.get(), &SnapshotButton::clicked);
    const int distance = QApplication::startDragDistance();
    QVERIFY(distance > 1);
    const QPoint before = button->pos();
    const QPoint p = button->mapToGlobal(QPoint(30, 40));
    send(button.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    // Back and forth, never as far as the drag distance (Manhattan length).
    for (const QPoint& d : {QPoint(1, 0), QPoint(distance - 1, 0), QPoint(0, -(distance - 1)),
                            QPoint(-1, distance - 2), QPoint(0, 0)}) {
        send(button.get(), QEvent::MouseMove, p + d, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRightPressed));
        QCOMPARE(button->pos(), before);
    }
    send(button.get(), QEvent::MouseButtonRelease, p + QPoint(1, 1), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRight));
    QCOMPARE(button->pos(), before);

    // One pixel further is a drag, and no click.
    send(button.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    send(button.get(), QEvent::MouseMove, p + QPoint(0, -distance), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateMoving));
    send(button.get(), QEvent::MouseButtonRelease, p + QPoint(0, -distance), Qt::LeftButton,
         Qt::NoButton);
    QCOMPARE(clicked.count(), 1);
    QTRY_COMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRight));
}

void TestSnapshotButton::pressWhileGlidingStopsTheGlide() {
    auto button = std::make_unique<SnapshotButton>();
    button->show();
    button->setState(SnapshotButtonGeometry::StateMoving);
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    button->setPosition(s.center() - QPoint(40, 40));
    QSignalSpy clicked(button.get(), &SnapshotButton::clicked);

    // Caught in its glide and dragged elsewhere: it stays under the pointer while
    // held, then glides to the edge nearest where it was let go.
    button->dock(true);
    QVERIFY(button->isGliding());
    QPoint p = button->geometry().center();
    send(button.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(!button->isGliding());
    const QPoint caught = button->pos();
    QTest::qWait(50); // the animation, were it still running, would move it meanwhile
    QCOMPARE(button->pos(), caught);
    const QPoint target(s.left() + s.width() / 8, s.center().y());
    for (int i = 1; i <= 10; ++i)
        send(button.get(), QEvent::MouseMove, p + (target - p) * i / 10, Qt::NoButton,
             Qt::LeftButton);
    QVERIFY(!button->isGliding());
    QVERIFY((button->geometry().center() - target).manhattanLength() <= 2);
    send(button.get(), QEvent::MouseButtonRelease, target, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicked.count(), 0);
    QTRY_COMPARE(button->currentState(), int(SnapshotButtonGeometry::StateLeft));

    // Caught and let go without moving: a click, and the glide goes on to an edge.
    button->setState(SnapshotButtonGeometry::StateMoving);
    button->setPosition(s.center() - QPoint(40, 40));
    button->dock(true);
    QVERIFY(button->isGliding());
    p = button->geometry().center();
    send(button.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(!button->isGliding());
    send(button.get(), QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicked.count(), 1);
    QTRY_VERIFY(button->currentState() != int(SnapshotButtonGeometry::StateMoving));
    QVERIFY(!button->isGliding());
}

void TestSnapshotButton::enterAndLeaveSlideOutAndIn() {
    auto button = dockedButton();
    QTRY_COMPARE(button->size(), QSize(70, 80));
    const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10),
                      QPointF(button->mapToGlobal(QPoint(10, 10))));
    QApplication::sendEvent(button.get(), &enter);
    QTRY_COMPARE(button->size(), QSize(140, 80));
    QCOMPARE(button->x(), a.right() - 139);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button.get(), &leave);
    QTRY_COMPARE(button->size(), QSize(70, 80));
    QCOMPARE(button->x(), a.right() - 69);
}

void TestSnapshotButton::delayedTuckInDoesNotShrinkANewDrag() {
    auto button = dockedButton();
    // The glide to the edge is the button's only animation of its position that belongs to
    // no group. Its end docks the button and starts the delay before the tuck-in; the drag
    // begins in the same turn of the event loop, so it is always inside that delay.
    QPropertyAnimation* glide = nullptr;
    for (auto* animation : button->findChildren<QPropertyAnimation*>()) {
        if (animation->propertyName() == "pos" && !animation->group())
            glide = animation;
    }
    QVERIFY(glide);
    QSize dockedSize;
    QPoint held;
    connect(glide, &QAbstractAnimation::finished, button.get(), [&] {
        dockedSize = button->size();
        const QPoint p = button->mapToGlobal(QPoint(100, 40));
        send(button.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        send(button.get(), QEvent::MouseMove, p - QPoint(300, 0), Qt::NoButton, Qt::LeftButton);
        held = button->pos();
    });
    QTRY_VERIFY(dockedSize.isValid());
    QCOMPARE(dockedSize, QSize(140, 80));
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateMoving));
    QCOMPARE(button->size(), QSize(80, 80));
    // Past the tuck-in delay and its animation: the held button keeps its size and place.
    QTest::qWait(800);
    QCOMPARE(button->size(), QSize(80, 80));
    QCOMPARE(button->pos(), held);
}

void TestSnapshotButton::contextMenuEntryFollowsTheSetting() {
    QSettings().setValue("Show snap button", true);
    {
        SnapshotButton button;
        QVERIFY(button.showHideEntry()->isCheckable());
        QVERIFY(button.showHideEntry()->isChecked());
        QCOMPARE(button.showHideEntry()->text(), QString("Show/hide record button"));
        QSignalSpy showHide(&button, &SnapshotButton::onShowHide);
        button.showHideEntry()->trigger();
        QCOMPARE(showHide.count(), 1);
        QCOMPARE(showHide.at(0).at(0).toBool(), false);
        // Showing it again checks the entry.
        button.show();
        QVERIFY(button.showHideEntry()->isChecked());
    }
    QSettings().setValue("Show snap button", false);
    SnapshotButton button;
    QVERIFY(!button.showHideEntry()->isChecked());

    // Both texts follow the interface language.
    QTranslator portuguese;
    QVERIFY(portuguese.load(":/Resources/locales/br.qm"));
    QApplication::installTranslator(&portuguese);
    QTRY_COMPARE(button.showHideEntry()->text(),
                 QString::fromUtf8("Mostrar/ocultar o botão de gravação"));
    QCOMPARE(button.findChild<QLabel*>("ImageLabel")->toolTip(),
             QString::fromUtf8("Clique para gravar um vídeo"));
    QApplication::removeTranslator(&portuguese);
    QTRY_COMPARE(button.findChild<QLabel*>("ImageLabel")->toolTip(),
                 QString("Press to record video"));
}

void TestSnapshotButton::soundSourceChoiceIsKeptInTheSettings() {
    QSettings().remove("Sound source");
    SnapshotButton button;
    QMenu* menu = nullptr;
    for (QObject* o : button.showHideEntry()->associatedObjects())
        menu = menu ? menu : qobject_cast<QMenu*>(o);
    QVERIFY(menu);
    auto entries = [](QMenu* m) {
        QList<QAction*> found;
        for (QAction* a : m->actions())
            if (a->isCheckable() && a->actionGroup())
                found << a;
        return found;
    };
    const QList<QAction*> choices = entries(menu);
    QCOMPARE(choices.size(), 3);
    QCOMPARE(choices[0]->text(), QString("Microphone"));
    QCOMPARE(choices[1]->text(), QString("Computer sound"));
    QCOMPARE(choices[2]->text(), QString("Both"));
    // Never chosen: the microphone, as before there was a choice.
    QVERIFY(choices[0]->isChecked() && !choices[1]->isChecked() && !choices[2]->isChecked());

    choices[1]->trigger();
    QCOMPARE(QSettings().value("Sound source").toString(), QString("computer"));
    // Another menu offering the choice (the capture's) shows it when it opens.
    QMenu other;
    SoundSourceMenu otherChoices(&other, nullptr);
    const QList<QAction*> mirrored = entries(&other);
    QCOMPARE(mirrored.size(), 3);
    QVERIFY(mirrored[1]->isChecked());
    mirrored[2]->trigger();
    QCOMPARE(QSettings().value("Sound source").toString(), QString("both"));
    QMetaObject::invokeMethod(menu, "aboutToShow");
    QVERIFY(choices[2]->isChecked() && !choices[1]->isChecked());

    // A broken value counts as the microphone.
    QSettings().setValue("Sound source", "speakers?!");
    QMetaObject::invokeMethod(menu, "aboutToShow");
    QVERIFY(choices[0]->isChecked() && !choices[2]->isChecked());

    QTranslator spanish;
    QVERIFY(spanish.load(":/Resources/locales/es.qm"));
    QApplication::installTranslator(&spanish);
    QTRY_COMPARE(choices[1]->text(), QString::fromUtf8("Sonido de la computadora"));
    QApplication::removeTranslator(&spanish);
    QTRY_COMPARE(choices[1]->text(), QString("Computer sound"));
    QSettings().remove("Sound source");
}

void TestSnapshotButton::dockedPlaceIsToldAndBrokenStoredPlacesAreRefused() {
    auto button = dockedButton();
    QSignalSpy docked(button.get(), &SnapshotButton::docked);
    QTRY_COMPARE(docked.count(), 1);
    QCOMPARE(docked.first().at(0).value<Edge>(), Edge::Right);
    const QPoint place = docked.first().at(1).toPoint();
    QCOMPARE(place, button->pos());

    // What the settings keep comes back as it went in, through the file.
    {
        QSettings settings;
        AppSettings::setSnapButtonDock(settings, Edge::Left, QPoint(0, 123));
    }
    {
        QSettings settings;
        QCOMPARE(AppSettings::snapButtonEdge(settings), std::optional<Edge>(Edge::Left));
        QCOMPARE(AppSettings::snapButtonPosition(settings), std::optional<QPoint>(QPoint(0, 123)));
    }
    // Values a person or another program left broken count as nothing stored.
    const QList<QPair<QVariant, QVariant>> broken{
        {QStringLiteral("middle"), QPoint(0, 0)},
        {QStringLiteral("left"), QStringLiteral("12 34")},
        {QStringLiteral("left"), QPoint(1 << 30, 5)},
        {QVariant(), QPoint(5, 5)},
    };
    for (const auto& [edge, position] : broken) {
        QSettings settings;
        settings.setValue(AppSettings::kSnapButtonEdge, edge);
        settings.setValue(AppSettings::kSnapButtonPosition, position);
        settings.sync();
        QSettings reread;
        QVERIFY(!(AppSettings::snapButtonEdge(reread) && AppSettings::snapButtonPosition(reread)));
    }
    QSettings().remove(AppSettings::kSnapButtonEdge);
    QSettings().remove(AppSettings::kSnapButtonPosition);
}

void TestSnapshotButton::dockToAStoredEdgeKeepsThePlaceAlongIt() {
    const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
    SnapshotButton button;
    button.show();
    button.setState(SnapshotButtonGeometry::StateMoving);
    button.setPosition(QPoint(a.left(), a.top() + 200));
    QSignalSpy docked(&button, &SnapshotButton::docked);
    button.dockTo(Edge::Left);
    QTRY_COMPARE(docked.count(), 1);
    QCOMPARE(docked.first().at(0).value<Edge>(), Edge::Left);
    QCOMPARE(button.currentState(), int(SnapshotButtonGeometry::StateLeft));
    QCOMPARE(button.pos(), QPoint(a.left(), a.top() + 200));
    // Docked again from where it told it rests, it comes to rest at the same place.
    const QPoint rest = docked.first().at(1).toPoint();
    SnapshotButton again;
    again.show();
    again.setState(SnapshotButtonGeometry::StateMoving);
    again.setPosition(rest);
    QSignalSpy dockedAgain(&again, &SnapshotButton::docked);
    again.dockTo(Edge::Left);
    QTRY_COMPARE(dockedAgain.count(), 1);
    QCOMPARE(dockedAgain.first().at(1).toPoint(), rest);
}

int main(int argc, char** argv) {
    QTemporaryDir config;
    configHome = config.path();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Clipnest");
    QApplication::setOrganizationDomain("clipnest.invalid");
    TestSnapshotButton test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_snapshot_button.moc"

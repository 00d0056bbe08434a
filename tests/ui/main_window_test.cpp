#include "store/store_file.h"
#include "workbench_fixture.h"
#include "ui/file_panel.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarnvel;

using MainWindowTest = test::WorkbenchTest;

TEST_F(MainWindowTest, FirstStartOpensAtTheDefaultPlacement)
{
    QSettings settings; // an unreadable setting counts as none
    settings.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("abc"));
    settings.sync();
    frmMain &w = window();
    EXPECT_EQ(w.pos(), QPoint(67, 67));   // 1000 twips
    EXPECT_EQ(w.height(), 433);           // 6500 twips
    // 6500 twips is narrower than the file panel (9015 twips), so the window widens to it.
    EXPECT_EQ(w.width(), 601);
    const int inner = w.twips().toTwipsX(w.centralWidget()->width());
    EXPECT_NEAR(w.splitterPosition(), std::max(1500, inner / 4), 15);
    EXPECT_FALSE(w.filePanel()->isVisible());
}

TEST_F(MainWindowTest, PlacementIsSavedOnCloseUnlessMinimised)
{
    window().move(150, 90);
    window().resize(800, 600);
    window().close();
    for (const auto &[key, twips] : {std::pair{"MainLeft", "2250"}, {"MainTop", "1350"}, {"MainWidth", "12000"}, {"MainHeight", "9000"}})
        EXPECT_EQ(QSettings().value(QStringLiteral("Settings/") + QLatin1String(key)).toString(), QLatin1String(twips)) << key;

    state.db = store.open();
    m_window.reset();
    EXPECT_EQ(window().pos(), QPoint(150, 90));
    EXPECT_EQ(window().size(), QSize(800, 600));

    window().move(300, 300);
    window().showMinimized();
    ASSERT_TRUE(window().isMinimized());
    window().close();
    EXPECT_EQ(QSettings().value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("2250"));
}

// Settings from another set of monitors, or edited by hand, never make a
// window that cannot be drawn or cannot be seen.
TEST_F(MainWindowTest, ASavedPlacementIsFittedToTheScreens)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct
    {
        const char *left, *top, *width, *height;
    } cases[] = {
        {"1000", "1000", "2147483647", "2147483647"}, // larger than any screen
        {"-2147483647", "-2147483647", "9000", "7000"}, // far above and left of every screen
        {"2147483647", "2147483647", "9000", "7000"},   // far below and right
        {"1E+30", "-1E+30", "1E+30", "1E+30"},
    };
    for (const auto &c : cases) {
        for (const auto &[key, value] : {std::pair{"MainLeft", c.left}, {"MainTop", c.top}, {"MainWidth", c.width}, {"MainHeight", c.height}})
            QSettings().setValue(QStringLiteral("Settings/") + QLatin1String(key), QString::fromLatin1(value));
        state.db = store.open();
        m_window.reset();
        // The window's frame, which the platform adds, is not the saved size's.
        const QRect placed = window().geometry();
        EXPECT_LE(placed.width(), screen.width()) << c.left << " " << c.width;
        EXPECT_LE(placed.height(), screen.height()) << c.left << " " << c.width;
        const QRect seen = screen.intersected(placed);
        EXPECT_GE(seen.width(), placed.width() - 10) << c.left << " " << c.width;
        EXPECT_GE(seen.height(), placed.height() - 10) << c.left << " " << c.width;
        EXPECT_GE(placed.width(), window().filePanel()->width());
        window().close();
    }
}

TEST_F(MainWindowTest, SplitterIsClampedWhileDraggedAndWhenPlaced)
{
    frmMain &w = window();
    w.resize(900, 600);
    const int width = w.twips().toTwipsX(w.centralWidget()->width());

    w.SizeControls(1000000);
    EXPECT_NEAR(w.splitterPosition(), width - 1500, 15);
    EXPECT_EQ(w.list()->x(), w.tree()->width() + w.twips().toPixelsX(40));

    w.SizeControls(4000);
    QWidget *splitter = w.findChild<QWidget *>(QStringLiteral("imgSplitter"));
    QFrame *bar = w.findChild<QFrame *>(QStringLiteral("picSplitter"));
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(1, 10));
    EXPECT_TRUE(bar->isVisible());
    QMouseEvent move(QEvent::MouseMove, QPointF(-5000, 10), splitter->mapToGlobal(QPointF(-5000, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(splitter, &move);
    EXPECT_EQ(w.twips().toTwipsX(bar->x()), 495); // 500 twips, on the pixel grid
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(1, 10));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(w.splitterPosition(), 1500);

    // Any resize puts the splitter back at a quarter of the width.
    w.resize(1000, 600);
    QApplication::processEvents();
    EXPECT_NEAR(w.splitterPosition(), w.twips().toTwipsX(w.centralWidget()->width()) / 4, 15);
}

TEST_F(MainWindowTest, NewProjectEmptiesTheSchemeAndShowsTheRoot)
{
    state.db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 3)"));
    state.db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (2, 300)"));
    ASSERT_EQ(window().nodeByKey(QStringLiteral("Points"))->childCount(), 1);

    // The scheme holds work: one click asks first, and No keeps it.
    window().toolbarButton(QStringLiteral("New"))->trigger();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text,
              QStringLiteral("Все введённые данные текущего расчёта будут удалены. Начать новый расчёт?"));
    EXPECT_EQ(messages.shown().first().icon, MessageIcon::Question);
    EXPECT_EQ(messages.shown().first().buttons, MessageButtons::YesNo);
    EXPECT_EQ(window().nodeByKey(QStringLiteral("Points"))->childCount(), 1);
    EXPECT_EQ(test::countRows(*state.db, QStringLiteral("SELECT * FROM CommonParameters")), 1);

    messages.clear();
    messages.answerNext(MessageAnswer::Yes);
    window().toolbarButton(QStringLiteral("New"))->trigger();
    EXPECT_EQ(messages.shown().size(), 1);
    messages.clear();
    EXPECT_EQ(window().nodeByKey(QStringLiteral("Points"))->childCount(), 0);
    EXPECT_EQ(window().tree()->currentItem()->data(0, KeyRole).toString(), QStringLiteral("Shaft"));
    EXPECT_EQ(rowKeys(), (QStringList{"Common", "Points", "Bearings", "Epur", "ShaftCheck"}));
    EXPECT_EQ(window().cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(test::countRows(*state.db, QStringLiteral("SELECT * FROM CommonParameters")), 0);
    EXPECT_FALSE(QFileInfo::exists(temporaryPath(store.directory())));

    action("mnuFileNew")->trigger(); // an empty scheme has nothing to lose: no question
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_TRUE(state.db->isOpen());
}

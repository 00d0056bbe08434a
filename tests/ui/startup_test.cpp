#include "store/store_file.h"
#include "test_support.h"
#include "ui/splash_window.h"
#include "ui/startup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace tarnvel;

namespace {

bool anySplashVisible()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmSplash *>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

} // namespace

TEST(StartUp, RestartShowsTheScenarioOfTheLastRun)
{
    test::MessageRecorder messages;
    QTemporaryDir dir;
    {
        ProgramState state;
        std::unique_ptr<frmMain> window = startUp(state, dir.path());
        ASSERT_NE(window, nullptr); // the first start creates the store
        EXPECT_TRUE(messages.shown().isEmpty());
        EXPECT_FALSE(anySplashVisible());
        state.db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (1, 2)"));
        window->close();
        EXPECT_FALSE(state.db->isOpen());
    }
    // Closing folded everything into the one store file.
    EXPECT_FALSE(QFileInfo::exists(storePath(dir.path()) + QStringLiteral("-wal")));
    ProgramState state;
    std::unique_ptr<frmMain> window = startUp(state, dir.path());
    ASSERT_NE(window, nullptr);
    QTreeWidgetItem *points = window->nodeByKey(QStringLiteral("Points"));
    ASSERT_EQ(points->childCount(), 1);
    EXPECT_EQ(points->child(0)->text(0), QStringLiteral("Точка 1 (Произвольная сила)"));
    window->close();
}

TEST(StartUp, AnUnreadableStoreIsReportedAndLeftAsItWas)
{
    test::MessageRecorder messages;
    QTemporaryDir dir;
    static const char oldFile[] = "Standard Jet DB\0\0\0 an old file of another program";
    const QByteArray bytes(oldFile, sizeof oldFile - 1);
    {
        QFile file(storePath(dir.path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    ProgramState state;
    std::unique_ptr<frmMain> window = startUp(state, dir.path());
    EXPECT_EQ(window, nullptr);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().icon, MessageIcon::Critical);
    EXPECT_EQ(messages.shown().first().title, QStringLiteral("Tarnvel"));
    EXPECT_TRUE(messages.shown().first().text.contains(QStringLiteral("TarnvelN.mdb")));
    EXPECT_FALSE(anySplashVisible());

    QFile file(storePath(dir.path()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
    EXPECT_FALSE(QFileInfo::exists(storePath(dir.path()) + QStringLiteral("-wal")));
}

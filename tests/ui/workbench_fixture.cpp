#include "workbench_fixture.h"

#include "ui/modal_dialog.h"

#include <QLineEdit>
#include <QSettings>

namespace tarnvel::test {

void WorkbenchTest::SetUp()
{
    QSettings().clear();
    state.storeDirectory = store.directory();
    state.db = store.open();
}

void WorkbenchTest::TearDown()
{
    setModalDriver([](QDialog &) {});
}

void WorkbenchTest::whenDialogOpens(std::function<void(QDialog &)> script)
{
    setModalDriver([this, script](QDialog &dialog) {
        ++dialogsOpened;
        dialogCaptions << dialog.windowTitle();
        script(dialog);
    });
}

QPushButton *WorkbenchTest::button(QDialog &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

frmMain &WorkbenchTest::window()
{
    if (!m_window) {
        m_window = std::make_unique<frmMain>(state);
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
    }
    return *m_window;
}

QStringList WorkbenchTest::rowData(int column, int role)
{
    QStringList data;
    QTreeWidget *lv = window().list();
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
        data << lv->topLevelItem(i)->data(column, role).toString();
    return data;
}

QString WorkbenchTest::currentNodeKey()
{
    const QTreeWidgetItem *node = window().tree()->currentItem();
    return node ? node->data(0, KeyRole).toString() : QString();
}

void WorkbenchTest::clickNode(const QString &key)
{
    QTreeWidgetItem *node = window().nodeByKey(key);
    ASSERT_NE(node, nullptr) << key.toStdString();
    QTreeWidget *tv = window().tree();
    tv->scrollToItem(node);
    QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->visualItemRect(node).center());
}

void WorkbenchTest::clickRow(const QString &key)
{
    QTreeWidgetItem *row = window().rowByKey(key);
    ASSERT_NE(row, nullptr) << key.toStdString();
    QTreeWidget *lv = window().list();
    lv->scrollToItem(row);
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, lv->visualItemRect(row).center());
}

void WorkbenchTest::releaseEnterOnRow(const QString &key)
{
    QTreeWidgetItem *row = window().rowByKey(key);
    ASSERT_NE(row, nullptr) << key.toStdString();
    QTreeWidget *lv = window().list();
    lv->setCurrentItem(row);
    lv->setFocus();
    QTest::keyClick(lv, Qt::Key_Return);
}

void WorkbenchTest::typeIntoRow(const QString &key, const QString &text, Qt::Key leaveWith)
{
    clickRow(key);
    auto *editor = window().findChild<QLineEdit *>(QStringLiteral("TextInput"));
    ASSERT_TRUE(editor->isVisible()) << key.toStdString();
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, leaveWith);
}

} // namespace tarnvel::test

#pragma once

#include "scheme_builder.h"
#include "message_recorder.h"
#include "test_support.h"
#include "ui/main_window.h"

#include <QAction>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace tarnvel::test {

// A main window over a fresh temporary store, driven as the engineer drives it.
class WorkbenchTest : public ::testing::Test, public SchemeBuilder
{
protected:
    Database &schemeStore() override { return *state.db; }
    void SetUp() override;
    void TearDown() override;

    // The next dialogs are worked by script instead of the user; every one
    // opened is counted and its caption kept.
    void whenDialogOpens(std::function<void(QDialog &)> script);
    static QPushButton *button(QDialog &dialog, const char *name);
    int dialogsOpened = 0;
    QStringList dialogCaptions;

    frmMain &window();
    QAction *action(const char *name) { return window().findChild<QAction *>(QLatin1String(name)); }
    Database &db() { return *state.db; }

    // What the detail view shows, column by column.
    QStringList rowData(int column, int role);
    QStringList rowKeys() { return rowData(0, KeyRole); }
    QStringList rowTexts() { return rowData(0, Qt::DisplayRole); }
    QStringList valueTexts() { return rowData(1, Qt::DisplayRole); }
    QStringList valueTags() { return rowData(1, TagRole); }
    QStringList rowImages() { return rowData(0, ImageRole); }
    QString currentNodeKey();

    void clickNode(const QString &key);
    void clickRow(const QString &key);
    void releaseEnterOnRow(const QString &key);
    // Click a parameter row, type a value and leave the editor with the key.
    void typeIntoRow(const QString &key, const QString &text, Qt::Key leaveWith = Qt::Key_Return);

    MessageRecorder messages;
    TempStore store;
    ProgramState state;
    std::unique_ptr<frmMain> m_window;
};

} // namespace tarnvel::test

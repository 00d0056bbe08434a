#pragma once

#include "analysis/calculation.h"

#include <QObject>
#include <QString>

class QComboBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace tarnvel {

class frmMain;
struct ProgramState;

// The detail list LV: one procedure, LV_Click, builds the view of a node and
// carries out the action of a row. Every view is rebuilt each time it is
// shown: the inputs from the store, the results from the calculation. Parameter values are edited in place, by a text editor
// (TextInput) or a list of choices (ComboInput) laid over the value cell.
class DetailView : public QObject
{
    Q_OBJECT
public:
    DetailView(frmMain &window, ProgramState &state, QWidget *parent);

    QTreeWidget *list() const { return LV; }
    QString viewTag() const { return m_viewTag; }
    void clearList();
    // Starts the list of a view: empty, tagged with its key.
    void beginView(const QString &tag);
    QTreeWidgetItem *addRow(const QString &key, const QString &text, int image, const QString &tag = QString());
    void setValueCell(QTreeWidgetItem *row, const QString &text, const QString &tag);
    QTreeWidgetItem *rowByKey(const QString &key) const;
    // Rows of a result, the values rounded as the result views show them;
    // a unit, when given, follows each caption.
    void showResultRows(const QVector<ResultRow> &rows, const QString &unit = QString());

    void LV_Click();
    void showChildNodes(const QTreeWidgetItem *node);

    bool isEditorOpen() const;
    bool isTextEditorOpen() const;
    void placeEditors();
    void commitTextEditor();
    void commitListEditor();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowRowStatus(const QString &key);
    void showGeneralDataView();
    void showPointsView();
    void showChoiceView();
    void showPointView(const QString &key);
    void showReactionView(const QString &key);
    void showAxialForceView();

    void createEditors();
    void openEditor(QTreeWidgetItem *row);
    void rewriteParameters(QTreeWidgetItem *edited, bool fromList);
    void commitShaftValue(const QString &key);
    void offerForceConversion(int from, const QString &fromText, int to, const QString &toText);
    bool editorEvent(QObject *watched, QEvent *event);
    bool choiceListEvent(QObject *watched, QEvent *event);
    void returnToList(const QString &key, int step);

    frmMain &m_window;
    ProgramState &m_state;
    QTreeWidget *LV = nullptr;
    QLineEdit *TextInput = nullptr;
    QComboBox *ComboInput = nullptr;

    QString m_viewTag;
    QString m_textEditorKey; // key of the row each editor edits
    QString m_listEditorKey;
    bool m_pickedInList = false; // the list editor's open list was clicked or took Enter
    // The commit key was pressed in the editor: its release alone, after the
    // press closed a message box, commits nothing.
    bool m_commitKeyPressed = false;
};

} // namespace tarnvel

#pragma once

#include "analysis/calculation.h"
#include "ui/program_state.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarnvel {

class DiagramPicture;
class FilePanel;

// "Точка 3 (Цилиндрическое зацепление)"
inline QString pointCaption(const QString &number, const QString &groupCaption)
{
    return QStringLiteral("Точка %1 (%2)").arg(number, groupCaption);
}

// Item data of the tree and the detail list.
enum ItemRole {
    KeyRole = Qt::UserRole,   // node or row key
    TagRole,                  // node or row tag; in column 1 of the list the value cell's tag
    ImageRole,                // image number of a list row (0: none)
    ChoiceRole,               // in column 1: true when the value is one of the parameter's choices
};

// The workbench: tree TV on the left, detail list LV on the right, a splitter
// between them; all sizes of the layout rules are in twips.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(ProgramState &state, QWidget *parent = nullptr);
    ~frmMain() override;

    ProgramState &state() { return m_state; }

    // Layout.
    void SizeControls(int x);
    void DetalView(bool twoColumns);
    bool isTwoColumnLayout() const { return m_twoColumns; }
    int splitterPosition() const; // twips, the left edge of the splitter
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    int toTwipsX(int pixels) const;
    int toTwipsY(int pixels) const;

    // Status bar, panel 1.
    QString statusText() const;
    void setStatusText(const QString &text);

    // Commands of the menus and the toolbar.
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuSave_Click();
    void mnuReport_Click();
    void mnuFileClose_Click();
    void mnuAddFree_Click();
    void mnuAddCill_Click();
    void mnuAddCon_Click();
    void mnuEditDelete_Click();
    void cmdAbout_Click();
    void tbToolBar_ButtonClick(const QString &key);

    // The report of the current scheme into target (".htm" appended when
    // missing), with its picture folder.
    enum class ReportOutcome { Written, Incomplete, NotWritten };
    void saveScenario(const QString &target);
    void openScenario(const QString &target);
    ReportOutcome writeReport(const QString &target, QString *writtenTo = nullptr);

    // Navigation: the tree shows a node, the list shows a view or acts on a row.
    void TV_Click();
    void LV_Click();
    void ShowRowStatus(const QString &key);
    bool BaseRefresh();
    void exReac();
    void epur_Click(int plane);
    void selectAndDisplayNode(const QString &key);
    void selectRowAndAct(const QString &key);
    QTreeWidgetItem *nodeByKey(const QString &key) const;
    QTreeWidgetItem *rowByKey(const QString &key) const;
    QString viewTag() const { return m_viewTag; }

    // Inline editors over the value cell of a parameter row.
    bool isEditorOpen() const;
    void commitTextEditor();
    void commitListEditor();

    // The controls, for the parts of the program that draw into them.
    QTreeWidget *tree() const { return TV; }
    QTreeWidget *list() const { return LV; }
    DiagramPicture *picture() const { return ctPicture; }
    FilePanel *filePanel() const { return frFile; }
    int panelMode() const { return m_panelMode; }
    QAction *toolbarButton(const QString &key) const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenus();
    void createToolbar();
    void Form_Load();
    void Form_Resize();
    void restorePlacement();
    void savePlacement();
    void buildTree();
    QTreeWidgetItem *addNode(const QString &key, const QString &caption, QTreeWidgetItem *parent,
                             const QString &tag = QString());
    void addPointNodes();
    void setEditCommandsEnabled(bool paste, bool remove);
    void clearList();
    void setValueCell(QTreeWidgetItem *row, const QString &text, const QString &tag);
    void showGeneralDataView();
    void showPointsView();
    void showChoiceView();
    void showPointView(const QString &key);
    void showReactionView(const QString &key);
    void showAxialForceView();
    void showResultRows(const QVector<ResultRow> &rows);
    void addPoint(int group);
    bool isFirstPointFlag() const;
    void cmdPower();
    void cmdAddFPower();
    void cmdForse();
    void askFor(const MissingInput &missing);
    bool settle(const CalculationRequest &request, bool *asked = nullptr);
    void chooseBearing(int side, qint64 bearingId);
    void cmdBear(int side);
    void cmdBNum(int side);
    void showBearingResult(int side);
    void comFile_Click();
    void comCancel_Click();

    void openEditor(QTreeWidgetItem *row);
    void placeEditors();
    void rewriteParameters(QTreeWidgetItem *edited, bool fromList);
    bool editorEvent(QObject *watched, QEvent *event);
    void returnToList(const QString &key, int step);
    QTreeWidgetItem *addRow(const QString &key, const QString &text, int image, const QString &tag = QString());
    void connectCommand(QAction *action, void (frmMain::*command)());
    bool splitterEvent(QEvent *event);

    ProgramState &m_state;

    QWidget *m_workArea = nullptr;
    QTreeWidget *TV = nullptr;
    QTreeWidget *LV = nullptr;
    QWidget *imgSplitter = nullptr;
    QFrame *picSplitter = nullptr;
    QLineEdit *TextInput = nullptr;
    QComboBox *ComboInput = nullptr;
    QToolBar *tbToolBar = nullptr;
    QLabel *m_statusPanel = nullptr;
    DiagramPicture *ctPicture = nullptr;
    FilePanel *frFile = nullptr;

    QAction *mnuFileNew = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuReport = nullptr;
    QAction *mnuFileClose = nullptr;
    QMenu *mnuEditPasteMenu = nullptr;
    QAction *mnuEditPaste = nullptr;
    QAction *mnuAddFree = nullptr;
    QAction *mnuAddCill = nullptr;
    QAction *mnuAddCon = nullptr;
    QAction *mnuEditDelete = nullptr;
    QAction *cmdAbout = nullptr;

    QString m_viewTag;
    QString m_textEditorKey; // key of the row each editor edits
    QString m_listEditorKey;
    bool m_pickedInList = false; // the list editor's open list was clicked or took Enter
    bool m_twoColumns = false;
    bool m_splitterDragging = false;
    bool m_closed = false;
    int m_panelMode = 1; // file panel: 1 save scenario, 2 open scenario, 3 report
    QString m_scenarioName; // file name of the scenario last opened or saved; empty for a new project
    bool m_walking = false; // BaseRefresh is running: intermediate views are never seen
};

} // namespace tarnvel

#pragma once

#include "ui/file_commands.h"
#include "ui/program_state.h"
#include "ui/workbench_items.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarnvel {

class AnalysisCommands;
class DetailView;
class DiagramPicture;
class FilePanel;
class LoadingPoints;
class Navigator;
class ShaftViews;

// The layout rules are in twips (1/1440 inch); the window converts them at
// its screen's resolution.
class Twips
{
public:
    explicit Twips(const QWidget &window);
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    int toTwipsX(int pixels) const;
    int toTwipsY(int pixels) const;

private:
    double m_perPixelX = 15;
    double m_perPixelY = 15;
};

// The workbench: tree TV on the left, detail list LV on the right, a splitter
// between them; all sizes of the layout rules are in twips. The window keeps
// the menus, the toolbar and the layout; its parts do the work: the
// navigator (the tree), the detail view (the list and its inline editors),
// the loading points, the analysis and the file commands.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(ProgramState &state, QWidget *parent = nullptr);
    ~frmMain() override;

    // Layout.
    void SizeControls(int x);
    void DetalView(bool twoColumns);
    bool isTwoColumnLayout() const { return m_twoColumns; }
    int splitterPosition() const; // twips, the left edge of the splitter
    Twips twips() const { return Twips(*this); }

    // Status bar, panel 1.
    QString statusText() const;
    void setStatusText(const QString &text);

    // Menus and toolbar; the commands themselves are the parts'.
    void mnuFileClose_Click();
    void mnuEditDelete_Click();
    void cmdAbout_Click();
    void tbToolBar_ButtonClick(const QString &key);
    void setEditCommandsEnabled(bool paste, bool remove);
    QAction *toolbarButton(const QString &key) const;

    Navigator &navigator() { return *m_navigator; }
    DetailView &detail() { return *m_detail; }
    LoadingPoints &loadingPoints() { return *m_points; }
    AnalysisCommands &analysis() { return *m_analysis; }
    ShaftViews &shaftViews() { return *m_shaft; }

    // What the rest of the program asks of the parts.
    using ReportOutcome = tarnvel::ReportOutcome;
    void saveScenario(const QString &target);
    void openScenario(const QString &target);
    ReportOutcome writeReport(const QString &target, QString *writtenTo = nullptr);
    bool BaseRefresh();
    QTreeWidgetItem *nodeByKey(const QString &key) const;
    QTreeWidgetItem *rowByKey(const QString &key) const;
    QString viewTag() const;
    bool isEditorOpen() const;
    void commitTextEditor();

    // The controls, for the parts of the program that draw into them.
    QTreeWidget *tree() const { return TV; }
    QTreeWidget *list() const { return LV; }
    DiagramPicture *picture() const { return ctPicture; }
    FilePanel *filePanel() const { return frFile; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenus();
    void createToolbar();
    void Form_Load();
    bool splitterEvent(QEvent *event);

    ProgramState &m_state;
    std::unique_ptr<Navigator> m_navigator;
    std::unique_ptr<DetailView> m_detail;
    std::unique_ptr<LoadingPoints> m_points;
    std::unique_ptr<AnalysisCommands> m_analysis;
    std::unique_ptr<ShaftViews> m_shaft;
    std::unique_ptr<FileCommands> m_files;

    QWidget *m_workArea = nullptr;
    QTreeWidget *TV = nullptr;
    QTreeWidget *LV = nullptr;
    QWidget *imgSplitter = nullptr;
    QFrame *picSplitter = nullptr;
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

    bool m_twoColumns = false;
    bool m_splitterDragging = false;
    bool m_closed = false;
};

} // namespace tarnvel

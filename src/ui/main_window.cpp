#include "ui/main_window.h"

#include "store/numbers.h"
#include "store/store_file.h"
#include "ui/command_guard.h"
#include "ui/diagram_picture.h"
#include "ui/file_panel.h"
#include "ui/image_list.h"
#include "ui/splash_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace tarnvel {

namespace {

// Fixed sizes of the layout, in twips.
constexpr int kSplitterWidth = 40;
constexpr int kTreeMinimum = 1500;   // the splitter never leaves less to either side
constexpr int kDragMinimum = 500;    // ... nor, while it is dragged, less than this
constexpr int kListGap = 40;         // the list starts this far right of the splitter
constexpr int kListRightMargin = 140;

struct Placement
{
    const char *key;
    float fallback;
};
constexpr Placement kLeft{"MainLeft", 1000};
constexpr Placement kTop{"MainTop", 1000};
constexpr Placement kWidth{"MainWidth", 6500};
constexpr Placement kHeight{"MainHeight", 6500};

float readPlacement(QSettings &settings, const Placement &item)
{
    bool ok = false;
    const float value = settings.value(QLatin1String(item.key)).toString().toFloat(&ok);
    return ok && std::isfinite(value) ? value : item.fallback;
}

} // namespace

frmMain::frmMain(ProgramState &state, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarnvel"));
    createControls();
    createMenus();
    createToolbar();
    Form_Load();
}

frmMain::~frmMain() = default;

// ---------------------------------------------------------------- building

void frmMain::createControls()
{
    m_workArea = new QWidget(this);
    m_workArea->setObjectName(QStringLiteral("workArea"));
    setCentralWidget(m_workArea);

    TV = new QTreeWidget(m_workArea);
    TV->setObjectName(QStringLiteral("TV"));
    TV->setHeaderHidden(true);
    TV->setColumnCount(1);
    TV->installEventFilter(this);
    connect(TV, &QTreeWidget::itemClicked, this, [this] { runCommand(this, [this] { TV_Click(); }); });
    // Expanding a node selects it; selecting a hidden node in code expands its
    // parents too, and that must not take the selection away from it.
    connect(TV, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        for (const QTreeWidgetItem *node = TV->currentItem(); node; node = node->parent()) {
            if (node->parent() == item)
                return;
        }
        TV->setCurrentItem(item);
    });

    LV = new QTreeWidget(m_workArea);
    LV->setObjectName(QStringLiteral("LV"));
    LV->setRootIsDecorated(false);
    LV->setItemsExpandable(false);
    LV->setUniformRowHeights(true);
    LV->setSelectionMode(QAbstractItemView::SingleSelection);
    LV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV->installEventFilter(this);
    LV->viewport()->installEventFilter(this);

    imgSplitter = new QWidget(m_workArea);
    imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    imgSplitter->setCursor(Qt::SplitHCursor);
    imgSplitter->installEventFilter(this);

    picSplitter = new QFrame(m_workArea);
    picSplitter->setObjectName(QStringLiteral("picSplitter"));
    picSplitter->setAutoFillBackground(true);
    QPalette bar = picSplitter->palette();
    bar.setColor(QPalette::Window, QColor(128, 128, 128));
    picSplitter->setPalette(bar);
    picSplitter->hide();

    TextInput = new QLineEdit(LV->viewport());
    TextInput->setObjectName(QStringLiteral("TextInput"));
    TextInput->hide();
    TextInput->installEventFilter(this);
    // A typed comma becomes a point at once; an emptied box shows one blank.
    connect(TextInput, &QLineEdit::textChanged, this, [this](const QString &text) {
        const QString fixed = SqlNum(text);
        if (fixed == text)
            return;
        const int cursor = text.isEmpty() ? 1 : TextInput->cursorPosition();
        TextInput->setText(fixed);
        TextInput->setCursorPosition(cursor);
    });
    ComboInput = new QComboBox(LV->viewport());
    ComboInput->setObjectName(QStringLiteral("ComboInput"));
    ComboInput->setEditable(false);
    ComboInput->hide();
    ComboInput->installEventFilter(this);
    // A choice picked in the open list is committed at once, as Enter would
    // commit it; the mouse's pick is taken in eventFilter.
    ComboInput->view()->installEventFilter(this);
    ComboInput->view()->viewport()->installEventFilter(this);
    connect(ComboInput, &QComboBox::activated, this, [this] {
        if (!m_pickedInList)
            return;
        m_pickedInList = false;
        const QString key = m_listEditorKey;
        runCommand(this, [this] { commitListEditor(); });
        returnToList(key, 0);
    });

    ctPicture = new DiagramPicture(m_workArea);
    ctPicture->hide();

    frFile = new FilePanel(this);
    frFile->hide();
    connect(frFile, &FilePanel::confirmed, this, [this] { runCommand(this, [this] { comFile_Click(); }); });
    connect(frFile, &FilePanel::cancelled, this, [this] { comCancel_Click(); });

    m_statusPanel = new QLabel(this);
    m_statusPanel->setObjectName(QStringLiteral("sbPanel1"));
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    statusBar()->addWidget(m_statusPanel, 1);

    setMinimumSize(frFile->size());
    m_workArea->installEventFilter(this); // lays the controls out from now on
}

void frmMain::connectCommand(QAction *action, void (frmMain::*command)())
{
    connect(action, &QAction::triggered, this, [this, command] { runCommand(this, [this, command] { (this->*command)(); }); });
}

void frmMain::createMenus()
{
    auto named = [](QAction *action, const char *name) {
        action->setObjectName(QLatin1String(name));
        return action;
    };

    QMenu *mnuFile = menuBar()->addMenu(QStringLiteral("Файл"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileNew = named(mnuFile->addAction(QStringLiteral("Новый...")), "mnuFileNew");
    mnuFileOpen = named(mnuFile->addAction(QStringLiteral("Открыть...")), "mnuFileOpen");
    // The caption's first letter is a Latin C, not a Cyrillic one; retyping the
    // line would lose it, hence the split literal.
    mnuSave = named(mnuFile->addAction(QStringLiteral("C") + QStringLiteral("охранить...")), "mnuSave");
    mnuFile->addSeparator();
    mnuReport = named(mnuFile->addAction(QStringLiteral("Отчёт...")), "mnuReport");
    mnuFile->addSeparator();
    mnuFileClose = named(mnuFile->addAction(QStringLiteral("Закрыть")), "mnuFileClose");

    QMenu *mnuEdit = menuBar()->addMenu(QStringLiteral("Нагрузки"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEditPasteMenu = mnuEdit->addMenu(QStringLiteral("Добавить..."));
    mnuEditPasteMenu->setObjectName(QStringLiteral("mnuEditPasteMenu"));
    mnuEditPaste = named(mnuEditPasteMenu->menuAction(), "mnuEditPaste");
    mnuAddFree = named(mnuEditPasteMenu->addAction(QStringLiteral("Произвольная сила")), "mnuAddFree");
    mnuAddCill = named(mnuEditPasteMenu->addAction(QStringLiteral("Цилиндрическое зацепление")), "mnuAddCill");
    mnuAddCon = named(mnuEditPasteMenu->addAction(QStringLiteral("Коническое зацепление")), "mnuAddCon");
    mnuEditDelete = named(mnuEdit->addAction(QStringLiteral("Удалить")), "mnuEditDelete");

    cmdAbout = named(menuBar()->addAction(QStringLiteral("О программе")), "cmdAbout");

    connectCommand(mnuFileNew, &frmMain::mnuFileNew_Click);
    connectCommand(mnuFileOpen, &frmMain::mnuFileOpen_Click);
    connectCommand(mnuSave, &frmMain::mnuSave_Click);
    connectCommand(mnuReport, &frmMain::mnuReport_Click);
    connectCommand(mnuFileClose, &frmMain::mnuFileClose_Click);
    connectCommand(mnuAddFree, &frmMain::mnuAddFree_Click);
    connectCommand(mnuAddCill, &frmMain::mnuAddCill_Click);
    connectCommand(mnuAddCon, &frmMain::mnuAddCon_Click);
    connectCommand(mnuEditDelete, &frmMain::mnuEditDelete_Click);
    connectCommand(cmdAbout, &frmMain::cmdAbout_Click);
}

void frmMain::createToolbar()
{
    tbToolBar = addToolBar(QStringLiteral("tbToolBar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->toggleViewAction()->setVisible(false);
    const struct
    {
        const char *key;
        QString tooltip;
    } buttons[] = {
        {"Forward", QStringLiteral("Отчёт...")},  {"New", QStringLiteral("Новый...")},
        {"Open", QStringLiteral("Открыть...")},   {"Save", QStringLiteral("Сохранить...")},
        {"Delete", QStringLiteral("Удалить...")},
    };
    for (const auto &button : buttons) {
        const QString key = QLatin1String(button.key);
        QAction *action = tbToolBar->addAction(toolbarIcon(key), button.tooltip);
        action->setObjectName(key);
        action->setToolTip(button.tooltip);
        connect(action, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
        if (key == QLatin1String("Open") || key == QLatin1String("Delete"))
            tbToolBar->addSeparator();
    }
}

QAction *frmMain::toolbarButton(const QString &key) const
{
    return tbToolBar->findChild<QAction *>(key, Qt::FindDirectChildrenOnly);
}

void frmMain::Form_Load()
{
    frFile->hide();
    LV->setColumnCount(2);
    LV->setHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
    LV->headerItem()->setData(0, KeyRole, QStringLiteral("Main"));
    LV->headerItem()->setData(1, KeyRole, QStringLiteral("Detal"));
    LV->header()->setStretchLastSection(false);
    LV->header()->setSectionsMovable(false);
    LV->setIconSize(QSize(16, 16));
    restorePlacement();
    buildTree();
    setEditCommandsEnabled(false, false);
}

// ---------------------------------------------------------------- placement

double frmMain::twipsPerPixelX() const
{
    const QScreen *screen = this->screen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

double frmMain::twipsPerPixelY() const
{
    const QScreen *screen = this->screen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int frmMain::toPixelsX(double twips) const { return static_cast<int>(std::lround(twips / twipsPerPixelX())); }
int frmMain::toPixelsY(double twips) const { return static_cast<int>(std::lround(twips / twipsPerPixelY())); }
int frmMain::toTwipsX(int pixels) const { return static_cast<int>(std::lround(pixels * twipsPerPixelX())); }
int frmMain::toTwipsY(int pixels) const { return static_cast<int>(std::lround(pixels * twipsPerPixelY())); }

void frmMain::restorePlacement()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Settings"));
    const float left = readPlacement(settings, kLeft);
    const float top = readPlacement(settings, kTop);
    const float width = readPlacement(settings, kWidth);
    const float height = readPlacement(settings, kHeight);
    move(toPixelsX(left), toPixelsY(top));
    resize(toPixelsX(width), toPixelsY(height));
}

void frmMain::savePlacement()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(QLatin1String(kLeft.key), QString::number(toTwipsX(x())));
    settings.setValue(QLatin1String(kTop.key), QString::number(toTwipsY(y())));
    settings.setValue(QLatin1String(kWidth.key), QString::number(toTwipsX(width())));
    settings.setValue(QLatin1String(kHeight.key), QString::number(toTwipsY(height())));
}

// ---------------------------------------------------------------- layout

int frmMain::splitterPosition() const
{
    return toTwipsX(imgSplitter->x());
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (width() < frFile->width())
        resize(frFile->width(), height());
}

void frmMain::Form_Resize()
{
    SizeControls(toTwipsX(m_workArea->width()) / 4);
}

void frmMain::SizeControls(int x)
{
    if (height() < frFile->height())
        resize(width(), frFile->height());

    const int windowWidth = toTwipsX(m_workArea->width());
    const int innerHeight = toTwipsY(m_workArea->height());
    if (x < kTreeMinimum)
        x = kTreeMinimum;
    if (x > windowWidth - kTreeMinimum)
        x = windowWidth - kTreeMinimum;

    // The toolbar and the status bar live outside the work area, so the
    // tree starts at its top and takes its whole height.
    const int treeWidth = x;
    const int listLeft = x + kListGap;
    const int listWidth = std::max(0, windowWidth - (treeWidth + kListRightMargin));
    TV->setGeometry(0, 0, toPixelsX(treeWidth), toPixelsY(innerHeight));
    imgSplitter->setGeometry(toPixelsX(x), 0, toPixelsX(kSplitterWidth), toPixelsY(innerHeight));
    LV->setGeometry(toPixelsX(listLeft), 0, toPixelsX(listWidth), toPixelsY(innerHeight));

    const int listPixels = toPixelsX(listWidth);
    if (m_twoColumns) {
        LV->setColumnHidden(1, false);
        LV->setHeaderHidden(false);
        const int first = listPixels * 2 / 3;
        LV->setColumnWidth(0, first);
        LV->setColumnWidth(1, std::max(0, listPixels - first - 2));
    } else {
        LV->setHeaderHidden(true);
        LV->setColumnHidden(1, true);
        LV->setColumnWidth(0, std::max(0, listPixels - 2));
    }

    placeEditors();
    frFile->move((width() - frFile->width()) / 2, (height() - frFile->height()) / 2);
    ctPicture->move(LV->pos());
}

void frmMain::DetalView(bool twoColumns)
{
    m_twoColumns = twoColumns;
    SizeControls(splitterPosition());
}

bool frmMain::splitterEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        picSplitter->setGeometry(imgSplitter->x(), imgSplitter->y(), std::max(1, imgSplitter->width() / 2),
                                 std::max(1, imgSplitter->height() - toPixelsY(20)));
        picSplitter->show();
        picSplitter->raise();
        m_splitterDragging = true;
        return true;
    case QEvent::MouseMove:
        if (m_splitterDragging) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const int windowWidth = toTwipsX(m_workArea->width());
            int position = splitterPosition() + toTwipsX(static_cast<int>(mouse->position().x()));
            position = std::clamp(position, kDragMinimum, std::max(kDragMinimum, windowWidth - kDragMinimum));
            picSplitter->move(toPixelsX(position), picSplitter->y());
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (m_splitterDragging) {
            SizeControls(toTwipsX(picSplitter->x()));
            picSplitter->hide();
            m_splitterDragging = false;
        }
        return true;
    default:
        return false;
    }
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_workArea && event->type() == QEvent::Resize) {
        Form_Resize();
        return false;
    }
    if (watched == imgSplitter)
        return splitterEvent(event);
    if (watched == ComboInput && (event->type() == QEvent::KeyPress || event->type() == QEvent::Wheel))
        m_pickedInList = false;
    if (watched == TextInput || watched == ComboInput)
        return editorEvent(watched, event);
    // A click on an entry of the open list picks it and commits at once: a
    // press there first, not the release of the click that opened the list.
    if (ComboInput && watched == ComboInput->view()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            m_pickedInList = true;
        if (event->type() == QEvent::MouseButtonRelease && m_pickedInList) {
            m_pickedInList = false;
            const QModelIndex entry = ComboInput->view()->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint());
            if (entry.isValid()) {
                ComboInput->setCurrentIndex(entry.row());
                ComboInput->hidePopup();
                const QString key = m_listEditorKey;
                runCommand(this, [this] { commitListEditor(); });
                returnToList(key, 0);
                return true;
            }
        }
    }
    if (ComboInput && watched == ComboInput->view() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        m_pickedInList = key == Qt::Key_Return || key == Qt::Key_Enter;
    }
    if (watched == TV && event->type() == QEvent::KeyRelease) {
        runCommand(this, [this] { TV_Click(); });
        return false;
    }
    if (watched == LV && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            runCommand(this, [this] { LV_Click(); });
        return false;
    }
    if (watched == LV->viewport() && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        runCommand(this, [this] { LV_Click(); });
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- status, menus

QString frmMain::statusText() const
{
    return m_statusPanel->text();
}

void frmMain::setStatusText(const QString &text)
{
    m_statusPanel->setText(text);
}

void frmMain::setEditCommandsEnabled(bool paste, bool remove)
{
    mnuEditPaste->setEnabled(paste);
    mnuEditDelete->setEnabled(remove);
    toolbarButton(QStringLiteral("Delete"))->setEnabled(remove);
}

void frmMain::tbToolBar_ButtonClick(const QString &key)
{
    void (frmMain::*command)() = nullptr;
    if (key == QLatin1String("Forward"))
        command = &frmMain::mnuReport_Click;
    else if (key == QLatin1String("New"))
        command = &frmMain::mnuFileNew_Click;
    else if (key == QLatin1String("Open"))
        command = &frmMain::mnuFileOpen_Click;
    else if (key == QLatin1String("Save"))
        command = &frmMain::mnuSave_Click;
    else if (key == QLatin1String("Delete"))
        command = &frmMain::mnuEditDelete_Click;
    if (command)
        runCommand(this, [this, command] { (this->*command)(); });
}

// ---------------------------------------------------------------- commands

void frmMain::mnuFileNew_Click()
{
    setCursor(Qt::WaitCursor);
    // The status texts are painted at once: nothing else may run while the
    // store is closed.
    auto status = [this](const QString &text) {
        setStatusText(text);
        m_statusPanel->repaint();
    };
    try {
        newProjectStore(m_state.db, m_state.storeDirectory, status);
    } catch (const StoreError &) {
        // The scenario may already be emptied: show what the store now holds.
        if (m_state.db && m_state.db->isOpen()) {
            selectAndDisplayNode(QStringLiteral("Points"));
            selectAndDisplayNode(QStringLiteral("Shaft"));
        }
        unsetCursor();
        throw;
    }
    m_state.modes.clear();
    m_scenarioName.clear();
    selectAndDisplayNode(QStringLiteral("Points"));
    selectAndDisplayNode(QStringLiteral("Shaft"));
    unsetCursor();
}

void frmMain::mnuFileClose_Click()
{
    close();
}

void frmMain::cmdAbout_Click()
{
    auto *about = new frmSplash(frmSplash::Role::About, this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowModality(Qt::ApplicationModal);
    about->open();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    // Other windows close first, the last opened first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (*it != this && (*it)->isVisible())
            (*it)->close();
    }
    // A window never shown (the batch report) has no placement of its own.
    if (!isMinimized() && isVisible())
        savePlacement();
    if (m_state.db)
        m_state.db->close();
    m_state.workspace.close();
    m_closed = true;
    event->accept();
}

} // namespace tarnvel

#include "ui/main_window.h"

#include "store/store_file.h"
#include "ui/analysis_commands.h"
#include "ui/command_guard.h"
#include "ui/detail_view.h"
#include "ui/diagram_picture.h"
#include "ui/file_panel.h"
#include "ui/image_list.h"
#include "ui/loading_points.h"
#include "ui/navigator.h"
#include "ui/shaft_views.h"
#include "ui/splash_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <functional>

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
    // Far beyond any desktop, yet still a whole number of pixels.
    constexpr float kFarthest = 1.0e8f;
    return ok && std::isfinite(value) ? std::clamp(value, -kFarthest, kFarthest) : item.fallback;
}

// The saved placement on the screens there are now: the settings may come
// from another set of monitors, or be edited by hand. A window larger than
// its screen would need a backing store without bound, and one beyond every
// screen is never seen, so it goes to the screen it mostly lies on, or the
// main one, no larger than that screen's free area; cut down to it, it lies
// wholly on it. No window is narrower than leastWidth.
QRect onScreens(QRect wanted, int leastWidth)
{
    wanted.setWidth(std::max(wanted.width(), leastWidth));
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return wanted;
    QRect home = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                  : screens.first()->availableGeometry();
    qint64 largestShare = 0;
    for (const QScreen *screen : screens) {
        const QRect shared = screen->availableGeometry().intersected(wanted);
        const qint64 share = qint64(shared.width()) * shared.height();
        if (share > largestShare) {
            largestShare = share;
            home = screen->availableGeometry();
        }
    }
    const bool tooLarge = wanted.width() > home.width() || wanted.height() > home.height();
    wanted.setWidth(std::clamp(wanted.width(), 1, home.width()));
    wanted.setHeight(std::clamp(wanted.height(), 1, home.height()));
    // The top of the window, where it is taken to be moved, must be seen.
    static constexpr int kGrip = 40;
    const QRect grip(wanted.left(), wanted.top(), wanted.width(), std::min(kGrip, wanted.height()));
    const bool seen = std::any_of(screens.cbegin(), screens.cend(), [&grip](const QScreen *screen) {
        const QRect shared = screen->availableGeometry().intersected(grip);
        return shared.width() >= std::min(kGrip, grip.width()) && shared.height() >= grip.height();
    });
    if (!seen || tooLarge) {
        wanted.moveLeft(std::clamp(wanted.left(), home.left(), home.right() + 1 - wanted.width()));
        wanted.moveTop(std::clamp(wanted.top(), home.top(), home.bottom() + 1 - wanted.height()));
    }
    return wanted;
}

void restorePlacement(frmMain &window)
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Settings"));
    const float left = readPlacement(settings, kLeft);
    const float top = readPlacement(settings, kTop);
    const float width = readPlacement(settings, kWidth);
    const float height = readPlacement(settings, kHeight);
    const QRect placed = onScreens(QRect(window.twips().toPixelsX(left), window.twips().toPixelsY(top),
                                         window.twips().toPixelsX(width), window.twips().toPixelsY(height)),
                                   window.filePanel()->width());
    window.move(placed.topLeft());
    window.resize(placed.size());
}

void savePlacement(const frmMain &window)
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(QLatin1String(kLeft.key), QString::number(window.twips().toTwipsX(window.x())));
    settings.setValue(QLatin1String(kTop.key), QString::number(window.twips().toTwipsY(window.y())));
    settings.setValue(QLatin1String(kWidth.key), QString::number(window.twips().toTwipsX(window.width())));
    settings.setValue(QLatin1String(kHeight.key), QString::number(window.twips().toTwipsY(window.height())));
}

void connectCommand(frmMain *window, QAction *action, std::function<void()> command)
{
    QObject::connect(action, &QAction::triggered, window, [window, command] { runCommand(window, command); });
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

    m_navigator = std::make_unique<Navigator>(*this, m_state, m_workArea);
    TV = m_navigator->tree();
    m_detail = std::make_unique<DetailView>(*this, m_state, m_workArea);
    LV = m_detail->list();
    m_points = std::make_unique<LoadingPoints>(*this, m_state);
    m_analysis = std::make_unique<AnalysisCommands>(*this, m_state);
    m_shaft = std::make_unique<ShaftViews>(*this, m_state);

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

    ctPicture = new DiagramPicture(m_workArea);
    ctPicture->hide();

    m_files = std::make_unique<FileCommands>(*this, m_state);
    frFile = m_files->panel();

    m_statusPanel = new QLabel(this);
    m_statusPanel->setObjectName(QStringLiteral("sbPanel1"));
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    statusBar()->addWidget(m_statusPanel, 1);

    setMinimumSize(frFile->size());
    m_workArea->installEventFilter(this); // lays the controls out from now on
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

    FileCommands *files = m_files.get();
    LoadingPoints *points = m_points.get();
    connectCommand(this, mnuFileNew, [files] { files->mnuFileNew_Click(); });
    connectCommand(this, mnuFileOpen, [files] { files->mnuFileOpen_Click(); });
    connectCommand(this, mnuSave, [files] { files->mnuSave_Click(); });
    connectCommand(this, mnuReport, [files] { files->mnuReport_Click(); });
    connectCommand(this, mnuFileClose, [this] { mnuFileClose_Click(); });
    connectCommand(this, mnuAddFree, [points] { points->mnuAddFree_Click(); });
    connectCommand(this, mnuAddCill, [points] { points->mnuAddCill_Click(); });
    connectCommand(this, mnuAddCon, [points] { points->mnuAddCon_Click(); });
    connectCommand(this, mnuEditDelete, [points] { points->mnuEditDelete_Click(); });
    connectCommand(this, cmdAbout, [this] { cmdAbout_Click(); });
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
    restorePlacement(*this);
    m_navigator->buildTree();
    setEditCommandsEnabled(false, false);
}

// ---------------------------------------------------------------- twips

Twips::Twips(const QWidget &window)
{
    // A twip is 1/1440 inch; without a screen the window counts 96 dpi.
    const QScreen *screen = window.screen();
    const double dpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    m_perPixelX = 1440.0 / (dpiX > 0 ? dpiX : 96.0);
    m_perPixelY = 1440.0 / (dpiY > 0 ? dpiY : 96.0);
}

int Twips::toPixelsX(double twips) const { return static_cast<int>(std::lround(twips / m_perPixelX)); }
int Twips::toPixelsY(double twips) const { return static_cast<int>(std::lround(twips / m_perPixelY)); }
int Twips::toTwipsX(int pixels) const { return static_cast<int>(std::lround(pixels * m_perPixelX)); }
int Twips::toTwipsY(int pixels) const { return static_cast<int>(std::lround(pixels * m_perPixelY)); }

// ---------------------------------------------------------------- layout

int frmMain::splitterPosition() const
{
    return twips().toTwipsX(imgSplitter->x());
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (width() < frFile->width())
        resize(frFile->width(), height());
}

void frmMain::SizeControls(int x)
{
    if (height() < frFile->height())
        resize(width(), frFile->height());

    const int windowWidth = twips().toTwipsX(m_workArea->width());
    const int innerHeight = twips().toTwipsY(m_workArea->height());
    if (x < kTreeMinimum)
        x = kTreeMinimum;
    if (x > windowWidth - kTreeMinimum)
        x = windowWidth - kTreeMinimum;

    // The toolbar and the status bar live outside the work area, so the
    // tree starts at its top and takes its whole height.
    const int treeWidth = x;
    const int listLeft = x + kListGap;
    const int listWidth = std::max(0, windowWidth - (treeWidth + kListRightMargin));
    TV->setGeometry(0, 0, twips().toPixelsX(treeWidth), twips().toPixelsY(innerHeight));
    imgSplitter->setGeometry(twips().toPixelsX(x), 0, twips().toPixelsX(kSplitterWidth), twips().toPixelsY(innerHeight));
    LV->setGeometry(twips().toPixelsX(listLeft), 0, twips().toPixelsX(listWidth), twips().toPixelsY(innerHeight));

    const int listPixels = twips().toPixelsX(listWidth);
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

    m_detail->placeEditors();
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
                                 std::max(1, imgSplitter->height() - twips().toPixelsY(20)));
        picSplitter->show();
        picSplitter->raise();
        m_splitterDragging = true;
        return true;
    case QEvent::MouseMove:
        if (m_splitterDragging) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const int windowWidth = twips().toTwipsX(m_workArea->width());
            int position = splitterPosition() + twips().toTwipsX(static_cast<int>(mouse->position().x()));
            position = std::clamp(position, kDragMinimum, std::max(kDragMinimum, windowWidth - kDragMinimum));
            picSplitter->move(twips().toPixelsX(position), picSplitter->y());
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (m_splitterDragging) {
            SizeControls(twips().toTwipsX(picSplitter->x()));
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
        SizeControls(twips().toTwipsX(m_workArea->width()) / 4);
        return false;
    }
    if (watched == imgSplitter)
        return splitterEvent(event);
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
    FileCommands *files = m_files.get();
    std::function<void()> command;
    if (key == QLatin1String("Forward"))
        command = [files] { files->mnuReport_Click(); };
    else if (key == QLatin1String("New"))
        command = [files] { files->mnuFileNew_Click(); };
    else if (key == QLatin1String("Open"))
        command = [files] { files->mnuFileOpen_Click(); };
    else if (key == QLatin1String("Save"))
        command = [files] { files->mnuSave_Click(); };
    else if (key == QLatin1String("Delete"))
        command = [this] { mnuEditDelete_Click(); };
    if (command)
        runCommand(this, command);
}

// ---------------------------------------------------------------- commands

void frmMain::mnuFileClose_Click()
{
    close();
}

void frmMain::mnuEditDelete_Click()
{
    m_points->mnuEditDelete_Click();
}

void frmMain::cmdAbout_Click()
{
    auto *about = new frmSplash(frmSplash::Role::About, this,
                                QDir::toNativeSeparators(QFileInfo(storePath(m_state.storeDirectory)).absoluteFilePath()));
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
        savePlacement(*this);
    if (m_state.db)
        m_state.db->close();
    m_state.storeLock.reset();
    m_state.workspace.close();
    m_closed = true;
    event->accept();
}

// ---------------------------------------------------------------- the parts

void frmMain::saveScenario(const QString &target)
{
    m_files->saveScenario(target);
}

void frmMain::openScenario(const QString &target)
{
    m_files->openScenario(target);
}

frmMain::ReportOutcome frmMain::writeReport(const QString &target, QString *writtenTo)
{
    return m_files->writeReport(target, writtenTo);
}

bool frmMain::BaseRefresh()
{
    return m_analysis->BaseRefresh();
}

QTreeWidgetItem *frmMain::nodeByKey(const QString &key) const
{
    return m_navigator->nodeByKey(key);
}

QTreeWidgetItem *frmMain::rowByKey(const QString &key) const
{
    return m_detail->rowByKey(key);
}

QString frmMain::viewTag() const
{
    return m_detail->viewTag();
}

bool frmMain::isEditorOpen() const
{
    return m_detail->isEditorOpen();
}

void frmMain::commitTextEditor()
{
    m_detail->commitTextEditor();
}

} // namespace tarnvel

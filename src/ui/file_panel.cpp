#include "ui/file_panel.h"

#include "ui/message_box.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QKeyEvent>
#include <QStorageInfo>

#include <cmath>

namespace tarnvel {

// ---------------------------------------------------------------- ClosePicture

ClosePicture::ClosePicture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture2"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Light);
}

void ClosePicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.6));
    const QRectF glyph(3.5, 3.5, 9, 9);
    painter.drawLine(glyph.topLeft(), glyph.bottomRight());
    painter.drawLine(glyph.topRight(), glyph.bottomLeft());
}

void ClosePicture::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    const bool inside = at.x() > 1 && at.x() < 12 && at.y() > 1 && at.y() < 12;
    if (inside != m_highlighted) {
        m_highlighted = inside;
        setBackgroundRole(inside ? QPalette::ToolTipBase : QPalette::Light);
        update();
    }
}

void ClosePicture::leaveEvent(QEvent *)
{
    m_highlighted = false;
    setBackgroundRole(QPalette::Light);
    update();
}

void ClosePicture::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

// ---------------------------------------------------------------- FilePanel

namespace {

enum { PathRole = Qt::UserRole };

// The folder the panel was last confirmed in, kept across runs.
const QString kLastFolderKey = QStringLiteral("Settings/FileFolder");

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

FilePanel::FilePanel(QWidget *parent)
    : QFrame(parent)
    , m_pattern(QStringLiteral("*.tvd;*.TVD"))
{
    setObjectName(QStringLiteral("frFile"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    lbCaption = new QLabel(this);
    lbCaption->setObjectName(QStringLiteral("lbCaption"));
    lbCaption->setAutoFillBackground(true);
    lbCaption->setBackgroundRole(QPalette::Highlight);
    lbCaption->setForegroundRole(QPalette::HighlightedText);
    lbCaption->setIndent(6);
    Picture2 = new ClosePicture(this);
    ctDisc = new QComboBox(this);
    ctDisc->setObjectName(QStringLiteral("ctDisc"));
    ctDir = new QListWidget(this);
    ctDir->setObjectName(QStringLiteral("ctDir"));
    ctFile = new QListWidget(this);
    ctFile->setObjectName(QStringLiteral("ctFile"));
    Label3 = new QLabel(QStringLiteral("Имя файла:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    txtFileName = new QLineEdit(this);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    comFile = new QPushButton(QStringLiteral("OK"), this);
    comFile->setObjectName(QStringLiteral("comFile"));
    comCancel = new QPushButton(QStringLiteral("Отмена"), this);
    comCancel->setObjectName(QStringLiteral("comCancel"));
    layoutControls();

    connect(Picture2, &ClosePicture::clicked, this, [this] {
        hide();
        Q_EMIT closed();
    });
    connect(ctDisc, &QComboBox::activated, this, [this](int index) { changeDrive(ctDisc->itemData(index).toString()); });
    connect(ctDir, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { setDirectory(item->data(PathRole).toString()); });
    connect(ctFile, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { txtFileName->setText(item->text()); });
    connect(ctFile, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        txtFileName->setText(item->text());
        if (comFile->isEnabled())
            comFile->click();
    });
    connect(txtFileName, &QLineEdit::textChanged, this, [this] { txtFileName_Change(); });
    connect(txtFileName, &QLineEdit::returnPressed, this, [this] {
        if (comFile->isEnabled())
            comFile->click();
    });
    connect(comFile, &QPushButton::clicked, this, [this] { confirm(); });
    connect(comCancel, &QPushButton::clicked, this, &FilePanel::cancelled);

    // Folders and files made by other programs while the panel is open.
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { refresh(); });

    fillDrives();
    const QString lastFolder = QSettings().value(kLastFolderKey).toString();
    setDirectory(!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir() ? lastFolder : QDir::currentPath());
    txtFileName_Change();
}

void FilePanel::confirm()
{
    QSettings().setValue(kLastFolderKey, highlightedDirectory());
    Q_EMIT confirmed();
}

// Each showing lists the folder as it is now, and the name box takes the keys.
void FilePanel::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    refresh();
    txtFileName->setFocus(Qt::OtherFocusReason);
    txtFileName->selectAll();
}

// Esc in any of the panel's controls is "Отмена".
void FilePanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        comCancel->click();
        return;
    }
    QFrame::keyPressEvent(event);
}

// The panel covers the window like a dialog: Tab and Shift+Tab go round its
// own controls and never reach the tree and the list hidden behind it.
bool FilePanel::focusNextPrevChild(bool next)
{
    const QList<QWidget *> ring{txtFileName, comFile, comCancel, ctDisc, ctDir, ctFile};
    const QWidget *focused = QApplication::focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; i < ring.size(); ++i) {
        if (focused == ring.at(i) || ring.at(i)->isAncestorOf(focused))
            at = i;
    }
    if (at < 0)
        at = next ? ring.size() - 1 : 0;
    for (qsizetype step = 1; step <= ring.size(); ++step) {
        QWidget *candidate = ring.at((at + (next ? step : ring.size() - step)) % ring.size());
        if (candidate->isEnabled() && candidate->isVisible()) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void FilePanel::refresh()
{
    const QString highlighted = highlightedDirectory();
    if (!QFileInfo(m_directory).isDir())
        return;
    fillDirectoryList();
    for (int i = 0; i < ctDir->count(); ++i) {
        if (ctDir->item(i)->data(PathRole).toString() == highlighted)
            ctDir->setCurrentRow(i);
    }
    refreshFiles();
}

// Positions and sizes in twips, as the panel was drawn.
void FilePanel::layoutControls()
{
    const QScreen *screen = this->screen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double perPixel = 1440.0 / (dpi > 0 ? dpi : 96.0);
    auto px = [perPixel](int twips) { return static_cast<int>(std::lround(twips / perPixel)); };
    auto place = [&](QWidget *widget, int left, int top, int width, int height) {
        widget->setGeometry(px(left), px(top), px(width), px(height));
    };
    resize(px(9015), px(4935));
    place(lbCaption, 0, 0, 9015, 315);
    place(Picture2, 8695, 0, 310, 310);
    place(ctDisc, 240, 720, 4455, 375);
    place(ctDir, 240, 1320, 4455, 2370);
    place(ctFile, 4920, 720, 3855, 3090);
    place(Label3, 240, 3960, 1200, 255);
    place(txtFileName, 240, 4320, 5775, 360);
    place(comFile, 6240, 4200, 1215, 495);
    place(comCancel, 7560, 4200, 1215, 495);
    Picture2->raise();
}

void FilePanel::setCaption(const QString &caption)
{
    lbCaption->setText(caption);
}

QString FilePanel::caption() const
{
    return lbCaption->text();
}

void FilePanel::setPattern(const QString &pattern)
{
    m_pattern = pattern;
}

QString FilePanel::fileNameText() const
{
    return txtFileName->text();
}

void FilePanel::setFileNameText(const QString &text)
{
    txtFileName->setText(text);
}

void FilePanel::txtFileName_Change()
{
    comFile->setEnabled(!txtFileName->text().trimmed().isEmpty());
}

void FilePanel::fillDrives()
{
    ctDisc->clear();
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid())
            continue;
        const QString root = volume.rootPath();
        ctDisc->addItem(nativePath(root), root);
    }
    if (ctDisc->findData(QDir::rootPath()) < 0)
        ctDisc->insertItem(0, nativePath(QDir::rootPath()), QDir::rootPath());
}

bool FilePanel::changeDrive(const QString &root)
{
    QDir drive(root);
    if (!drive.exists() || !drive.isReadable()) {
        const QString reason = drive.exists() ? QStringLiteral("Нет доступа к диску %1").arg(nativePath(root))
                                              : QStringLiteral("Диск %1 недоступен").arg(nativePath(root));
        showMessage(reason + QStringLiteral("!"), MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Внимание!"), this);
        ctDisc->setFocus();
        return false;
    }
    setDirectory(drive.absolutePath());
    return true;
}

// The directory list shows the way down to the open directory, then the
// directories inside it; the open directory is the highlighted entry.
void FilePanel::setDirectory(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return;
    m_directory = QDir::cleanPath(info.absoluteFilePath());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_watcher->addPath(m_directory);
    fillDirectoryList();
    refreshFiles();
}

void FilePanel::fillDirectoryList()
{
    ctDir->clear();
    QStringList chain;
    for (QDir dir(m_directory);; ) {
        chain.prepend(dir.absolutePath());
        if (!dir.cdUp())
            break;
    }
    int depth = 0;
    QListWidgetItem *open = nullptr;
    for (const QString &path : chain) {
        const QString name = QDir(path).isRoot() ? nativePath(path) : QFileInfo(path).fileName();
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, ctDir);
        item->setData(PathRole, path);
        open = item;
        ++depth;
    }
    const QFileInfoList inside =
        QDir(m_directory).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &dir : inside) {
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + dir.fileName(), ctDir);
        item->setData(PathRole, dir.absoluteFilePath());
    }
    ctDir->setCurrentItem(open);
}

QString FilePanel::highlightedDirectory() const
{
    const QListWidgetItem *item = ctDir->currentItem();
    return item ? item->data(PathRole).toString() : m_directory;
}

void FilePanel::refreshFiles()
{
    ctFile->clear();
    const QStringList filters = m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QStringList names = QDir(m_directory).entryList(filters, QDir::Files, QDir::Name | QDir::IgnoreCase);
    ctFile->addItems(names);
}

} // namespace tarnvel

#pragma once

#include <QFrame>
#include <QString>

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tarnvel {

// The close glyph of the file panel: a cross that lights up while the
// pointer is over it.
class ClosePicture : public QWidget
{
    Q_OBJECT
public:
    explicit ClosePicture(QWidget *parent = nullptr);
    bool isHighlighted() const { return m_highlighted; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_highlighted = false;
};

// The file panel embedded in the main window, in place of a file dialog: a
// drive list, a directory list, a file list filtered by a pattern and a name
// box. The window decides what its "OK" does.
class FilePanel : public QFrame
{
    Q_OBJECT
public:
    explicit FilePanel(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const;
    void setPattern(const QString &pattern); // "*.tvd;*.TVD"
    QString pattern() const { return m_pattern; }
    void refreshFiles();
    QString fileNameText() const;
    void setFileNameText(const QString &text);
    void txtFileName_Change();

    // The directory the directory list highlights: after a change of
    // directory, the open directory itself.
    QString highlightedDirectory() const;
    QString currentDirectory() const { return m_directory; }
    void setDirectory(const QString &path); // ctDir_Change
    bool changeDrive(const QString &root); // ctDisc_Change; false when the drive cannot be read

Q_SIGNALS:
    void confirmed(); // comFile
    void cancelled(); // comCancel
    void closed();    // the close glyph

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void layoutControls();
    void fillDirectoryList();
    void fillDrives();
    void confirm();
    void refresh();

    QString m_directory;
    QFileSystemWatcher *m_watcher = nullptr;
    QString m_pattern;
    QLabel *lbCaption = nullptr;
    ClosePicture *Picture2 = nullptr;
    QComboBox *ctDisc = nullptr;
    QListWidget *ctDir = nullptr;
    QListWidget *ctFile = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtFileName = nullptr;
    QPushButton *comFile = nullptr;
    QPushButton *comCancel = nullptr;
};

} // namespace tarnvel

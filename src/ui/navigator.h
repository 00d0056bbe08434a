#pragma once

#include <QObject>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace tarnvel {

class frmMain;
struct ProgramState;

// The navigator tree TV: the sections of the calculation and one node per
// loading point. Showing a node is how every part of the program moves the
// user: select the node, then run TV_Click.
class Navigator : public QObject
{
    Q_OBJECT
public:
    Navigator(frmMain &window, ProgramState &state, QWidget *parent);

    QTreeWidget *tree() const { return TV; }
    void buildTree();
    QTreeWidgetItem *addNode(const QString &key, const QString &caption, QTreeWidgetItem *parent,
                             const QString &tag = QString());
    QTreeWidgetItem *nodeByKey(const QString &key) const;
    QString currentKey() const; // empty with no node selected
    void clearPointNodes();
    void selectAndDisplayNode(const QString &key);
    void TV_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addPointNodes();

    frmMain &m_window;
    ProgramState &m_state;
    QTreeWidget *TV = nullptr;
};

} // namespace tarnvel

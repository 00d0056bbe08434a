#pragma once

#include "scheme/scheme_edits.h"

#include <QTreeWidgetItem>

#include <initializer_list>

namespace tarnvel {

// Item data of the tree and the detail list.
enum ItemRole {
    KeyRole = Qt::UserRole,   // node or row key
    TagRole,                  // node or row tag; in column 1 of the list the value cell's tag
    ImageRole,                // image number of a list row (0: none)
    ChoiceRole,               // in column 1: true when the value is one of the parameter's choices
};

// A node of the tree or a row of the list. Captions and values are often
// wider than their column ("Точка 1 (Коническое зацепление)" in a narrow
// tree): the pointer resting on a cell shows its whole text.
class WorkbenchItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    QVariant data(int column, int role) const override
    {
        if (role == Qt::ToolTipRole && !QTreeWidgetItem::data(column, role).isValid() && !text(column).isEmpty())
            return text(column);
        return QTreeWidgetItem::data(column, role);
    }
};

// Whether a node or row key is one of the given ones.
inline bool isOneOf(const QString &key, std::initializer_list<const char *> keys)
{
    for (const char *candidate : keys) {
        if (key == QLatin1String(candidate))
            return true;
    }
    return false;
}

} // namespace tarnvel

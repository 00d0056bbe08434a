#pragma once

#include <QString>

namespace tarnvel {

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

} // namespace tarnvel

#pragma once

#include <QIcon>
#include <QString>

namespace tarnvel {

// Images of the main window's shared image list, by number, as the detail
// view's rows refer to them: 2 a mode heading, 4 an ordinary row, 5 "back",
// 6 an add-point row, 7 a parameter that has no stored value yet.
QIcon imageListIcon(int number);

// Toolbar images by button key ("Forward", "New", "Open", "Save", "Delete").
QIcon toolbarIcon(const QString &key);

} // namespace tarnvel

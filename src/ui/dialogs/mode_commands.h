#pragma once

#include <functional>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace tarnvel {

// The command buttons both load dialogs share, by index: 0 "Добавить",
// 1 "Удалить", 3 "OK" (set apart at the right). A click runs click(index)
// as a user command.
QHBoxLayout *modeCommandButtons(QWidget *dialog, QPushButton *(&buttons)[4], const std::function<void(int)> &click);

} // namespace tarnvel

#include "ui/dialogs/mode_commands.h"

#include "ui/command_guard.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tarnvel {

QHBoxLayout *modeCommandButtons(QWidget *dialog, QPushButton *(&buttons)[4], const std::function<void(int)> &click)
{
    auto *row = new QHBoxLayout;
    const char *captions[] = {"Добавить", "Удалить", nullptr, "OK"};
    for (int i : {0, 1, 3}) {
        buttons[i] = new QPushButton(QString::fromUtf8(captions[i]), dialog);
        buttons[i]->setObjectName(QStringLiteral("ctlCommand%1").arg(i));
        buttons[i]->setAutoDefault(false);
        QObject::connect(buttons[i], &QPushButton::clicked, dialog, [dialog, click, i] { runCommand(dialog, [&] { click(i); }); });
        if (i == 3)
            row->addStretch();
        row->addWidget(buttons[i]);
    }
    return row;
}

} // namespace tarnvel

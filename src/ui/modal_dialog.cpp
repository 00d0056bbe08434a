#include "ui/modal_dialog.h"

#include <QDialog>

namespace tarnvel {

namespace {
ModalDriver &driver()
{
    static ModalDriver instance;
    return instance;
}
} // namespace

void setModalDriver(ModalDriver newDriver)
{
    driver() = std::move(newDriver);
}

int runModal(QDialog &dialog)
{
    if (!driver())
        return dialog.exec();
    dialog.setModal(true);
    dialog.show();
    driver()(dialog);
    if (dialog.isVisible())
        dialog.reject(); // a driver that walks away closes the dialog as the close box would
    return dialog.result();
}

} // namespace tarnvel

// The main of the window's test programs: no message box or dialog may ever
// wait for a click, and nothing is ever handed to the desktop (a browser
// opening under a test run).

#include "message_recorder.h"
#include "test_run.h"
#include "ui/message_box.h"
#include "ui/modal_dialog.h"

#include <QApplication>

int main(int argc, char **argv)
{
    return tarnvel::test::runTests<QApplication>(argc, argv, [] {
        tarnvel::setMessageResponder([](const tarnvel::ShownMessage &message) {
            return message.buttons == tarnvel::MessageButtons::YesNo ? tarnvel::MessageAnswer::No
                                                                     : tarnvel::MessageAnswer::Ok;
        });
        // A dialog that no test drives is closed as by its close box.
        tarnvel::setModalDriver([](QDialog &) {});
        tarnvel::test::refuseDesktop();
    });
}

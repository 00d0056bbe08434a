// The main of the core's test programs: no widgets, so that the store,
// scheme, analysis and file code is shown to need none.

#include "test_run.h"

#include <QGuiApplication>

int main(int argc, char **argv)
{
    return tarnvel::test::runTests<QGuiApplication>(argc, argv, [] {});
}

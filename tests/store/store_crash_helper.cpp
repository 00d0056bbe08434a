// Opens scenarios and starts new projects over and over until it is killed:
// the crash test stops it at a random moment and inspects what is left.
//   store_crash_helper <store directory> new|open <scenario file> <empty scenario file>
#include "files/scenario_file.h"
#include "store/store_file.h"

#include <QString>

int main(int argc, char **argv)
{
    using namespace tarnvel;
    if (argc != 5)
        return 2;
    const QString directory = QString::fromLocal8Bit(argv[1]);
    const bool open = qstrcmp(argv[2], "open") == 0;
    const std::optional<Scenario> full = loadScenarioFile(QString::fromLocal8Bit(argv[3]));
    const std::optional<Scenario> empty = loadScenarioFile(QString::fromLocal8Bit(argv[4]));
    if (!full || !empty)
        return 2;
    std::unique_ptr<Database> db = openOrCreateStore(directory);
    const auto quiet = [](const QString &) {};
    for (;;) {
        openScenarioInStore(db, directory, *full, quiet);
        if (open)
            openScenarioInStore(db, directory, *empty, quiet);
        else
            newProjectStore(db, directory, quiet);
    }
}

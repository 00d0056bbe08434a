// libFuzzer target for the scenario reader and everything a read scenario
// feeds: the calculation, the diagrams and the report page.

#include "fuzz_checks.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

tarnvel::Database *store = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The diagrams are drawn with fonts, which need a (window-less) GUI.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    static QTemporaryDir directory;
    static std::unique_ptr<tarnvel::Database> db = tarnvel::openOrCreateStore(directory.path());
    store = db.get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (!tarnvel::fuzz::scenarioBytesBehave(bytes) || !tarnvel::fuzz::scenarioCalculates(*store, bytes))
        std::abort();
    return 0;
}

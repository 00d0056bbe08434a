// libFuzzer target for the scenario reader.

#include "fuzz_checks.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!tarnvel::fuzz::scenarioBytesBehave(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))))
        std::abort();
    return 0;
}

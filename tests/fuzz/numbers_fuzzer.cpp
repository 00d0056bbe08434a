// libFuzzer target for the reading of typed numbers and their statement text.

#include "fuzz_checks.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!tarnvel::fuzz::numberTextBehaves(QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))))
        std::abort();
    return 0;
}

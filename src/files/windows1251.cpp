#include "files/windows1251.h"

#include <algorithm>
#include <array>

namespace tarnvel {

namespace {

// Code points of the bytes 0x80 … 0xBF; 0x98 is unassigned. The bytes
// 0xC0 … 0xFF are А … я (U+0410 … U+044F) in alphabet order, and the bytes
// below 0x80 are ASCII.
constexpr std::array<char16_t, 64> kUpperHalf {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

// The byte of a character beyond ASCII and А … я, or 0 when the code page
// has none.
int upperHalfByte(char16_t c)
{
    const auto found = std::find(kUpperHalf.begin(), kUpperHalf.end(), c);
    return found == kUpperHalf.end() ? 0 : static_cast<int>(0x80 + (found - kUpperHalf.begin()));
}

void appendReference(QByteArray &out, char32_t codePoint)
{
    out += "&#";
    out += QByteArray::number(static_cast<quint32>(codePoint));
    out += ';';
}

} // namespace

QByteArray toWindows1251(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // The bulk of a page is ASCII and Cyrillic letters: a run of them
        // goes in at once.
        if (c.unicode() < 0x80 || (c.unicode() >= 0x0410 && c.unicode() <= 0x044F)) {
            qsizetype end = i;
            char run[256];
            int n = 0;
            for (; end < text.size() && n < static_cast<int>(sizeof run); ++end, ++n) {
                const char16_t u = text.at(end).unicode();
                if (u < 0x80)
                    run[n] = static_cast<char>(u);
                else if (u >= 0x0410 && u <= 0x044F)
                    run[n] = static_cast<char>(0xC0 + (u - 0x0410));
                else
                    break;
            }
            out.append(run, n);
            i = end - 1;
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            appendReference(out, QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
            continue;
        }
        if (c.isSurrogate()) {
            appendReference(out, 0xFFFD);
            continue;
        }
        if (const int byte = upperHalfByte(c.unicode()))
            out += static_cast<char>(byte);
        else
            appendReference(out, c.unicode());
    }
    return out;
}

} // namespace tarnvel

#pragma once

#include <QByteArray>
#include <QString>

namespace tarnvel {

// The text in the Cyrillic single-byte code page windows-1251, for pages that
// declare that charset. A character the code page cannot hold is written as
// the HTML numeric character reference of its code point ("&#8734;" for ∞),
// so nothing is lost to a question mark; a lone surrogate becomes "&#65533;".
QByteArray toWindows1251(const QString &text);

} // namespace tarnvel

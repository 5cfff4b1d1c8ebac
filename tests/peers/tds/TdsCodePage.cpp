#include "peers/tds/TdsCodePage.h"

namespace peers {

namespace {

// Code points of the bytes 0x80 to 0x9F; zero where the code page has none.
const char16_t kHighControlRange[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char toByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControlRange[i] != 0 && kHighControlRange[i] == c)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

QByteArray toWindows1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character the code page lacks.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        bytes.append(text[i].isSurrogate() ? '?' : toByte(text[i].unicode()));
    }
    return bytes;
}

} // namespace peers

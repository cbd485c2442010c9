#include "TextLines.h"

#include <QString>

QStringList TextLines(std::string_view text)
{
    QStringList lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines << QString::fromUtf8(text.data() + start, static_cast<qsizetype>(i - start));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size()) lines << QString::fromUtf8(text.data() + start, static_cast<qsizetype>(text.size() - start));
    return lines;
}

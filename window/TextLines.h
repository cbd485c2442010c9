#pragma once

#include <QStringList>
#include <string_view>

// The lines of a UTF-8 text as a list box loads them: a line ends at CR LF, LF or CR,
// and a final line end adds no empty line.
QStringList TextLines(std::string_view text);

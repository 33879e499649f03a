// qtext.h: the program's texts, kept as UTF-8, as Qt strings.
#pragma once

#include <QString>

#include <string_view>

inline QString toQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

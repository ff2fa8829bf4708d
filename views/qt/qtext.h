// Conversion of Windows-1251 texts to and from QString, at the edge between the logic and the widgets.
#pragma once

#include <QString>
#include <string>
#include <string_view>

/// Returns the text of a UTF-8 string literal, for the program's own Russian texts in the widgets.
inline QString u(const char* utf8) { return QString::fromUtf8(utf8); }

/// Returns the Unicode text of Windows-1251 bytes.
QString FromCp1251(std::string_view text);

/// Returns the Windows-1251 bytes of a text; characters the code page lacks become "?".
std::string ToCp1251(const QString& text);

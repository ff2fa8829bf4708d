#include "views/qt/qtext.h"

#include "base/cp1251.h"

QString FromCp1251(std::string_view text) {
    QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* data = out.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        data[i] = QChar(static_cast<char16_t>(cp1251::codePointOf(static_cast<unsigned char>(text[i]))));
    }
    return out;
}

std::string ToCp1251(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        int b = cp1251::byteOf(c.unicode());
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

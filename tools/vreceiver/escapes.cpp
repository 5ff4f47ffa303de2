#include "escapes.h"

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<QByteArray> decodeEscapes(const QString &text, QString *error)
{
    const QByteArray in = text.toUtf8();
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= in.size()) {
            *error = QStringLiteral("\"%1\" ends with a lone backslash").arg(text);
            return std::nullopt;
        }
        switch (in.at(i)) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case 'x': {
            const int high = i + 1 < in.size() ? hexValue(in.at(i + 1)) : -1;
            const int low = i + 2 < in.size() ? hexValue(in.at(i + 2)) : -1;
            if (high < 0 || low < 0) {
                *error = QStringLiteral("\"%1\": \\x needs two hex digits").arg(text);
                return std::nullopt;
            }
            out += char(high * 16 + low);
            i += 2;
            break;
        }
        default:
            *error = QStringLiteral("\"%1\": unknown escape \\%2").arg(text, QChar::fromLatin1(in.at(i)));
            return std::nullopt;
        }
    }
    return out;
}

QString printableBytes(const QByteArray &bytes, int maxBytes)
{
    QString out;
    const qsizetype shown = qMin<qsizetype>(bytes.size(), maxBytes);
    for (qsizetype i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes.at(i));
        switch (c) {
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        default:
            if (c >= 0x20 && c < 0x7f)
                out += QChar::fromLatin1(char(c));
            else
                out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        }
    }
    if (shown < bytes.size())
        out += QStringLiteral("... (%1 bytes)").arg(bytes.size());
    return out;
}

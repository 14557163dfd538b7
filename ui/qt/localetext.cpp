// localetext.cpp - the locale's encoding through QStringEncoder and QStringDecoder.
#include "localetext.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "tolvex/ui/texts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#endif

namespace tolvex::qt {
namespace {

constexpr auto kStateless = QStringConverter::Flag::Stateless;

bool IsUtf8OrAscii(const QByteArray& name) {
    const QByteArray n = name.toUpper();
    return n == "UTF-8" || n == "UTF8" || n == "ANSI_X3.4-1968" || n == "ASCII" || n == "US-ASCII";
}

// Whether each of the program's own texts comes back unchanged through `codeset`.
bool HoldsOwnTexts(const QByteArray& codeset) {
    QStringEncoder encode(codeset.constData(), kStateless);
    QStringDecoder decode(codeset.constData(), kStateless);
    if (!encode.isValid() || !decode.isValid()) {
        return false;
    }
    for (const std::string_view text : ui::texts::OwnTexts()) {
        const QString own = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        const QByteArray bytes = encode(own);
        if (QString(decode(bytes)) != own) {
            return false;
        }
    }
    return true;
}

// Bytes that `c` (one code point) takes in UTF-8.
std::size_t Utf8Length(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

}  // namespace

LocaleText LocaleText::FromLocale() {
#ifdef _WIN32
    return LocaleText("CP" + QByteArray::number(GetACP()));
#else
    return LocaleText(QByteArray(nl_langinfo(CODESET)));
#endif
}

LocaleText::LocaleText(const QByteArray& codeset) : name_("UTF-8"), utf8_(true) {
    if (!codeset.isEmpty() && !IsUtf8OrAscii(codeset) && HoldsOwnTexts(codeset)) {
        name_ = codeset;
        utf8_ = false;
    }
}

QString LocaleText::ToQString(std::string_view bytes) const {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (utf8_) {
        return QString::fromUtf8(view);
    }
    QStringDecoder decode(name_.constData(), kStateless);
    return decode(view);
}

std::string LocaleText::FromQString(QStringView text) const {
    QByteArray bytes;
    if (utf8_) {
        bytes = text.toUtf8();
    } else {
        QStringEncoder encode(name_.constData(), kStateless);
        bytes = encode(text);
    }
    return bytes.toStdString();
}

CharSpan LocaleText::BytesToChars(QStringView text, std::size_t start, std::size_t length,
                                  bool crlf) const {
    QStringEncoder encode(utf8_ ? "UTF-8" : name_.constData(), kStateless);
    const std::size_t end = start + length;
    qsizetype first = text.size();
    qsizetype last = text.size();
    std::size_t byte = 0;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        std::size_t size = 1;
        if (c == u'\n' && crlf) {
            size = 2;
        } else if (c >= 0x80) {
            size = utf8_ ? Utf8Length(c)
                         : static_cast<std::size_t>(QByteArray(encode(text.mid(i, units))).size());
        }
        if (first == text.size() && start < byte + size) {
            first = i;
        }
        if (end <= byte + size) {
            last = i + units;
            break;
        }
        byte += size;
        i += units;
    }
    if (length == 0) {
        last = first;
    }
    return {first, last - first};
}

}  // namespace tolvex::qt

// localetext.cpp - the locale's encoding through QStringEncoder and QStringDecoder.
#include "localetext.h"

#include <langinfo.h>
#include <QStringDecoder>
#include <QStringEncoder>

namespace tolvex::qt {
namespace {

constexpr auto kStateless = QStringConverter::Flag::Stateless;

bool IsUtf8OrAscii(const QByteArray& name) {
    const QByteArray n = name.toUpper();
    return n == "UTF-8" || n == "UTF8" || n == "ANSI_X3.4-1968" || n == "ASCII" || n == "US-ASCII";
}

// The program's own texts: those of the window logic and of the form. An encoding that
// cannot hold every one of them would turn them into question marks.
constexpr const char16_t* kOwnTexts[] = {u"请输入3位数上期开奖号码",
                                         u"请输入3位数前期开奖号码",
                                         u"缩水结果：722注",
                                         u"中",
                                         u"成功保存！",
                                         u"文本文件(*.txt)|*.txt",
                                         u"不能创建文件",
                                         u"写流出错",
                                         u"'%s' 的数据类型是无效的",
                                         u"从 '%s' 获得数据失败",
                                         u"前期开奖：上期开奖：对奖",
                                         u"过滤保存复制退出确定"};

// Whether each of the program's own texts comes back unchanged through `codeset`.
bool HoldsOwnTexts(const QByteArray& codeset) {
    QStringEncoder encode(codeset.constData(), kStateless);
    QStringDecoder decode(codeset.constData(), kStateless);
    if (!encode.isValid() || !decode.isValid()) {
        return false;
    }
    for (const char16_t* text : kOwnTexts) {
        const QString own = QString::fromUtf16(text);
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
    return LocaleText(QByteArray(nl_langinfo(CODESET)));
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

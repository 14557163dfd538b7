// localetext.h - conversion between Qt's text and the byte strings of the locale's encoding.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <string>
#include <string_view>

namespace tolvex::qt {

/// A span of characters (UTF-16 code units) in a QString: [first, first + count).
struct CharSpan {
    qsizetype first;
    qsizetype count;
};

/// The narrow encoding that the window logic speaks: the locale's character encoding.
class LocaleText {
  public:
    /// The encoding named by the current locale (nl_langinfo(CODESET)); call it after the
    /// QApplication is constructed, which sets the locale from the environment.
    static LocaleText FromLocale();

    /// The encoding called `codeset`; UTF-8 when Qt does not know it or it cannot hold the
    /// program's Chinese texts (plain ASCII of the C locale, ISO-8859-1 and the like).
    explicit LocaleText(const QByteArray& codeset);

    /// The encoding in use, e.g. "UTF-8" or "GB18030".
    const QByteArray& Name() const { return name_; }

    QString ToQString(std::string_view bytes) const;
    std::string FromQString(QStringView text) const;

    /// The characters of `text` that hold the bytes [start, start + length) of its encoding,
    /// widened to whole characters (a range may start inside a multi-byte character). With
    /// `crlf` each "\n" counts as the two bytes "\r\n", as a multi-line box reports it.
    CharSpan BytesToChars(QStringView text, std::size_t start, std::size_t length, bool crlf) const;

  private:
    QByteArray name_;
    bool utf8_;
};

}  // namespace tolvex::qt

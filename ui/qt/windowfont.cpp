// windowfont.cpp - font choice and layout scale.
#include "windowfont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <cmath>

namespace tolvex::qt {
namespace {

// Latin faces from the closest match on; the first that is installed is used.
const char* const kLatinFaces[] = {
    "MS Sans Serif", "Microsoft Sans Serif", "Nimbus Sans", "Liberation Sans", "Arial",
    "Helvetica",     "DejaVu Sans"};
// Faces that hold the Chinese glyphs, tried after the Latin face.
const char* const kChineseFaces[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC",
                                     "Droid Sans Fallback", "AR PL UMing CN"};

QStringList InstalledFaces() {
    const QStringList installed = QFontDatabase::families();
    QStringList faces;
    for (const char* face : kLatinFaces) {
        if (installed.contains(QLatin1String(face), Qt::CaseInsensitive)) {
            faces << QString::fromLatin1(face);
            break;
        }
    }
    for (const char* face : kChineseFaces) {
        if (installed.contains(QLatin1String(face), Qt::CaseInsensitive)) {
            faces << QString::fromLatin1(face);
        }
    }
    return faces;
}

}  // namespace

QFont WindowFont(qreal logicalDpi) {
    static const QStringList faces = InstalledFaces();
    QFont font;
    if (!faces.isEmpty()) {
        font.setFamilies(faces);
    }
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(8.0 * logicalDpi / 72.0)));
    return font;
}

qreal LayoutScale(qreal logicalDpi) {
    const int designed = QFontMetrics(WindowFont(96.0)).height();
    const int actual = QFontMetrics(WindowFont(logicalDpi)).height();
    return designed > 0 ? static_cast<qreal>(actual) / designed : 1.0;
}

}  // namespace tolvex::qt

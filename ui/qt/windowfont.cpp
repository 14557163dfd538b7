// windowfont.cpp - font choice and layout scale.
#include "windowfont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <cmath>

namespace tolvex::qt {
namespace {

// Latin faces from the closest match on; the first that is installed is used.
const char* const kLatinFaces[] = {"MS Sans Serif", "Nimbus Sans", "Liberation Sans",
                                   "DejaVu Sans"};
// Faces that hold the Chinese glyphs, tried after the Latin face.
const char* const kChineseFaces[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC"};

// hasFamily() also knows a face by its English name under a locale that lists it by another
// (fontconfig names WenQuanYi Micro Hei 文泉驿微米黑 under a Chinese locale) and without the
// foundry that families() adds when two foundries ship the face.
QStringList InstalledFaces() {
    QStringList faces;
    for (const char* face : kLatinFaces) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(face))) {
            faces << QString::fromLatin1(face);
            break;
        }
    }
    for (const char* face : kChineseFaces) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(face))) {
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

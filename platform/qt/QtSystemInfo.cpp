#include "platform/qt/QtSystemInfo.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <array>
#include <utility>

namespace tavlin {

namespace {

// Faces that fontconfig serves through metric-compatible aliases count as installed when the
// alias is what the font system resolves them to.
constexpr std::array<std::pair<const char*, const char*>, 8> kMetricAliases = {{
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Cambria", "Caladea"},
}};

} // namespace

int QtSystemInfo::pixelsPerInch() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

bool QtSystemInfo::isFontInstalled(std::string_view face) const {
    const QString name = QString::fromUtf8(face.data(), qsizetype(face.size()));
    for (const QString& family : QFontDatabase::families()) {
        if (family.compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    const QString resolved = QFontInfo(QFont(name)).family();
    for (const auto& [alias, target] : kMetricAliases) {
        if (name.compare(QLatin1String(alias), Qt::CaseInsensitive) == 0 &&
            resolved.compare(QLatin1String(target), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace tavlin

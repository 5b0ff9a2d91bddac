#include "platform/qt/QtSystemInfo.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <array>
#include <functional>
#include <string>
#include <unordered_map>
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

bool lookUpFont(const QString& name) {
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

} // namespace

int QtSystemInfo::pixelsPerInch() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

namespace {

// Looked up once for each face, whatever its case.
bool faceInstalled(std::string_view face) {
    static std::unordered_map<std::string, bool> known;
    const QString name = QString::fromUtf8(face.data(), qsizetype(face.size()));
    const std::string key = name.toLower().toStdString();
    if (const auto it = known.find(key); it != known.end()) {
        return it->second;
    }
    const bool installed = lookUpFont(name);
    known.emplace(key, installed);
    return installed;
}

} // namespace

bool QtSystemInfo::isFontInstalled(std::string_view face) const {
    // The reader asks for every element that names a face (every link of a listing does); the
    // font set does not change while the program runs, so each face is looked up once, and
    // each spelling of it is answered without converting it again.
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    static std::unordered_map<std::string, bool, TextHash, std::equal_to<>> asWritten;
    if (const auto it = asWritten.find(face); it != asWritten.end()) {
        return it->second;
    }
    if (asWritten.size() > 10000) {
        asWritten.clear(); // a page of endless names
    }
    const bool installed = faceInstalled(face);
    asWritten.emplace(std::string(face), installed);
    return installed;
}

} // namespace tavlin

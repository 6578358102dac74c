// Program resources, embedded with Qt's resource system under
// ":/korvane/<KIND>/<NAME>" by gui_add_resources.
#include <QDir>
#include <QFile>

#include <algorithm>

#include "gui/base/Resources.h"

namespace gui {

namespace {

String Upper(const String& s) {
    String r = s;
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return r;
}

QString PathFor(const String& name, const String& kind) {
    return QStringLiteral(":/korvane/") + QString::fromLatin1(Upper(kind).c_str()) + QLatin1Char('/') +
           QString::fromLatin1(Upper(name).c_str());
}

}  // namespace

bool FindResource(const String& nameOrNumber, const String& kind, std::vector<std::uint8_t>& out) {
    if (nameOrNumber.empty() || kind.empty() || nameOrNumber.find('/') != String::npos) return false;
    QFile f(PathFor(nameOrNumber, kind));
    if (!f.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes = f.readAll();
    out.assign(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
               reinterpret_cast<const std::uint8_t*>(bytes.constData()) + bytes.size());
    return true;
}

std::vector<std::uint8_t> LoadResource(const String& nameOrNumber, const String& kind) {
    std::vector<std::uint8_t> out;
    if (!FindResource(nameOrNumber, kind, out)) throw EResNotFound(FormatMessage("Resource %s not found", nameOrNumber));
    return out;
}

std::vector<String> ResourceNames(const String& kind) {
    std::vector<String> names;
    QDir dir(QStringLiteral(":/korvane/") + QString::fromLatin1(Upper(kind).c_str()));
    for (const QString& n : dir.entryList(QDir::Files, QDir::Name)) names.push_back(n.toStdString());
    return names;
}

}  // namespace gui

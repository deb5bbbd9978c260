#include "app/desktopmodule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

namespace tarnvale {

using namespace Qt::Literals::StringLiterals;

QStringList desktopModuleCandidates()
{
    // The executable's own directory, as the system reports it.
    QString exe = QFile::symLinkTarget(u"/proc/self/exe"_s);
    if (exe.isEmpty())
        exe = QFileInfo(u"/proc/self/exe"_s).canonicalFilePath();
    const QDir dir = QFileInfo(exe).absoluteDir();
    const QString name = QStringLiteral(TARNVALE_DESKTOP_MODULE_NAME);
    return {dir.filePath(name),
            QDir::cleanPath(dir.filePath(QStringLiteral(TARNVALE_DESKTOP_MODULE_DIR) + u'/' + name))};
}

std::optional<int> runDesktopModule(int &argc, char **argv, GameSettings &settings,
                                    const std::function<void()> &launchMusic,
                                    const std::function<void()> &windowsUp, QString &error)
{
    const QStringList candidates = desktopModuleCandidates();
    QStringList problems;
    for (const QString &path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        // The dynamic loader's own words say best what went wrong: a missing
        // library, a missing symbol, a file that is no module.
        const QByteArray file = QFile::encodeName(path);
        dlerror();
        void *module = dlopen(file.constData(), RTLD_LAZY | RTLD_LOCAL);
        if (!module) {
            problems << QString::fromLocal8Bit(dlerror());
            continue;
        }
        // The module stays loaded until the program ends.
        const auto entry = reinterpret_cast<DesktopEntry>(dlsym(module, kDesktopEntry));
        if (entry)
            return entry(&argc, argv, &settings, &launchMusic, &windowsUp);
        const char *why = dlerror();
        problems << u"%1 has no entry point %2 (%3)"_s.arg(
            path, QLatin1StringView(kDesktopEntry),
            why ? QString::fromLocal8Bit(why) : u"the symbol is null"_s);
        dlclose(module);
    }
    error = problems.isEmpty()
        ? u"%1 not found; looked for %2"_s.arg(QStringLiteral(TARNVALE_DESKTOP_MODULE_NAME),
                                              candidates.join(u" and "_s))
        : problems.join(u"; "_s);
    return std::nullopt;
}

} // namespace tarnvale

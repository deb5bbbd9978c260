#include "app/desktopmodule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>


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
    QStringList problems;
    for (const QString &path : desktopModuleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        // The module stays loaded until the program ends.
        module.setLoadHints(QLibrary::PreventUnloadHint);
        const auto entry = reinterpret_cast<DesktopEntry>(module.resolve(kDesktopEntry));
        if (entry)
            return entry(&argc, argv, &settings, &launchMusic, &windowsUp);
        problems << module.errorString();
    }
    error = problems.isEmpty() ? u"no "_s + QStringLiteral(TARNVALE_DESKTOP_MODULE_NAME) + u" found"_s
                               : problems.join(u"; "_s);
    return std::nullopt;
}

} // namespace tarnvale

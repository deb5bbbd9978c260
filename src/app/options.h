#pragma once

#include <QString>
#include <QStringList>

namespace tarnvale {

struct Options {
    enum class Mode { Desktop, Text, Terminal, Protocol, Help, Version, Usage };
    Mode mode = Mode::Desktop;
    bool easy = false;
    bool music = false;
    bool json = false;
    QString error;    // why the command line was refused (Mode::Usage)
};

Options parseOptions(const QStringList &args);

QString usageText();
QString versionText();

} // namespace tarnvale

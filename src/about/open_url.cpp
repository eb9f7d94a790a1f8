#include "about/open_url.h"

#include <QProcess>

ProgramLauncher defaultLauncher()
{
    return [](const QString& program, const QStringList& args) {
        return QProcess::startDetached(program, args);
    };
}

bool OpenURL(const QString& address, const ProgramLauncher& launch)
{
    const ProgramLauncher start = launch ? launch : defaultLauncher();
    return start(QStringLiteral("xdg-open"), QStringList{address});
}

bool OpenMail(const QString& emailAddress, const ProgramLauncher& launch)
{
    return OpenURL(QStringLiteral("mailto:") + emailAddress, launch);
}

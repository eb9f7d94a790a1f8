#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Starts a program detached; true when a process started. Tests hand in a recorder instead.
using ProgramLauncher = std::function<bool(const QString& program, const QStringList& args)>;

// QProcess::startDetached with the argument list as given, never through a shell.
ProgramLauncher defaultLauncher();

// Hands the address to the desktop's opener (xdg-open); true when the opener started.
// An empty launcher means defaultLauncher().
bool OpenURL(const QString& address, const ProgramLauncher& launch = {});
// Opens a new message to the e-mail address in the desktop's mail program.
bool OpenMail(const QString& emailAddress, const ProgramLauncher& launch = {});

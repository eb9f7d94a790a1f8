#include "diagnostics/diagnostics.h"

#include <QString>

#include <QByteArray>
#include <cstdio>

bool Diagnostics::tracing()
{
    static const bool on = qEnvironmentVariableIntValue("TAMREL_TRACE") == 1;
    return on;
}

void Diagnostics::report(const char* kind, const QString& text)
{
    if (!tracing())
        return;
    std::printf("%s: %s\n", kind, text.toUtf8().constData());
    std::fflush(stdout);
}

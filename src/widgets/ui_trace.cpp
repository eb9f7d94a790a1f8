#include "widgets/ui_trace.h"

#include <QByteArray>
#include <cstdio>

bool UiTrace::enabled()
{
    static const bool on = qEnvironmentVariableIntValue("TAMREL_TRACE") == 1;
    return on;
}

void UiTrace::report(const char* kind, const QString& text)
{
    if (!enabled())
        return;
    std::printf("%s: %s\n", kind, text.toUtf8().constData());
    std::fflush(stdout);
}

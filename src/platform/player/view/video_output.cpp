#include "platform/player/view/video_output.h"

#include <QDir>

namespace VideoOutputChoice {

VideoOutput choose(const QString& requested, bool gpuPresent)
{
    const QString name = requested.trimmed().toLower();
    if (name == QLatin1String("opengl") || name == QLatin1String("gl"))
        return VideoOutput::OpenGl;
    if (name == QLatin1String("software") || name == QLatin1String("sw"))
        return VideoOutput::Software;
    return gpuPresent ? VideoOutput::OpenGl : VideoOutput::Software;
}

bool hasGpuRenderNode(const QString& driDirectory)
{
    return !QDir(driDirectory)
                .entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files)
                .isEmpty();
}

VideoOutput forThisMachine()
{
    return choose(qEnvironmentVariable("TAMREL_VIDEO_OUTPUT"), hasGpuRenderNode());
}

} // namespace VideoOutputChoice

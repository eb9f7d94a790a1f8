#pragma once

#include <QString>

// How mpv's picture reaches the screen: through OpenGL into a native window, or rendered into
// memory on the CPU and painted as a widget.
enum class VideoOutput { OpenGl, Software };

namespace VideoOutputChoice {

// `requested` ("opengl" or "software", from TAMREL_VIDEO_OUTPUT) decides when it names one.
// Otherwise OpenGL where the machine has a GPU to draw with, and software where OpenGL could
// only be Mesa's software rasteriser: that costs more CPU than scaling the picture directly,
// and its libraries take a good part of the start to load.
VideoOutput choose(const QString& requested, bool gpuPresent);
// Whether the kernel offers a GPU render node (renderD*) under `driDirectory`.
bool hasGpuRenderNode(const QString& driDirectory = QStringLiteral("/dev/dri"));
// choose() for this machine and TAMREL_VIDEO_OUTPUT.
VideoOutput forThisMachine();

} // namespace VideoOutputChoice

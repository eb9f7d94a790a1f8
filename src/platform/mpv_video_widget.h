#pragma once

#include "platform/mpv_handle.h"

#include <QPointer>
#include <QWidget>

class MpvVideoWindow;

// The picture as a widget: takes the keyboard focus for the video and hosts the native
// window mpv draws into (MpvVideoWindow), which fills it. Keys typed while the picture has the
// focus arrive here as ordinary widget key events. Like any native child window, the picture
// stacks above sibling widgets that overlap it.
class MpvVideoWidget : public QWidget {
    Q_OBJECT
public:
    // mpv must have been initialised with vo=libmpv and must outlive the render context;
    // the owner calls releaseRenderContext() before destroying it.
    explicit MpvVideoWidget(MpvHandleSource mpv, QWidget* parent = nullptr);
    ~MpvVideoWidget() override;

    // Frees the render context (making the GL context current for it) and forgets mpv.
    void releaseRenderContext();
    bool hasRenderContext() const;

signals:
    // mpv can now open video: the GL context exists (the picture has been shown).
    void renderContextReady();
    // A frame mpv announced as new is on the screen.
    void frameRendered();

private:
    QPointer<MpvVideoWindow> m_window;
};

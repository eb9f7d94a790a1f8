#pragma once

#include "platform/player/mpv/mpv_handle.h"

#include <QPointer>
#include <QWidget>

class MpvSoftwareFrame;
class MpvVideoWindow;

// The player's picture drawn in a window of its own (the singer screen) while the view in the
// main window shows black. In software it paints the view's one frame, rendered at this
// widget's size; with OpenGL it hosts a GL window of its own, on which it creates the render
// context the view has given up. The view is never reparented: see MpvFullScreen.
class MpvMovedPicture : public QWidget {
    Q_OBJECT
public:
    // Paints `frame`, which belongs to the view and outlives this widget.
    MpvMovedPicture(MpvSoftwareFrame* frame, QWidget* parent);
    // Draws through a render context of its own on `mpv`, created once its window is exposed.
    // Keys typed on the picture go to `keyTarget`.
    MpvMovedPicture(MpvHandleSource mpv, QWidget* keyTarget, QWidget* parent);
    ~MpvMovedPicture() override;

    // Frees the OpenGL render context (before the view creates its own again).
    void releaseRenderContext();

signals:
    void renderContextReady();
    // A frame mpv announced as new is on the screen.
    void frameRendered();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MpvSoftwareFrame* m_frame = nullptr;
    QPointer<MpvVideoWindow> m_window;
};

#pragma once

#include <QPointer>
#include <QSurfaceFormat>
#include <QWidget>

class MpvSoftwareFrame;
class QWindow;

// The player's picture drawn in a window of its own (the singer screen) while the view in the
// main window shows black. In software it paints the view's one frame, rendered at this
// widget's size; with OpenGL it hosts a native surface the view's GL window draws into with its
// own context and render context (libmpv allows one per handle, and drops the video with it).
// The view is never reparented: see MpvFullScreen.
class MpvMovedPicture : public QWidget {
    Q_OBJECT
public:
    // Paints `frame`, which belongs to the view and outlives this widget.
    MpvMovedPicture(MpvSoftwareFrame* frame, QWidget* parent);
    // Hosts a surface for a GL context of `format` to draw into.
    MpvMovedPicture(const QSurfaceFormat& format, QWidget* parent);

    QWindow* surface() const { return m_surface; }

signals:
    // A frame mpv announced as new is on the screen (software; OpenGL tells through the view).
    void frameRendered();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MpvSoftwareFrame* m_frame = nullptr;
    QPointer<QWindow> m_surface;
};

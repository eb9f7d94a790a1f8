#include "app/disc_image_drop.h"

#include "platform/disc/read/disc_image.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

DiscImageDrop::DiscImageDrop(QWidget* window, std::function<bool(const QString&)> playDiscImage)
    : QObject(window), m_playDiscImage(std::move(playDiscImage))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

std::optional<QString> DiscImageDrop::imageIn(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && DiscImage::isImagePath(url.toLocalFile()))
            return url.toLocalFile();
    return std::nullopt;
}

bool DiscImageDrop::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (imageIn(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<QString> image = imageIn(drop->mimeData());
        if (!image) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        m_playDiscImage(*image);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

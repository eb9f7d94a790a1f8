#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QMimeData;
class QWidget;

// Disc images dropped onto the main window play as discs, as one named on the command line
// does. Only a local .cue, .bin, .nrg, .toc or .iso file is taken (of several, the first);
// anything else is refused as it is dragged in, and nothing changes.
class DiscImageDrop : public QObject {
    Q_OBJECT
public:
    DiscImageDrop(QWidget* window, std::function<bool(const QString&)> playDiscImage);

    static std::optional<QString> imageIn(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(const QString&)> m_playDiscImage;
};

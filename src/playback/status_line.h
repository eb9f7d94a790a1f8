#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

class QLabel;

// The status line (lblDisplay): one text at a time. A notice (a file not found) is kept a few
// seconds over what the player reports meanwhile, then the player's state shows again; any
// command's own text replaces a notice at once.
class StatusLine : public QObject {
    Q_OBJECT
public:
    static constexpr int NoticeMilliseconds = 4000;
    // The text of the player's state now, or nothing for a state the line keeps no text for.
    using StateText = std::function<std::optional<QString>()>;

    StatusLine(QLabel* label, StateText stateText, QObject* parent = nullptr);

    void set(const QString& text);
    // Paints the line now, before the event loop would.
    void paintNow();
    void showNotice(const QString& text);
    // What the player reports; waits while a notice is shown.
    void report(const QString& text);
    QString text() const;

signals:
    void changed(const QString& text);

private:
    void endNotice();

    QLabel* m_label;
    StateText m_stateText;
    QTimer m_noticeHold;
    std::optional<QString> m_heldReport;
};

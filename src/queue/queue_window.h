#pragma once

#include <QAbstractListModel>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QueuedSongs;

// The queue as rows "07  AVSEQ07.DAT", read on demand so that a long queue costs nothing until
// its rows are drawn.
class QueueListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit QueueListModel(QueuedSongs& songs, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QueuedSongs& m_songs;
};

// The "Song Queue" window: the host types a song number and Enter queues it; the rows can be
// moved, removed or played now. A window of its own, so that what is typed here never reaches
// the main window's track keys.
class SongQueueWindow : public QWidget {
    Q_OBJECT
public:
    explicit SongQueueWindow(QueuedSongs& songs, QWidget* parent = nullptr);

    QLineEdit* txtSongNumber;
    QPushButton* cmdAdd;
    QListView* lstQueue;
    QPushButton* cmdUp;
    QPushButton* cmdDown;
    QPushButton* cmdRemove;
    QPushButton* cmdPlayNow;
    QLabel* lblQueueWord;

private:
    void add();
    int selectedPlace() const;
    void select(int place);
    // Runs a change on the selected row and keeps the selection on `follow(place)`.
    void changeSelected(bool (*change)(QueuedSongs&, int), int (*follow)(int));
    void showCount();

    QueuedSongs& m_songs;
    QueueListModel* m_model;
};

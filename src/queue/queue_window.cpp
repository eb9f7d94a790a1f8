#include "queue/queue_window.h"

#include "queue/queued_songs.h"
#include "widgets/escape_key.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QVBoxLayout>

QueueListModel::QueueListModel(QueuedSongs& songs, QObject* parent)
    : QAbstractListModel(parent), m_songs(songs)
{
    connect(&songs.queue(), &SongQueue::changed, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int QueueListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_songs.queue().size();
}

QVariant QueueListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return m_songs.describe(m_songs.queue().numbers()[std::size_t(index.row())]);
}

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

SongQueueWindow::SongQueueWindow(QueuedSongs& songs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_songs(songs)
{
    setObjectName("frmSongQueue");
    setWindowTitle(QStringLiteral("Song Queue"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* numberLabel = new QLabel(QStringLiteral("Song &number:"), this);
    txtSongNumber = new QLineEdit(this);
    txtSongNumber->setObjectName("txtSongNumber");
    txtSongNumber->setMaxLength(QueuedSongs::MaxDigits);
    txtSongNumber->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), txtSongNumber));
    numberLabel->setBuddy(txtSongNumber);
    cmdAdd = makeButton(this, "cmdAdd", QStringLiteral("&Add"));

    lstQueue = new QListView(this);
    lstQueue->setObjectName("lstQueue");
    lstQueue->setUniformItemSizes(true); // a long queue lays out at once
    lstQueue->setSelectionMode(QAbstractItemView::SingleSelection);
    m_model = new QueueListModel(songs, this);
    lstQueue->setModel(m_model);

    cmdUp = makeButton(this, "cmdUp", QStringLiteral("&Up"));
    cmdDown = makeButton(this, "cmdDown", QStringLiteral("&Down"));
    cmdRemove = makeButton(this, "cmdRemove", QStringLiteral("&Remove"));
    cmdPlayNow = makeButton(this, "cmdPlayNow", QStringLiteral("&Play Now"));
    lblQueueWord = new QLabel(this);
    lblQueueWord->setObjectName("lblQueueWord");
    lblQueueWord->setWordWrap(true);

    auto* typing = new QHBoxLayout;
    typing->addWidget(numberLabel);
    typing->addWidget(txtSongNumber, 1);
    typing->addWidget(cmdAdd);
    auto* rowButtons = new QVBoxLayout;
    for (QPushButton* button : {cmdUp, cmdDown, cmdRemove, cmdPlayNow})
        rowButtons->addWidget(button);
    rowButtons->addStretch(1);
    auto* rows = new QHBoxLayout;
    rows->addWidget(lstQueue, 1);
    rows->addLayout(rowButtons);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(typing);
    whole->addLayout(rows, 1);
    whole->addWidget(lblQueueWord);
    resize(360, 320);

    connect(txtSongNumber, &QLineEdit::returnPressed, this, &SongQueueWindow::add);
    connect(cmdAdd, &QPushButton::clicked, this, &SongQueueWindow::add);
    connect(cmdUp, &QPushButton::clicked, this, [this] {
        changeSelected([](QueuedSongs& s, int place) { return s.queue().moveUp(place); },
                       [](int place) { return place - 1; });
    });
    connect(cmdDown, &QPushButton::clicked, this, [this] {
        changeSelected([](QueuedSongs& s, int place) { return s.queue().moveDown(place); },
                       [](int place) { return place + 1; });
    });
    connect(cmdRemove, &QPushButton::clicked, this, [this] {
        changeSelected([](QueuedSongs& s, int place) { return s.queue().remove(place); },
                       [](int place) { return place; });
    });
    connect(cmdPlayNow, &QPushButton::clicked, this, [this] {
        changeSelected(
            [](QueuedSongs& s, int place) {
                s.playNow(place);
                return true;
            },
            [](int place) { return place; });
    });
    auto* removeKey = new QShortcut(QKeySequence::Delete, lstQueue);
    removeKey->setContext(Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, cmdRemove, &QPushButton::click);
    connect(&songs.queue(), &SongQueue::changed, this, &SongQueueWindow::showCount);
    closeOnEscape(this);
    showCount();
    txtSongNumber->setFocus();
}

void SongQueueWindow::add()
{
    const QString refusal = m_songs.addTyped(txtSongNumber->text());
    if (!refusal.isEmpty()) {
        lblQueueWord->setText(refusal);
        txtSongNumber->selectAll();
        return;
    }
    txtSongNumber->clear();
    select(m_songs.queue().size() - 1);
}

int SongQueueWindow::selectedPlace() const
{
    const QModelIndexList selected = lstQueue->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void SongQueueWindow::select(int place)
{
    if (place < 0 || place >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(place);
    lstQueue->setCurrentIndex(index);
    lstQueue->scrollTo(index);
}

void SongQueueWindow::changeSelected(bool (*change)(QueuedSongs&, int), int (*follow)(int))
{
    const int place = selectedPlace();
    if (place < 0) {
        lblQueueWord->setText(QStringLiteral("Choose a song in the queue first."));
        return;
    }
    if (change(m_songs, place))
        select(std::min(follow(place), m_model->rowCount() - 1));
}

void SongQueueWindow::showCount()
{
    const int count = m_songs.queue().size();
    lblQueueWord->setText(count == 0   ? QStringLiteral("The queue is empty.")
                          : count == 1 ? QStringLiteral("1 song in the queue.")
                                       : QStringLiteral("%1 songs in the queue.").arg(count));
}

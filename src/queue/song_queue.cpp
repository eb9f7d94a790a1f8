#include "queue/song_queue.h"

#include <utility>

SongQueue::SongQueue(QObject* parent) : QObject(parent) {}

bool SongQueue::add(int number)
{
    if (size() >= MaxSongs)
        return false;
    m_numbers.push_back(number);
    emit changed();
    return true;
}

bool SongQueue::moveUp(int place)
{
    if (!has(place) || place == 0)
        return false;
    std::swap(m_numbers[std::size_t(place)], m_numbers[std::size_t(place - 1)]);
    emit changed();
    return true;
}

bool SongQueue::moveDown(int place)
{
    if (!has(place) || place + 1 == size())
        return false;
    std::swap(m_numbers[std::size_t(place)], m_numbers[std::size_t(place + 1)]);
    emit changed();
    return true;
}

bool SongQueue::remove(int place)
{
    return take(place) != 0;
}

int SongQueue::take(int place)
{
    if (!has(place))
        return 0;
    const int number = m_numbers[std::size_t(place)];
    m_numbers.erase(m_numbers.begin() + place);
    emit changed();
    return number;
}

void SongQueue::replace(std::vector<int> numbers)
{
    if (int(numbers.size()) > MaxSongs)
        numbers.resize(std::size_t(MaxSongs));
    m_numbers = std::move(numbers);
    emit changed();
}

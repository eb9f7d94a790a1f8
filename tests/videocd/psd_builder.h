#pragma once

// A PSD built descriptor by descriptor and read back by the parser, so the lists a test follows
// are the ones a disc with those bytes would give. List n lies at offset at(n), 64 bytes apart
// (multiplier 8); links name lists by that offset.

#include "platform/disc/read/video_cd_control.h"

#include <QByteArray>
#include <QList>
#include <QtEndian>

namespace PsdBuilder {

inline constexpr int None = 0xffff;
inline constexpr int Rejected = 0x8000; // or'ed into a list id

inline int at(int n)
{
    return n * 8;
}

struct Play {
    int lid = 1;
    QList<int> items{};
    int wait = 0;
    int playTime = 0;
    int prev = None, next = None, back = None;
};

struct Selection {
    int lid = 1;
    int base = 1;
    QList<int> selections{};
    int item = 0;
    int timeout = 255;
    int loop = 1;
    bool jumpDelayed = false;
    int defaultLink = None, timeoutLink = None;
    int prev = None, next = None, back = None;
};

class PsdFile {
public:
    PsdFile& play(int n, const Play& p)
    {
        QByteArray d(14, '\0');
        d[0] = 0x10;
        d[1] = char(p.items.size());
        put16(d, 2, p.lid);
        put16(d, 4, p.prev);
        put16(d, 6, p.next);
        put16(d, 8, p.back);
        put16(d, 10, p.playTime);
        d[12] = char(p.wait);
        for (int item : p.items)
            append16(d, item);
        return place(n, p.lid, d);
    }
    PsdFile& selection(int n, const Selection& s)
    {
        QByteArray d(20, '\0');
        d[0] = 0x18;
        d[2] = char(s.selections.size());
        d[3] = char(s.base);
        put16(d, 4, s.lid);
        put16(d, 6, s.prev);
        put16(d, 8, s.next);
        put16(d, 10, s.back);
        put16(d, 12, s.defaultLink);
        put16(d, 14, s.timeoutLink);
        d[16] = char(s.timeout);
        d[17] = char(s.loop | (s.jumpDelayed ? 0x80 : 0));
        put16(d, 18, s.item);
        for (int link : s.selections)
            append16(d, link);
        return place(n, s.lid, d);
    }
    PsdFile& end(int n, int lid, int picture = 0)
    {
        QByteArray d(8, '\0');
        d[0] = 0x1f;
        put16(d, 2, picture);
        return place(n, lid, d);
    }
    PsdFile& command(int n, int lid)
    {
        QByteArray d(8, '\0');
        d[0] = 0x20;
        put16(d, 3, lid);
        return place(n, lid, d);
    }
    VideoCdControl::Psd parse() const
    {
        VideoCdControl::Lot lot;
        lot.lists.assign(m_lot.begin(), m_lot.end());
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(m_data.constData());
        return VideoCdControl::parsePsd({bytes, std::size_t(m_data.size())}, lot, 8);
    }

private:
    static void put16(QByteArray& d, int offset, int value)
    {
        qToBigEndian(quint16(value), d.data() + offset);
    }
    static void append16(QByteArray& d, int value)
    {
        d.append(2, '\0');
        put16(d, int(d.size()) - 2, value);
    }
    PsdFile& place(int n, int lid, const QByteArray& d)
    {
        const int start = at(n) * 8;
        if (m_data.size() < start + d.size())
            m_data.resize(start + d.size(), '\0');
        m_data.replace(start, d.size(), d);
        m_data.resize((m_data.size() + 7) / 8 * 8, '\0');
        m_lot.append({lid & 0x7fff, quint16(at(n))});
        return *this;
    }

    QByteArray m_data;
    QList<VideoCdControl::LotEntry> m_lot;
};

} // namespace PsdBuilder

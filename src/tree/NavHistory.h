#pragma once
// Browser-like navigation history: location keys and the bounded five-slot histories.
#include "common/LocationKey.h"

#include <QList>
#include <array>

// Five key slots numbered 1 to 5 and the next-free slot number (1 to 5).
class TNavHistory final {
public:
    void Reset()
    {
        for (auto& s : m_slots)
            s = LocationKey();
        m_nextFree = 1;
    }
    // An empty key is never stored: an empty slot 5 is what tells a full history from one with room.
    void Push(const LocationKey& key)
    {
        if (key.isEmpty())
            return;
        if (!m_slots[4].isEmpty()) {  // full: drop the oldest
            for (int i = 0; i < 4; ++i)
                m_slots[i] = m_slots[i + 1];
        }
        m_slots[m_nextFree - 1] = key;
        if (m_nextFree < 5)
            ++m_nextFree;
    }
    // Only called on a history that is not empty.
    LocationKey Pop()
    {
        LocationKey result;
        if (!m_slots[4].isEmpty()) {
            result = m_slots[4];
            m_slots[4] = LocationKey();
        } else if (m_nextFree > 1) {
            result = m_slots[m_nextFree - 2];
            m_slots[m_nextFree - 2] = LocationKey();
            --m_nextFree;
        }
        return result;
    }
    // Removes the key n places from the most recent one (0 = the most recent), closing the gap.
    void removeRecent(int n)
    {
        const int total = count();
        if (n < 0 || n >= total)
            return;
        QList<LocationKey> keys = mostRecentFirst();
        keys.removeAt(n);
        Reset();
        for (int i = keys.size() - 1; i >= 0; --i)
            Push(keys.at(i));
    }
    bool isEmpty() const { return m_nextFree == 1 && m_slots[4].isEmpty(); }
    int nextFree() const { return m_nextFree; }
    // Slot n, 1 to 5.
    const LocationKey& slot(int n) const { return m_slots[n - 1]; }
    // Number of keys held.
    int count() const { return !m_slots[4].isEmpty() ? 5 : m_nextFree - 1; }
    // Keys most recent first (the order of the drop-down menus).
    QList<LocationKey> mostRecentFirst() const
    {
        QList<LocationKey> out;
        for (int n = count(); n >= 1; --n)
            out.append(slot(n));
        return out;
    }

private:
    std::array<LocationKey, 5> m_slots {};
    int m_nextFree = 1;
};

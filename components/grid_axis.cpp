// Layout arithmetic of a grid axis. Sums run in 64 bits so that many large
// cells never overflow; every loop stops at the end of the client extent.
#include "components/grid_axis.h"

#include <algorithm>
#include <climits>

GridAxis::GridAxis(const std::vector<int>& sizes, int fixed, int lineWidth, int first,
                   int clientExtent)
    : m_sizes(sizes), m_fixed(std::clamp(fixed, 0, static_cast<int>(sizes.size()))),
      m_lineWidth(std::max(0, lineWidth)),
      m_first(std::clamp(first, m_fixed, std::max(m_fixed, static_cast<int>(sizes.size()) - 1))),
      m_client(std::max(0, clientExtent))
{
}

int GridAxis::fixedExtent() const
{
    long long x = 0;
    for (int i = 0; i < m_fixed && x < INT_MAX; ++i)
        x += step(i);
    return static_cast<int>(std::min<long long>(x, INT_MAX));
}

std::optional<int> GridAxis::start(int index) const
{
    if (index < 0 || index >= count())
        return std::nullopt;
    long long x = 0;
    if (index < m_fixed) {
        for (int i = 0; i < index; ++i) {
            x += step(i);
            if (x >= m_client)
                return std::nullopt;
        }
        return x < m_client ? std::optional<int>(static_cast<int>(x)) : std::nullopt;
    }
    if (index < m_first)
        return std::nullopt;
    x = fixedExtent();
    for (int i = m_first; i < index; ++i) {
        if (x >= m_client)
            return std::nullopt;
        x += step(i);
    }
    return x < m_client ? std::optional<int>(static_cast<int>(x)) : std::nullopt;
}

int GridAxis::indexAt(int pos) const
{
    if (pos < 0 || pos >= m_client)
        return -1;
    long long x = 0;
    for (int i = 0; i < m_fixed; ++i) {
        x += step(i);
        if (pos < x)
            return i;
    }
    for (int i = m_first; i < count() && x < m_client; ++i) {
        x += step(i);
        if (pos < x)
            return i;
    }
    return -1;
}

int GridAxis::maxFirst() const
{
    if (count() <= m_fixed)
        return m_fixed;
    const long long room = static_cast<long long>(m_client) - fixedExtent();
    int result = count() - 1;
    long long used = 0;
    for (int i = count() - 1; i >= m_fixed; --i) {
        used += m_sizes[i];
        if (used > room)
            break;
        result = i;
        used += m_lineWidth;
    }
    return result;
}

int GridAxis::fullyVisible() const
{
    long long x = fixedExtent();
    int n = 0;
    for (int i = m_first; i < count(); ++i) {
        if (x + m_sizes[i] > m_client)
            break;
        x += step(i);
        ++n;
    }
    return n;
}

int GridAxis::firstToShow(int index) const
{
    if (index < m_fixed)
        return m_first;
    index = std::min(index, count() - 1);
    const long long room = static_cast<long long>(m_client) - fixedExtent();
    int result = index;
    long long used = 0;
    for (int i = index; i >= m_fixed; --i) {
        used += m_sizes[i];
        if (used > room)
            break;
        result = i;
        used += m_lineWidth;
    }
    return result;
}

int GridAxis::borderAt(int pos, int margin) const
{
    long long x = 0;
    auto near = [&](int i) {
        const long long edge = x + m_sizes[static_cast<std::size_t>(i)];
        return pos >= edge - margin && pos <= edge + m_lineWidth + margin - 1;
    };
    for (int i = 0; i < m_fixed && x < m_client; ++i) {
        if (near(i))
            return i;
        x += step(i);
    }
    for (int i = m_first; i < count() && x < m_client; ++i) {
        if (near(i))
            return i;
        x += step(i);
    }
    return -1;
}

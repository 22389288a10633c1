#include "reading/wayback.h"

namespace tibbo::core {

namespace {

void pushBounded(std::vector<int64_t> &places, int64_t place)
{
    if (places.size() >= WayBack::kMostPlaces)
        places.erase(places.begin());
    places.push_back(place);
}

} // namespace

void WayBack::keepTo(uint64_t textVersion)
{
    if (textVersion == m_textVersion)
        return;
    m_textVersion = textVersion;
    m_back.clear();
    m_forward.clear();
}

void WayBack::remember(int64_t here, uint64_t textVersion)
{
    keepTo(textVersion);
    m_forward.clear();
    if (m_back.empty() || m_back.back() != here)
        pushBounded(m_back, here);
}

std::optional<int64_t> WayBack::step(std::vector<int64_t> &from, std::vector<int64_t> &to,
                                     int64_t here)
{
    if (from.empty())
        return std::nullopt;
    const int64_t place = from.back();
    from.pop_back();
    pushBounded(to, here);
    return place;
}

std::optional<int64_t> WayBack::back(int64_t here, uint64_t textVersion)
{
    keepTo(textVersion);
    return step(m_back, m_forward, here);
}

std::optional<int64_t> WayBack::forward(int64_t here, uint64_t textVersion)
{
    keepTo(textVersion);
    return step(m_forward, m_back, here);
}

bool WayBack::canGoBack(uint64_t textVersion) const
{
    return textVersion == m_textVersion && !m_back.empty();
}

bool WayBack::canGoForward(uint64_t textVersion) const
{
    return textVersion == m_textVersion && !m_forward.empty();
}

} // namespace tibbo::core

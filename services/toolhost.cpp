#include "services/toolhost.h"

int TNoticeBoard::Connect(THostNotice notice, Handler handler)
{
    const int id = m_next++;
    m_entries.emplace(id, Entry{notice, std::move(handler)});
    return id;
}

void TNoticeBoard::Disconnect(int id) { m_entries.erase(id); }

void TNoticeBoard::Post(THostNotice notice)
{
    // The numbers of the handlers first: a handler may change the board.
    std::vector<int> ids;
    for (const auto& [id, entry] : m_entries)
        if (entry.notice == notice)
            ids.push_back(id);
    for (int id : ids) {
        const auto it = m_entries.find(id);
        if (it == m_entries.end())
            continue;
        const Handler handler = it->second.handler;
        handler();
    }
}

int TNoticeBoard::Count(THostNotice notice) const
{
    int n = 0;
    for (const auto& [id, entry] : m_entries)
        n += entry.notice == notice;
    return n;
}

TMainExtensions& MainExtensions()
{
    static TMainExtensions extensions;
    return extensions;
}

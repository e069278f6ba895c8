#pragma once
// The name table of an expression object: a sorted list of names compared
// without regard to case, without duplicates, each pointing to an entry that
// builds nodes. It does not depend on the engine's value type (the complex and
// rational engines can use it with their own entry class).

#include <QHash>
#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace exprcore {

struct CaseInsensitiveLess {
    bool operator()(const QString& a, const QString& b) const
    {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    }
};

template <class Entry>
class TNameTable {
public:
    struct Item {
        QString Name;     // as registered
        Entry* Make;
    };

    // Takes an entry into the table's keeping; it lives as long as the table,
    // also when no name points to it (a refused duplicate, an entry discarded by
    // Clear): trees compiled earlier may still read what it owns.
    Entry* Keep(std::unique_ptr<Entry> entry)
    {
        Entry* raw = entry.get();
        m_owned.push_back(std::move(entry));
        return raw;
    }

    // Points the name to the entry; a name already present keeps its entry and
    // false is returned.
    bool Add(const QString& name, Entry* entry)
    {
        auto [it, inserted] = m_names.try_emplace(name, Item{name, entry});
        forgetFound();
        return inserted;
    }

    Entry* Find(const QString& name) const
    {
        auto it = m_names.find(name);
        return it == m_names.end() ? nullptr : it->second.Make;
    }
    // The item of the name (its entry and the name as registered), none when absent.
    // A compile asks for the same few names again and again (a variable in every
    // term of a long sum): the items found are remembered under the name exactly
    // as asked for, which costs less than the ordered search without regard to case.
    const Item* FindItem(const QString& name) const
    {
        if (m_lastItem && name == m_lastName)
            return m_lastItem;
        if (const auto hit = m_found.constFind(name); hit != m_found.constEnd()) {
            m_lastName = hit.key();
            m_lastItem = hit.value();
            return m_lastItem;
        }
        auto it = m_names.find(name);
        if (it == m_names.end())
            return nullptr;
        if (m_found.size() >= kFoundLimit)
            m_found.clear();
        // (A copy of its own: the name asked for may lie in a text that goes.)
        m_lastName = QString(name.constData(), name.size());
        m_lastItem = &it->second;
        m_found.insert(m_lastName, m_lastItem);
        return m_lastItem;
    }
    // The name as registered, empty when absent.
    QString RegisteredName(const QString& name) const
    {
        auto it = m_names.find(name);
        return it == m_names.end() ? QString() : it->second.Name;
    }
    bool Contains(const QString& name) const { return m_names.count(name) != 0; }
    int Count() const { return static_cast<int>(m_names.size()); }

    // Every name in sorted order.
    std::vector<Item> Items() const
    {
        std::vector<Item> out;
        out.reserve(m_names.size());
        for (const auto& [key, item] : m_names)
            out.push_back(item);
        return out;
    }

    // Forgets every name; the entries stay kept until the table is destroyed.
    void Clear()
    {
        m_names.clear();
        forgetFound();
    }

private:
    static constexpr qsizetype kFoundLimit = 1024;
    void forgetFound()
    {
        m_found.clear();
        m_lastName.clear();
        m_lastItem = nullptr;
    }
    std::map<QString, Item, CaseInsensitiveLess> m_names;
    std::vector<std::unique_ptr<Entry>> m_owned;
    mutable QHash<QString, const Item*> m_found;   // FindItem's answers, by the name as asked for
    mutable QString m_lastName;                    // the last of them
    mutable const Item* m_lastItem = nullptr;
};

} // namespace exprcore

// Scriptable counters for unit tests: a path is known when a value was set
// for it (or when every path is accepted); queries read the values as they
// are at the moment of reading, and every add is recorded in call order.
#pragma once

#include "platform/counters.h"

#include <QString>
#include <QStringList>
#include <map>

namespace tk {

class FakeCounters : public Counters {
public:
    std::unique_ptr<CounterQuery> openQuery() override;

    // Makes `path` known and gives it a value.
    void setValue(const QString& path, double value) { m_values[path] = value; }
    // Makes `path` known, reading 0 until a value is set.
    void setKnown(const QString& path) { m_values.try_emplace(path, 0.0); }
    void forget(const QString& path) { m_values.erase(path); }
    // Accept every path (unset ones read 0) instead of the known ones only.
    void setAcceptAll(bool accept) { m_acceptAll = accept; }

    // Every path given to addCounter, refused ones included, in call order.
    const QStringList& added() const { return m_added; }
    // The paths accepted by the most recently opened query, in order.
    const QStringList& currentPaths() const { return m_current; }
    int queriesOpened() const { return m_queries; }
    int collections() const { return m_collections; }
    void clearRecord() { m_added.clear(); }

private:
    friend class FakeCounterQuery;
    std::map<QString, double> m_values;
    bool m_acceptAll = false;
    QStringList m_added;
    QStringList m_current;
    int m_queries = 0;
    int m_collections = 0;
    int32_t m_nextHandle = 1; // handles are unique across queries, so a stale one is caught
};

} // namespace tk

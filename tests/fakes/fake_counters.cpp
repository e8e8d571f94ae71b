#include "fakes/fake_counters.h"

#include <map>

namespace tk {

class FakeCounterQuery : public CounterQuery {
public:
    FakeCounterQuery(FakeCounters& owner, int number) : m_owner(owner), m_number(number) {}

    int32_t addCounter(const QString& path, int32_t& handle) override {
        m_owner.m_added << path;
        if (!m_owner.m_acceptAll && !m_owner.m_values.count(path)) return PDH_CSTATUS_NO_OBJECT;
        handle = m_owner.m_nextHandle++;
        m_paths[handle] = path;
        if (m_owner.m_queries == m_number) m_owner.m_current << path;
        return PDH_OK;
    }

    int32_t collect() override {
        ++m_owner.m_collections;
        return PDH_OK;
    }

    double value(int32_t handle, int32_t& status) override {
        auto it = m_paths.find(handle);
        if (it == m_paths.end()) {
            status = PDH_INVALID_HANDLE;
            return 0;
        }
        status = PDH_OK;
        auto v = m_owner.m_values.find(it->second);
        return v == m_owner.m_values.end() ? 0.0 : v->second;
    }

private:
    FakeCounters& m_owner;
    int m_number;
    std::map<int32_t, QString> m_paths;
};

std::unique_ptr<CounterQuery> FakeCounters::openQuery() {
    ++m_queries;
    m_current.clear();
    return std::make_unique<FakeCounterQuery>(*this, m_queries);
}

} // namespace tk

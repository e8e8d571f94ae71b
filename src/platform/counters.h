// Performance counters: a query object that accepts counter paths and
// computes rates between its last two collections.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace tk {

constexpr int32_t PDH_OK = 0;
constexpr int32_t PDH_CSTATUS_NO_OBJECT = static_cast<int32_t>(0xC0000BB8);
constexpr int32_t PDH_CSTATUS_NO_COUNTER = static_cast<int32_t>(0xC0000BB9);
constexpr int32_t PDH_INVALID_HANDLE = static_cast<int32_t>(0xC0000BBC);

class CounterQuery {
public:
    virtual ~CounterQuery() = default;
    // Adds a counter. On success stores a non-zero handle in `handle`; a path
    // it does not know returns an error status and leaves `handle` as it was.
    virtual int32_t addCounter(const QString& path, int32_t& handle) = 0;
    // Takes one sample of every counter of the query.
    virtual int32_t collect() = 0;
    // The value of a counter between the last two collections (0 before that).
    virtual double value(int32_t handle, int32_t& status) = 0;
};

class Counters {
public:
    virtual ~Counters() = default;
    virtual std::unique_ptr<CounterQuery> openQuery() = 0;
};

} // namespace tk

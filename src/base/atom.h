// A copyable value shared between threads. Worker threads update counters and
// settings (seqFrom, totalSize...) that the UI thread reads while drawing rows;
// plain fields would be a data race, and std::atomic is not copyable, which the
// by-value ProjectSettings record needs.
#pragma once

#include <atomic>

namespace ks {

template <class T>
class Atom {
  public:
    Atom(T v = T{}) : v_(v) {}
    Atom(const Atom& o) : v_(o.load()) {}
    Atom& operator=(const Atom& o) {
        store(o.load());
        return *this;
    }
    Atom& operator=(T v) {
        store(v);
        return *this;
    }
    operator T() const { return load(); }
    T load() const { return v_.load(std::memory_order_acquire); }
    void store(T v) { v_.store(v, std::memory_order_release); }
    T fetch_add(T d) { return v_.fetch_add(d, std::memory_order_acq_rel); }
    Atom& operator+=(T d) {
        fetch_add(d);
        return *this;
    }

  private:
    std::atomic<T> v_;
};

}  // namespace ks

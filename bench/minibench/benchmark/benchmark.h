// A small stand-in for the part of Google Benchmark's interface that our benchmarks use, for the
// Windows build where no cross-built Google Benchmark is available. It times whole batches of
// iterations with a steady clock and prints one line per benchmark and argument.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace benchmark {

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond, kSecond };
enum BigO { oNone, o1, oN, oNSquared, oLogN, oNLogN, oAuto };

class State {
public:
    State(std::int64_t argument, std::int64_t iterations) : argument_(argument), remaining_(iterations) {}

    std::int64_t range(int) const { return argument_; }
    void SetComplexityN(std::int64_t) {}
    void SkipWithError(const char* message) { error_ = message; }
    const std::string& error() const { return error_; }

    // Like Google Benchmark's, the loop variable's type is marked unused so `for (auto _ : state)` is quiet.
    struct [[maybe_unused]] Value {};
    struct Iterator {
        State* state;
        bool operator!=(const Iterator&) const {
            const bool more = state->remaining_ > 0 && state->error_.empty();
            if (!more)
                state->stop_ = std::chrono::steady_clock::now();
            return more;
        }
        void operator++() { --state->remaining_; }
        Value operator*() const { return {}; }
    };
    // Only the loop is timed, not the set-up before it.
    Iterator begin() {
        start_ = std::chrono::steady_clock::now();
        return Iterator{this};
    }
    Iterator end() { return Iterator{this}; }
    double ElapsedNs() const { return std::chrono::duration<double, std::nano>(stop_ - start_).count(); }

private:
    std::int64_t argument_;
    std::int64_t remaining_;
    std::string error_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point stop_;
};

template <class T>
inline void DoNotOptimize(T const& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}

class Benchmark {
public:
    Benchmark(const char* name, void (*function)(State&)) : name_(name), function_(function) {}
    Benchmark* Arg(std::int64_t argument) {
        arguments_.push_back(argument);
        return this;
    }
    Benchmark* Unit(TimeUnit unit) {
        unit_ = unit;
        return this;
    }
    Benchmark* Complexity(BigO) { return this; }

    void Run() const;

private:
    std::string name_;
    void (*function_)(State&);
    std::vector<std::int64_t> arguments_;
    TimeUnit unit_ = kNanosecond;
};

namespace internal {
Benchmark* Register(Benchmark* benchmark);
}

}  // namespace benchmark

#define BENCHMARK_CONCAT2(a, b) a##b
#define BENCHMARK_CONCAT(a, b) BENCHMARK_CONCAT2(a, b)
#define BENCHMARK(function)                                                              \
    static ::benchmark::Benchmark* BENCHMARK_CONCAT(benchmark_registration_, __LINE__) = \
        ::benchmark::internal::Register(new ::benchmark::Benchmark(#function, function))

// Runs every registered benchmark: iterations double until a batch lasts half a second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace benchmark {
namespace {

std::vector<std::unique_ptr<Benchmark>>& Registry() {
    static std::vector<std::unique_ptr<Benchmark>> registry;
    return registry;
}

double Scale(TimeUnit unit) {
    switch (unit) {
        case kSecond:
            return 1e-9;
        case kMillisecond:
            return 1e-6;
        case kMicrosecond:
            return 1e-3;
        default:
            return 1.0;
    }
}

const char* UnitName(TimeUnit unit) {
    switch (unit) {
        case kSecond:
            return "s";
        case kMillisecond:
            return "ms";
        case kMicrosecond:
            return "us";
        default:
            return "ns";
    }
}

}  // namespace

namespace internal {
Benchmark* Register(Benchmark* benchmark) {
    Registry().emplace_back(benchmark);
    return benchmark;
}
}  // namespace internal

void Benchmark::Run() const {
    std::vector<std::int64_t> arguments = arguments_;
    if (arguments.empty())
        arguments.push_back(0);
    for (std::int64_t argument : arguments) {
        std::int64_t iterations = 1;
        for (;;) {
            State state(argument, iterations);
            function_(state);
            const double ns = state.ElapsedNs();
            if (!state.error().empty()) {
                std::printf("%s/%lld  ERROR: %s\n", name_.c_str(), static_cast<long long>(argument),
                            state.error().c_str());
                break;
            }
            if (ns >= 5e8 || iterations >= (1LL << 30)) {
                std::printf("%-28s %12.3f %s %10lld iterations\n", (name_ + "/" + std::to_string(argument)).c_str(),
                            ns / iterations * Scale(unit_), UnitName(unit_), static_cast<long long>(iterations));
                break;
            }
            iterations *= 2;
        }
    }
}

}  // namespace benchmark

int main() {
    std::printf("%-28s %15s %21s\n", "Benchmark", "Time", "Iterations");
    for (const auto& benchmark : benchmark::Registry())
        benchmark->Run();
    return 0;
}

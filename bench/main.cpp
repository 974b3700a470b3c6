// The benchmark binary: Quillow's codec, and the reference library's beside
// it when it was found at configure time, measured in one run.
//
//   quillow-bench [Google Benchmark flags]   runs the benchmarks
//   quillow-bench --list                     names every operation
//   quillow-bench --repeat NAME COUNT        runs one operation COUNT times in
//                                            repeatOperation, for callgrind
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/benchmarks.h"

#if defined(_MSC_VER)
#define QUILLOW_NOINLINE __declspec(noinline)
#else
#define QUILLOW_NOINLINE __attribute__((noinline))
#endif

namespace {

using quillow::bench::Operation;

// Kept out of line so that an instruction count can be collected for this
// function alone: COUNT operations and the loop around them.
QUILLOW_NOINLINE void repeatOperation(const Operation& operation, long count) {
    for (long i = 0; i < count; ++i) operation.run();
}

// The value of the first line of a text file that starts with the key, or
// "" when there is none: the processor and the system, on Linux.
std::string valueAfter(const char* path, const std::string& key) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        const std::size_t start = value.find_first_not_of(" \t:=\"");
        const std::size_t end = value.find_last_not_of(" \t\"");
        return start == std::string::npos ? "" : value.substr(start, end - start + 1);
    }
    return "";
}

void measure(benchmark::State& state, const Operation& operation) {
    const std::string problem = operation.check();
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    for (auto _ : state) operation.run();
    if (operation.bytes > 0) {
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                                static_cast<std::int64_t>(operation.bytes));
        state.counters["bytes"] = static_cast<double>(operation.bytes);
    }
    if (operation.bindings > 0) state.counters["bindings"] = static_cast<double>(operation.bindings);
    if (!operation.label.empty()) state.SetLabel(operation.label);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Operation> operations = quillow::bench::quillowOperations();
    std::string reference = "none (net-snmp's library was not found at configure time)";
#ifdef QUILLOW_BENCH_REFERENCE
    std::string version;
    for (Operation& operation : quillow::bench::referenceOperations(version)) operations.push_back(operation);
    reference = "net-snmp " + version;
#endif

    if (argc == 2 && std::string(argv[1]) == "--list") {
        for (const Operation& operation : operations) std::printf("%s\n", operation.name.c_str());
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--repeat") {
        for (const Operation& operation : operations) {
            if (operation.name != argv[2]) continue;
            const std::string problem = operation.check();
            if (!problem.empty()) {
                std::fprintf(stderr, "%s: %s\n", operation.name.c_str(), problem.c_str());
                return 1;
            }
            repeatOperation(operation, std::strtol(argv[3], nullptr, 10));
            return 0;
        }
        std::fprintf(stderr, "no operation named %s (--list names them)\n", argv[2]);
        return 2;
    }

    for (const Operation& operation : operations) {
        benchmark::RegisterBenchmark(operation.name.c_str(),
                                     [&operation](benchmark::State& state) { measure(state, operation); });
    }
    benchmark::AddCustomContext("reference", reference);
    const std::string cpu = valueAfter("/proc/cpuinfo", "model name");
    if (!cpu.empty()) benchmark::AddCustomContext("cpu_model", cpu);
    const std::string os = valueAfter("/etc/os-release", "PRETTY_NAME");
    if (!os.empty()) benchmark::AddCustomContext("os", os);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

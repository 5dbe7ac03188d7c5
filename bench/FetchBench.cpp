// Fetching a large page from a local web server: our client against curl on the same URL, side
// by side. Needs the test servers (tests/servers/test-servers.sh start DIR/test-servers);
// SITEGAUGE_BENCH_URL names another page ("host:port/path", without the scheme).
//
// The client keeps at most 8 MiB of a body; the benchmark raises that cap so that both sides
// read the whole page.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "net/CWebClient.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string BenchAddress() {
    const char* url = std::getenv("SITEGAUGE_BENCH_URL");
    return url != nullptr && *url != '\0' ? url : "127.0.0.1:18080/big.txt";
}

// One fetch as an analysis makes it (a fresh client); the body size, or -1 on failure.
long long FetchOurs() {
    sg::CWebClient client;
    client.SetBodyCap(64u * 1024u * 1024u);
    std::string address = BenchAddress();
    if (client.FetchPage(address.data()) != 0) {
        return -1;
    }
    return static_cast<long long>(client.Result().BodyBytes());
}

// One "curl -0 -s -o /dev/null URL"; false when it could not run or failed.
bool FetchCurl() {
    const std::string url = "http://" + BenchAddress();
    char* const argv[] = {const_cast<char*>("curl"),
                          const_cast<char*>("-0"),
                          const_cast<char*>("-s"),
                          const_cast<char*>("-o"),
                          const_cast<char*>("/dev/null"),
                          const_cast<char*>(url.c_str()),
                          nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "curl", nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) {
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double MillisecondsOf(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void BM_FetchBigPage_Ours(benchmark::State& state) {
    long long bytes = 0;
    for (auto _ : state) {
        bytes = FetchOurs();
        if (bytes < 0) {
            state.SkipWithError("fetch failed (are the test servers running?)");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

void BM_FetchBigPage_Curl(benchmark::State& state) {
    for (auto _ : state) {
        if (!FetchCurl()) {
            state.SkipWithError("curl failed (are the test servers running?)");
            return;
        }
    }
}

// Both in turn in every iteration, so that both see the same machine load; the counters give
// the mean time of each and their ratio.
void BM_FetchBigPage_OursOverCurl(benchmark::State& state) {
    Clock::duration ours{};
    Clock::duration curl{};
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        if (FetchOurs() < 0) {
            state.SkipWithError("fetch failed (are the test servers running?)");
            return;
        }
        const Clock::time_point middle = Clock::now();
        if (!FetchCurl()) {
            state.SkipWithError("curl failed (are the test servers running?)");
            return;
        }
        ours += middle - start;
        curl += Clock::now() - middle;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = MillisecondsOf(ours) / n;
    state.counters["curl_ms"] = MillisecondsOf(curl) / n;
    state.counters["ratio"] = MillisecondsOf(ours) / MillisecondsOf(curl);
}

}  // namespace

BENCHMARK(BM_FetchBigPage_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FetchBigPage_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FetchBigPage_OursOverCurl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4.0);

// Fetching a large page from a local web server: our client against curl on the same URL, side
// by side, over http and over https. Needs the test servers (tests/servers/test-servers.sh start
// DIR/test-servers); SITEGAUGE_BENCH_URL and SITEGAUGE_BENCH_TLS_URL name other pages
// ("host:port/path", without the scheme), SITEGAUGE_BENCH_CA the CA file that https trusts (by
// default the test CA of the servers started in this build folder).
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
#include <vector>

#include "net/CWebClient.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string FromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// What both sides fetch: the address without its scheme, and for https the CA file.
struct Target {
    bool tls = false;
    std::string address;
    std::string caFile;
};

Target PlainTarget() {
    return {false, FromEnvironment("SITEGAUGE_BENCH_URL", "127.0.0.1:18080/big.txt"), ""};
}

Target TlsTarget() {
    return {true, FromEnvironment("SITEGAUGE_BENCH_TLS_URL", "127.0.0.1:18443/big.txt"),
            FromEnvironment("SITEGAUGE_BENCH_CA", SITEGAUGE_BENCH_CA_FILE)};
}

// Our client trusts what OpenSSL's default verify paths lead to: the CA alone.
void TrustForOurs(const Target& target) {
    if (target.tls) {
        ::setenv("SSL_CERT_FILE", target.caFile.c_str(), 1);
        ::setenv("SSL_CERT_DIR", "/nonexistent", 1);
    }
}

// One fetch as an analysis makes it (a fresh client); the body size, or -1 on failure.
long long FetchOurs(const Target& target) {
    sg::CWebClient client;
    client.SetBodyCap(64u * 1024u * 1024u);
    std::string address = target.tls ? "https://" + target.address : target.address;
    if (client.FetchPage(address.data()) != 0) {
        return -1;
    }
    return static_cast<long long>(client.Result().BodyBytes());
}

// One "curl -s [--cacert CA] -o /dev/null -w %{time_total} URL" (HTTP/1.1, or HTTP/2 where
// the server offers it, as ours asks); false when it could not run or failed. `transfer` gets
// curl's own time from its start of the transfer to its end, which leaves out the start of
// the curl process that the wall time of the call includes.
bool FetchCurl(const Target& target, double* transferMs = nullptr) {
    std::vector<std::string> args = {"curl", "-s", "-o", "/dev/null", "-w", "%{time_total}"};
    if (target.tls) {
        args.insert(args.end(), {"--cacert", target.caFile});
    }
    args.push_back((target.tls ? "https://" : "http://") + target.address);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string written;
    char buffer[64];
    for (ssize_t n = 0; spawned == 0 && (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        written.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (spawned != 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) {
        return false;
    }
    if (transferMs != nullptr) {
        *transferMs = std::strtod(written.c_str(), nullptr) * 1000.0;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double MillisecondsOf(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void FetchWithOurs(benchmark::State& state, const Target& target) {
    TrustForOurs(target);
    long long bytes = 0;
    for (auto _ : state) {
        bytes = FetchOurs(target);
        if (bytes < 0) {
            state.SkipWithError("fetch failed (are the test servers running?)");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

void FetchWithCurl(benchmark::State& state, const Target& target) {
    for (auto _ : state) {
        if (!FetchCurl(target)) {
            state.SkipWithError("curl failed (are the test servers running?)");
            return;
        }
    }
}

// Both in turn in every iteration, so that both see the same machine load; the counters give
// the mean time of each and their ratio.
void OursOverCurl(benchmark::State& state, const Target& target) {
    TrustForOurs(target);
    Clock::duration ours{};
    Clock::duration curl{};
    double curlTransferMs = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        if (FetchOurs(target) < 0) {
            state.SkipWithError("fetch failed (are the test servers running?)");
            return;
        }
        const Clock::time_point middle = Clock::now();
        double transferMs = 0;
        if (!FetchCurl(target, &transferMs)) {
            state.SkipWithError("curl failed (are the test servers running?)");
            return;
        }
        ours += middle - start;
        curl += Clock::now() - middle;
        curlTransferMs += transferMs;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = MillisecondsOf(ours) / n;
    state.counters["curl_ms"] = MillisecondsOf(curl) / n;
    state.counters["ratio"] = MillisecondsOf(ours) / MillisecondsOf(curl);
    // Against curl's transfer alone: ours includes the making of its client and session.
    state.counters["curl_transfer_ms"] = curlTransferMs / n;
    state.counters["ratio_to_transfer"] = MillisecondsOf(ours) / curlTransferMs;
}

void BM_FetchBigPage_Ours(benchmark::State& state) {
    FetchWithOurs(state, PlainTarget());
}

void BM_FetchBigPage_Curl(benchmark::State& state) {
    FetchWithCurl(state, PlainTarget());
}

void BM_FetchBigPage_OursOverCurl(benchmark::State& state) {
    OursOverCurl(state, PlainTarget());
}

void BM_FetchBigPageTls_Ours(benchmark::State& state) {
    FetchWithOurs(state, TlsTarget());
}

void BM_FetchBigPageTls_Curl(benchmark::State& state) {
    FetchWithCurl(state, TlsTarget());
}

void BM_FetchBigPageTls_OursOverCurl(benchmark::State& state) {
    OursOverCurl(state, TlsTarget());
}

}  // namespace

BENCHMARK(BM_FetchBigPage_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FetchBigPage_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FetchBigPage_OursOverCurl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4.0);
BENCHMARK(BM_FetchBigPageTls_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FetchBigPageTls_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FetchBigPageTls_OursOverCurl)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(4.0);

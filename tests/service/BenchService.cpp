// How fast the service answers: names per second of the list endpoint in the
// process, and the latency of one list request over loopback HTTP.
//   build/bin/BenchService
#include <benchmark/benchmark.h>

#include <random>

#include "../service/raw_client.h"
#include "service/builtin_service.h"
#include "service/endpoints.h"
#include "service/http_server.h"
#include "service/service_data.h"

using namespace zu::service;

namespace {

const std::string kTarget =
    "/mzdq/ajax_result.asp?keyword=张&n=2020&y=05&r=17&s=08&xb=男&searchType=report";

void ListEndpointInProcess(benchmark::State& state) {
    Data();
    std::mt19937_64 rng(1);
    std::size_t names = 0;
    for (auto _ : state) {
        const EndpointReply r = Answer(kTarget, "http://127.0.0.1:1", rng);
        std::size_t at = 0;
        while ((at = r.body.find("target=_blank>", at)) != std::string::npos) ++names, ++at;
        benchmark::DoNotOptimize(r.body.data());
    }
    state.counters["names/s"] = benchmark::Counter(static_cast<double>(names), benchmark::Counter::kIsRate);
}
BENCHMARK(ListEndpointInProcess)->Unit(benchmark::kMillisecond);

void ListRequestOverLoopback(benchmark::State& state) {
    static HttpServer* server = [] {
        auto* s = new HttpServer;
        StartNamingService(*s, 0, 4);
        return s;
    }();
    zu::service::testing::Get(server->port(), kTarget);  // the data are loaded before timing
    std::size_t names = 0;
    for (auto _ : state) {
        const auto reply = zu::service::testing::Get(server->port(), kTarget);
        std::size_t at = 0;
        while ((at = reply.body.find("target=_blank>", at)) != std::string::npos) ++names, ++at;
    }
    state.counters["names/s"] = benchmark::Counter(static_cast<double>(names), benchmark::Counter::kIsRate);
}
BENCHMARK(ListRequestOverLoopback)->Unit(benchmark::kMillisecond)->UseRealTime();

void FirstRequestWithDataLoad(benchmark::State& state) {
    // The cost the first request pays when nothing was loaded yet is the data
    // load; measured once, as the load happens once per process.
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        Data();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(FirstRequestWithDataLoad)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

// bench-libs: gate_net
// The HTTP client against a local nginx (started by bench/http_client.sh,
// which passes its ports in GATE_BENCH_HTTP_PORT and GATE_BENCH_HTTPS_PORT):
// 1 KB posts on a fresh connection each, plain and TLS, and a 10 MB sized body.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "net/MyHttp.h"

namespace {

unsigned short Port(int tls) {
  const char* text = getenv(tls ? "GATE_BENCH_HTTPS_PORT" : "GATE_BENCH_HTTP_PORT");
  return text ? static_cast<unsigned short>(atoi(text)) : 0;
}

void BM_PostFreshConnection(benchmark::State& state) {
  int tls = static_cast<int>(state.range(0));
  std::string body(1024, 'e');
  std::string reply;
  for (auto _ : state) {
    CMyHttp http;
    if (!http.Connect("127.0.0.1", Port(tls), 5, tls) || !http.PostUri("/echo", body, &reply, 5)) {
      state.SkipWithError("request failed (is nginx running? use bench/http_client.sh)");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
}
BENCHMARK(BM_PostFreshConnection)->Arg(0)->Arg(1)->ArgName("tls")->UseRealTime();

void BM_GetSizedBody10MB(benchmark::State& state) {
  int tls = static_cast<int>(state.range(0));
  std::string reply;
  for (auto _ : state) {
    if (!HttpGet("127.0.0.1", Port(tls), "/10mb.bin", &reply, 10, tls) || reply.size() < 10 * 1024 * 1024) {
      state.SkipWithError("request failed (is nginx running? use bench/http_client.sh)");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * int64_t{10 * 1024 * 1024});
}
BENCHMARK(BM_GetSizedBody10MB)->Arg(0)->Arg(1)->ArgName("tls")->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// bench-libs: gate_services
// The building-IoT road of the AI event publisher (send mode 2) against a
// local nginx that answers every POST with one fixed JSON 200 (started by
// bench/biot_notify.sh, which passes its port in GATE_BENCH_BIOT_PORT): each
// event is queued, taken by the job's sender pass and notified on a fresh
// connection of its own, as the sender does. The script measures wrk posting
// the same body bytes with "Connection: close" to the same nginx beside it.
// GATE_BENCH_BIOT_BODY names a file to write the notification body to.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "services/BIoTEventSender.h"

namespace {

CBIoTEventData Event(int64_t time) {
  CBIoTEventData event;
  event.cameraId = 70;
  event.zavNo = 7;
  event.zavChannel = 12;
  event.intelligentEventId = 4;
  event.eventTime = time;
  event.cameraName = "Gate";
  event.eventName = "Intrusion";
  event.eventImage = std::string(16 * 1024, 'A');  // a small thumbnail
  return event;
}

void BM_SendModeTwoEventPerConnection(benchmark::State& state) {
  const char* port = getenv("GATE_BENCH_BIOT_PORT");
  if (port == nullptr) {
    state.SkipWithError("GATE_BENCH_BIOT_PORT not set (use bench/biot_notify.sh)");
    return;
  }
  CBIoTEventPublisher::SetZavAuthCodeMap({{7, "AC7"}});
  CBIoTEventSender sender;
  CBIoTEventSender::Settings settings;
  settings.siteID = "SITE";
  auto notifier = sender.GetNotifier(1, {std::string("http://127.0.0.1:") + port + "/", "user", "pw"}, settings);
  int64_t time = 1700000000;
  // The first event fetches the thing token; the loop then measures notifications.
  sender.Queue({1}, {Event(time)}, nullptr);
  if (sender.Send(1, *notifier, sender.Take(1, 0), [] { return true; }, [](const CBIoTEventData&, bool) {}) != 0) {
    state.SkipWithError("notification failed (is nginx running? use bench/biot_notify.sh)");
    return;
  }
  for (auto _ : state) {
    sender.Queue({1}, {Event(++time)}, nullptr);
    if (sender.Send(1, *notifier, sender.Take(1, 0), [] { return true; }, [](const CBIoTEventData&, bool) {}) != 0) {
      state.SkipWithError("notification failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SendModeTwoEventPerConnection)->UseRealTime()->MinTime(5.0);

}  // namespace

int main(int argc, char** argv) {
  if (const char* path = getenv("GATE_BENCH_BIOT_BODY")) {
    CBIoTNotifyEventInfo info;
    info.sId = "SITE";
    info.authToken = "T";
    info.tpId = "VIDEO_GW.0007";
    info.tId = "VIDEO-CAMERA.00070012";
    CBIoTEventData event = Event(1700000001);
    info.event_name = event.eventName;
    info.event_start_time = event.eventTime;
    info.event_contents = event.cameraName;
    info.event_image = event.eventImage;
    std::string body = CBIoTServiceAdapter::MakeNotifyEventBody(info);
    FILE* file = fopen(path, "wb");
    if (file == nullptr || fwrite(body.data(), 1, body.size(), file) != body.size()) return 1;
    fclose(file);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

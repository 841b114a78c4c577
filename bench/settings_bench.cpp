// bench-libs: gate_shell
// What an option page's save costs: the application settings file rewritten
// with seven job lists of N jobs each (every setter outside a batch does
// this), the same file loaded, and the highest job ID read over all lists
// (start-up). Files go to a temporary folder under $TMPDIR.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <benchmark/benchmark.h>

#include "shell/LocalAppSettings.h"

namespace {

std::string TempFile() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/settings-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) abort();
  return pattern + "/AppSettings.xml";
}

template <typename List>
List MakeList(int jobs, int first) {
  List list;
  for (int i = 0; i < jobs; ++i) {
    typename List::ItemType item;
    item.SetID(first + i);
    list.GetItems().push_back(item);
  }
  return list;
}

// Seven lists of `jobs` jobs each, saved in one batch.
void Fill(CLocalAppSettings* settings, int jobs) {
  CDataSynchronizerItems sync = MakeList<CDataSynchronizerItems>(jobs, 1);
  for (auto& item : sync.GetItems()) {
    item.SetSourceData("TBL_Camera");
    item.SetTargetUrl("http://10.0.0.1:8080/api/sync/device");
    item.SetTargetLoginID("gateway");
    item.SetTargetPassword("c2VjcmV0LXBhc3N3b3JkLWJhc2U2NA==");
  }
  settings->BeginUpdate();
  settings->Option_SetDataSyncItems(sync);
  settings->Option_SetNvrDataSyncItems(MakeList<CNvrDataSynchronizerItems>(jobs, 10000));
  settings->Option_SetAIEventPublisherItems(MakeList<CAIEventPublisherItems>(jobs, 20000));
  settings->Option_SetServerStatusPublisherItems(MakeList<CServerStatusPublisherItems>(jobs, 30000));
  settings->Option_SetHTNvrDataSyncItems(MakeList<CHTNvrDataSynchronizerItems>(jobs, 40000));
  settings->Option_SetAlarmOutputPublisherItems(MakeList<CAlarmOutputPublisherItems>(jobs, 50000));
  settings->Option_SetVuzorMetroEventReceiverItems(MakeList<CVuzorMetroEventReceiverItems>(jobs, 60000));
  settings->EndUpdate();
}

void BM_SaveOneList(benchmark::State& state) {
  std::string path = TempFile();
  CLocalAppSettings settings;
  settings.Load(path);
  Fill(&settings, static_cast<int>(state.range(0)));
  CAIEventPublisherItems list = settings.Option_GetAIEventPublisherItems();
  for (auto _ : state) benchmark::DoNotOptimize(settings.Option_SetAIEventPublisherItems(list));
  struct stat st;
  if (stat(path.c_str(), &st) == 0) state.counters["file_KB"] = static_cast<double>(st.st_size) / 1024;
}
BENCHMARK(BM_SaveOneList)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_LoadAndMaxItemID(benchmark::State& state) {
  std::string path = TempFile();
  {
    CLocalAppSettings settings;
    settings.Load(path);
    Fill(&settings, static_cast<int>(state.range(0)));
  }
  for (auto _ : state) {
    CLocalAppSettings settings;
    settings.SetAutoSave(false);
    settings.Load(path);
    benchmark::DoNotOptimize(settings.GetMaxItemID());
  }
}
BENCHMARK(BM_LoadAndMaxItemID)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

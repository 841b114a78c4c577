// bench-libs: gate_net gate_foundation
// The readers of outside input over hostile texts against a plain document of
// the same size: the XML parser, CXmlCfg, the status file reader, the JSON
// readers, the HTTP reply reader (CHttpResult), the request reader
// (CSimpleHttpParser) and the chunked body reader (over a socket pair). For
// each size N (1, 8, 64 MiB by default; arguments are sizes in MiB) and each
// hostile kind it prints the CPU time (the least of a few reads, the inputs
// taking turns) as a ratio to the plain document read by the same reader in
// the same run, and the reader's peak heap growth (operator
// new, so not libxml2's own allocations) as a ratio to N. A ratio above 3 in
// time, or above 4 in memory for CXmlCfg (the store of a reply's values), is
// marked "OVER".
// Run it through bench/readers.sh; READERS=<part of a name> runs only those;
// READERS_KEEP_HEAP=1 keeps freed memory in the process between reads.
#include <malloc.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "foundation/JsonSerializer.h"
#include "foundation/XmlCfg.h"
#include "foundation/XmlParser.h"
#include "foundation/XmlSerializer.h"
#include "net/HttpResult.h"
#include "net/MyHttp.h"
#include "net/SimpleHttpParser.h"

namespace {

std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};

void Count(void* p) {
  size_t live = g_live.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
  size_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
}

}  // namespace

void* operator new(size_t n) {
  void* p = malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  Count(p);
  return p;
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept {
  if (!p) return;
  g_live.fetch_sub(malloc_usable_size(p));
  free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

namespace {

constexpr size_t kMiB = size_t{1} << 20;

// Repeats `unit` between `head` and `tail` until the whole is about n bytes.
std::string Fill(const std::string& head, const std::string& unit, const std::string& tail, size_t n) {
  std::string text = head;
  text.reserve(n + unit.size() + tail.size());
  while (text.size() + unit.size() + tail.size() <= n) text += unit;
  while (text.size() + tail.size() < n) text += ' ';
  return text + tail;
}

std::string Numbered(const std::string& head, const std::function<std::string(size_t)>& unit,
                     const std::string& tail, size_t n) {
  std::string text = head;
  text.reserve(n + 64);
  for (size_t i = 0; text.size() + tail.size() + 64 < n; ++i) text += unit(i);
  while (text.size() + tail.size() < n) text += ' ';
  return text + tail;
}

using Inputs = std::vector<std::pair<std::string, std::string>>;  // kind, text; the first is plain

Inputs XmlInputs(size_t n) {
  const std::string name(4000, 'n');
  std::string deep_block;
  for (int i = 0; i < 990; ++i) deep_block += "<e>";
  deep_block += "x";
  for (int i = 0; i < 990; ++i) deep_block += "</e>";
  return {
      {"plain", Fill("<?xml version=\"1.0\"?>\r\n<Result>\r\n",
                     "\t<Item>\r\n\t\t<ID>123456</ID>\r\n\t\t<Name>Camera 0012 Lobby</Name>\r\n"
                     "\t\t<Time>2024-01-31 14:03:27</Time>\r\n\t\t<Value>some text value of the item</Value>\r\n"
                     "\t</Item>\r\n",
                     "</Result>\r\n", n)},
      {"& runs", Fill("<Result><v>", "&", "</v></Result>", n)},
      {"deep nesting", Fill("<Result>", deep_block, "</Result>", n)},
      {"long names", Fill("<Result>", "<" + name + ">x</" + name + ">", "</Result>", n)},
      {"many attributes", Numbered("<Result><v", [](size_t i) { return " a" + std::to_string(i) + "=\"1\""; },
                                   "/></Result>", n)},
      {"unclosed comment", Fill("<Result><v>1</v><!--", "x", "", n)},
      {"unclosed CDATA", Fill("<Result><v>1</v><![CDATA[", "x", "", n)},
      {"-- in comment", Fill("<Result><v>1</v><!--", "-", "", n)},
  };
}

Inputs JsonInputs(size_t n) {
  std::string deep_block;
  for (int i = 0; i < 900; ++i) deep_block += "[";
  for (int i = 0; i < 900; ++i) deep_block += "]";
  const std::string name(4000, 'n');
  return {
      {"plain", Fill("[", "{\"ID\":\"123456\",\"Name\":\"Camera 0012 Lobby\",\"Time\":\"2024-01-31 14:03:27\","
                          "\"Value\":\"some text value of the item\"},",
                     "{}]", n)},
      {"& runs", Fill("[\"", "&", "\"]", n)},
      {"deep nesting", Fill("[", deep_block + ",", "0]", n)},
      {"long names", Fill("[", "{\"" + name + "\":\"x\"},", "{}]", n)},
      {"many members", Numbered("{", [](size_t i) { return "\"m" + std::to_string(i) + "\":\"1\","; }, "\"z\":0}", n)},
      // Not hostile: what the map reader takes in, an object of named texts
      // (about 40 bytes a member), for a reading of "many members" beside it.
      {"object of texts", Numbered("{", [](size_t i) { return "\"Camera" + std::to_string(i) + "\":\"Lobby 0012 east\","; },
                                   "\"z\":0}", n)},
      {"escapes", Fill("[\"", "\\u00e9\\n", "\"]", n)},
      {"unclosed comment", Fill("[1,/*", "x", "", n)},
      {"unclosed string", Fill("[\"", "x", "", n)},
  };
}

Inputs RequestInputs(size_t n) {
  const std::string head = "POST /event HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n";
  return {
      {"plain", [&] {  // an event post: a body of JSON lines, its length announced
         const std::string start = head + "Content-Length: " + std::to_string(n) + "\r\n\r\n";
         return start + Fill("", "{\"ID\":\"123456\",\"Name\":\"Camera 0012 Lobby\"}\r\n", "", n - start.size());
       }()},
      {"many header lines", Fill(head, "X-A: 1\r\n", "\r\n", n)},
      {"long header line", Fill(head + "X-A: ", "a", "\r\n\r\n", n)},
      {"forwarded list", Fill(head + "X-Forwarded-For: ", "1.2.3.4,", "\r\n\r\n", n)},
      {"short body lines", Fill(head + "\r\n", "\n", "", n)},
      {"no line end", Fill("POST /", "a", "", n)},
  };
}

Inputs ReplyInputs(size_t n) {
  Inputs xml = XmlInputs(n);
  Inputs replies;
  for (auto& [kind, body] : xml) {
    replies.emplace_back(kind, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                   std::to_string(body.size()) + "\r\n\r\n" + body);
  }
  replies.emplace_back("many header lines", Fill("HTTP/1.1 200 OK\r\n", "X-A: 1\r\n", "\r\n", n));
  return replies;
}

Inputs ChunkedInputs(size_t n) {
  auto chunks = [n](size_t size) {
    std::string text;
    char line[32];
    while (text.size() + size + 32 < n) {
      snprintf(line, sizeof(line), "%zx\r\n", size);
      text.append(line).append(size, 'b').append("\r\n");
    }
    return text + "0\r\n\r\n";
  };
  return {{"plain", chunks(kMiB / 4)}, {"1-byte chunks", chunks(1)}, {"long extensions", [n] {
             std::string text;
             std::string ext(4000, 'e');
             while (text.size() + ext.size() + 16 < n) text += "1;" + ext + "\r\nb\r\n";
             return text + "0\r\n\r\n";
           }()}};
}

// Reads the chunked text from a socket pair fed by a thread.
void ReadChunked(const std::string& text) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return;
  std::thread writer([&] {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t w = write(fds[1], text.data() + done, text.size() - done);
      if (w <= 0) break;
      done += static_cast<size_t>(w);
    }
    shutdown(fds[1], SHUT_WR);
  });
  std::vector<char> body;
  CMyHttp::RecvBodyChunked(fds[0], &body, 30);
  shutdown(fds[0], SHUT_RDWR);
  writer.join();
  close(fds[0]);
  close(fds[1]);
}

struct Record : CSerializable {
  const char* GetTypeName() const override { return "Record"; }
  void Serialize(CSerializationInfo&) const override {}
  void Deserialize(const CSerializationInfo& node) override { values = node.GetValueCount(); }
  int values = 0;
};

struct Reader {
  const char* name;
  bool memory_bound;  // held to 4 x N of memory
  std::function<Inputs(size_t)> inputs;
  std::function<void(const std::string&)> read;
};

struct Measure {
  double seconds;
  double memory;  // peak heap growth / input size
  double faults;  // page faults per input MiB (of the least time's read)
};

long MinorFaults() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// The CPU time of this process (the reader, and the feeding thread of the
// chunked reader): a shared machine's load lengthens the wall time of a run,
// hardly its CPU time.
double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

Measure RunOnce(const Reader& reader, const std::string& text) {
  size_t before = g_live.load();
  g_peak.store(before);
  long faults = MinorFaults();
  double start = CpuSeconds();
  reader.read(text);
  double seconds = CpuSeconds() - start;
  faults = MinorFaults() - faults;
  return {seconds, static_cast<double>(g_peak.load() - before) / static_cast<double>(text.size()),
          static_cast<double>(faults) * static_cast<double>(kMiB) / static_cast<double>(text.size())};
}

// Each input read `repeats` times, the inputs taking turns so that a change of
// the machine's load falls on the plain document and the hostile ones alike;
// the least time and the most memory of each.
std::vector<Measure> Run(const Reader& reader, const Inputs& inputs, int repeats) {
  std::vector<Measure> best(inputs.size(), Measure{1e30, 0, 0});
  for (int r = 0; r < repeats; ++r) {
    for (size_t i = 0; i < inputs.size(); ++i) {
      Measure m = RunOnce(reader, inputs[i].second);
      if (m.seconds < best[i].seconds) best[i].faults = m.faults;
      best[i].seconds = std::min(best[i].seconds, m.seconds);
      best[i].memory = std::max(best[i].memory, m.memory);
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (getenv("READERS_KEEP_HEAP")) {
    // Freed memory stays with the process, as in a long-running one: a run
    // then hardly pays the first touch of fresh pages (on this virtual machine
    // tens of microseconds a page, which otherwise rules the time of a reader
    // that builds a large tree).
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
  }
  signal(SIGPIPE, SIG_IGN);  // a reader that gives up closes while the feeding thread still writes
  std::vector<size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(static_cast<size_t>(atol(argv[i])) * kMiB);
  if (sizes.empty()) sizes = {kMiB, 8 * kMiB, 64 * kMiB};
  const std::string file = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/readers_bench.dat";

  const Reader readers[] = {
      {"XmlParseText", false, XmlInputs, [](const std::string& t) { XmlParseText(t); }},
      {"CXmlCfg::ToCfg", true, XmlInputs, [](const std::string& t) { CXmlCfg().ToCfg(t); }},
      {"CXmlSerializer::FromXml", false, XmlInputs,
       [](const std::string& t) {
         Record record;
         CXmlSerializer::FromXml(t, &record);
       }},
      {"CXmlSerializer::FromXmlFile", false, XmlInputs,
       [file](const std::string& t) {
         FILE* f = fopen(file.c_str(), "wb");
         fwrite(t.data(), 1, t.size(), f);
         fclose(f);
         Record record;
         CXmlSerializer::FromXmlFile(file, &record);
       }},
      {"CJsonSerializer record", false, JsonInputs,
       [](const std::string& t) {
         Record record;
         CJsonSerializer::Deserialize(t, &record);
       }},
      {"CJsonSerializer map", false, JsonInputs,
       [](const std::string& t) {
         std::map<std::string, std::string> map;
         CJsonSerializer::Deserialize(t, &map);
       }},
      {"CHttpResult (reply)", false, ReplyInputs, [](const std::string& t) { CHttpResult result(t); }},
      {"CSimpleHttpParser (request)", false, RequestInputs, [](const std::string& t) { CSimpleHttpParser p(t); }},
      {"CMyHttp::RecvBodyChunked", false, ChunkedInputs, ReadChunked},
  };

  const char* only = getenv("READERS");  // a part of the names of the readers to run
  int over = 0;
  printf("%-28s %-18s %6s %10s %8s %8s %9s\n", "reader", "input", "N MiB", "CPU s", "time x", "memory x",
         "faults/MiB");
  for (size_t n : sizes) {
    const int repeats = n <= kMiB ? 7 : n <= 8 * kMiB ? 5 : 3;
    for (const Reader& reader : readers) {
      if (only && !strstr(reader.name, only)) continue;
      Inputs inputs = reader.inputs(n);
      std::vector<Measure> measures = Run(reader, inputs, repeats);
      const Measure plain = measures[0];
      for (size_t i = 0; i < inputs.size(); ++i) {
        const Measure& m = measures[i];
        double ratio = m.seconds / std::max(plain.seconds, 1e-9);
        bool bad = ratio > 3 || (reader.memory_bound && m.memory > 4 + 16.0 * kMiB / static_cast<double>(n));
        over += bad;
        printf("%-28s %-18s %6zu %10.4f %8.2f %8.2f %9.0f%s\n", reader.name, inputs[i].first.c_str(), n / kMiB,
               m.seconds, ratio, m.memory, m.faults, bad ? "  OVER" : "");
        fflush(stdout);
      }
    }
  }
  unlink(file.c_str());
  printf("%d over\n", over);
  return over ? 1 : 0;
}

// The portable core's hot paths: the command line, rebuilt at every
// keystroke, against a bare concatenation of the same nineteen values; and
// the window finder, run at every watchdog tick, over a thousand windows.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "../native/fakes.h"
#include "server/command_line.h"
#include "supervision/window_finder.h"

namespace {

void BuildCommandLine(benchmark::State& state) {
  const fakes::View view = fakes::View::Defaults();
  for (auto _ : state) benchmark::DoNotOptimize(server::BuildCommandLine(view));
}
BENCHMARK(BuildCommandLine);

// The floor: the default line's own pieces, split once at its blanks,
// appended to one string.
void BareConcatenation(benchmark::State& state) {
  const std::string whole = server::BuildCommandLine(fakes::View::Defaults());
  std::vector<std::string> pieces;
  for (size_t from = 0; from < whole.size();) {
    const size_t blank = whole.find(' ', from + 1);
    const size_t to = blank == std::string::npos ? whole.size() : blank;
    pieces.push_back(whole.substr(from, to - from));
    from = to;
  }
  for (auto _ : state) {
    std::string line;
    for (const std::string& piece : pieces) line.append(piece);
    benchmark::DoNotOptimize(line);
  }
}
BENCHMARK(BareConcatenation);

// The server's window is the last of 1,000, as after a busy desktop.
void FindServerWindow(benchmark::State& state) {
  fakes::Windows windows;
  for (int i = 0; i < 999; ++i) windows.windows.push_back({"Window " + std::to_string(i)});
  windows.windows.push_back({"NWServer - My Server up 12s"});
  std::string error;
  for (auto _ : state)
    benchmark::DoNotOptimize(supervision::FindServerWindow(windows, "NWServer - My Server",
                                                           {fakes::Windows::kServerPid}, &error));
}
BENCHMARK(FindServerWindow);

}  // namespace

BENCHMARK_MAIN();

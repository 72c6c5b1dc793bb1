// The portable core's hot paths: the command line, rebuilt at every
// keystroke, against a bare concatenation of the same nineteen values; and
// the window finder, run at every watchdog tick, over a thousand windows.
#include <benchmark/benchmark.h>

#include <string>

#include "../native/fakes.h"
#include "server/command_line.h"
#include "supervision/window_finder.h"

namespace {

void BuildCommandLine(benchmark::State& state) {
  const fakes::View view = fakes::View::Defaults();
  for (auto _ : state) benchmark::DoNotOptimize(server::BuildCommandLine(view));
}
BENCHMARK(BuildCommandLine);

// The floor: the same pieces appended to one string, values already at hand.
void BareConcatenation(benchmark::State& state) {
  const fakes::View view = fakes::View::Defaults();
  const char* const options[] = {" -servername \"",
                                 "\" -module \"",
                                 "\" -port ",
                                 " -pvp ",
                                 " -gametype ",
                                 " -difficulty ",
                                 " -maxclients ",
                                 " -minlevel ",
                                 " -maxlevel ",
                                 " -autosaveinterval ",
                                 " -playerpassword \"",
                                 "\" -dmpassword \"",
                                 "\" -adminpassword \"",
                                 "\" -publicserver ",
                                 " -elc ",
                                 " -ilr ",
                                 " -oneparty ",
                                 " -reloadwhenempty ",
                                 " -servervault "};
  std::string values[settings::kFieldCount];
  for (int f = 0; f < settings::kFieldCount; ++f)
    values[f] = settings::Info(f).kind == settings::Kind::Text ? view.texts[f]
                                                               : std::to_string(view.numbers[f]);
  for (auto _ : state) {
    std::string line = "nwserver";
    for (int f = 0; f < settings::kFieldCount; ++f) line.append(options[f]).append(values[f]);
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

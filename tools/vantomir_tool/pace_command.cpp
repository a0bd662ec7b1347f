// vantomir-tool pace --seconds S: runs the game's frame pacer on the real
// clock and reports the rate it holds.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/pacer.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"

int PaceCommand(const Args& args) {
  double seconds = 5;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      std::printf(
          "usage: vantomir-tool pace [--seconds S]\n\n"
          "Runs the frame pacer for S seconds (default 5, at most 3600) and prints the\n"
          "passes per second it achieved and the jitter of the pass intervals.\n");
      return 0;
    }
    if (args[i] == "--seconds" && i + 1 < args.size()) {
      auto value = ParseInteger(args[++i], 1, 3600);
      if (!value) return UsageError("pace", "--seconds takes a whole number 1..3600");
      seconds = static_cast<double>(*value);
    } else {
      return UsageError("pace", "unexpected argument '" + args[i] + "'");
    }
  }
  using Clock = std::chrono::steady_clock;
  platform::FramePacer pacer;
  pacer.Wait();
  const Clock::time_point start = Clock::now();
  Clock::time_point last = start;
  std::vector<double> intervals;
  while (std::chrono::duration<double>(last - start).count() < seconds) {
    pacer.Wait();
    Clock::time_point now = Clock::now();
    intervals.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  }
  const double elapsed = std::chrono::duration<double>(last - start).count();
  double mean = 0;
  for (double v : intervals) mean += v;
  mean /= static_cast<double>(intervals.size());
  double variance = 0, worst = 0;
  for (double v : intervals) {
    variance += (v - mean) * (v - mean);
    worst = std::fmax(worst, std::fabs(v - mean));
  }
  variance /= static_cast<double>(intervals.size());
  std::printf("passes: %zu in %.3f s\n", intervals.size(), elapsed);
  std::printf("passes per second: %.2f\n", static_cast<double>(intervals.size()) / elapsed);
  std::printf("interval: mean %.3f ms, jitter %.3f ms (standard deviation), worst %.3f ms off\n",
              mean, std::sqrt(variance), worst);
  return 0;
}

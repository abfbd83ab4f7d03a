// What the undo history costs: an entry keeps what it changed, not a copy of the project, so a
// baked project's keys are held once however many entries follow the bake.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "HostProcess.h"

namespace {

using nlohmann::json;

struct Peak {
  int code = -1;
  long kilobytes = 0;  // the process's largest resident size
};

// orvane-host run SCENARIO -q in a child process of its own, with its peak memory.
Peak RunMeasured(const std::string &scenario) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    dup2(null, 1);
    execl(ORVANE_HOST_EXE, ORVANE_HOST_EXE, "run", scenario.c_str(), "-q", nullptr);
    _exit(127);
  }
  Peak peak;
  int status = 0;
  struct rusage usage {};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    peak.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    peak.kilobytes = usage.ru_maxrss;
  }
  return peak;
}

// Ten masks baked over ten minutes at 30 fps: 180,000 keys, some 17 MB of them.
json Baked(int changes_after) {
  json steps = json::array({{{"do", "apply"}}});
  for (int i = 0; i < 10; ++i) steps.push_back({{"do", "press"}, {"param", "Create Mask"}});
  steps.push_back({{"do", "press"}, {"param", "Bake Masks"}});
  for (int i = 0; i < changes_after; ++i)
    steps.push_back({{"do", "set"}, {"param", "Width 1"}, {"value", 10 + i}});
  // Undo and redo them all: each still gives back its own project.
  for (int i = 0; i < changes_after; ++i) steps.push_back({{"do", "undo"}});
  for (int i = 0; i < changes_after; ++i) steps.push_back({{"do", "redo"}});
  return {{"comp", {{"width", 64}, {"height", 36}, {"duration", 600}}}, {"steps", steps}};
}

TEST(UndoMemory, EntriesAfterABakeDoNotCopyItsKeys) {
  const Peak alone = RunMeasured(orvane::test::WriteTemp("undo-mem-0.json", Baked(0).dump()));
  const Peak after = RunMeasured(orvane::test::WriteTemp("undo-mem-20.json", Baked(20).dump()));
  ASSERT_EQ(alone.code, 0);
  ASSERT_EQ(after.code, 0);
  // A copy of the project in each of the 20 entries (before and after each) would be 40 copies
  // of the keys, some 700 MB; what each entry changed is one value.
  EXPECT_LT(after.kilobytes - alone.kilobytes, 100 * 1024)
      << alone.kilobytes << " KB for the bake, " << after.kilobytes
      << " KB with 20 entries after it";
}

}  // namespace

// A page's save killed at any moment leaves AppSettings.xml whole: the
// settings are written to a temporary file and renamed over the old one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "OptionPageFixture.h"
#include "options/DlgOptionAIEvent.h"

namespace {

TEST_F(OptionPageFixture, AKillDuringSaveLeavesAWholeSettingsFile) {
  CDlgOptionAIEvent page(&texts_, &settings_);
  Open(page);
  view_.texts[CDlgOptionAIEvent::kTargetUrl] = "http://first";
  page.OnBnClickedAdd();
  ASSERT_EQ(page.SaveItems(), 1);
  // Kills after a few different delays; no delay is asserted, each round only checks the file.
  for (int round = 0; round < 4; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Saves ever longer lists until killed.
      for (int i = 0;; ++i) {
        view_.texts[CDlgOptionAIEvent::kTargetUrl] = "http://" + std::string(4096, 'x') + std::to_string(i);
        page.OnBnClickedAdd();
        page.SaveItems();
      }
    }
    usleep(30000 + 40000 * round);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    CLocalAppSettings reread;
    ASSERT_TRUE(reread.Load(GetAppSettingsFilePath())) << "round " << round;
    std::vector<CAIEventPublisherItem> items = reread.Option_GetAIEventPublisherItems().GetItems();
    ASSERT_FALSE(items.empty()) << "round " << round;
    EXPECT_EQ(items.front().GetTargetUrl(), "http://first");
  }
}

}  // namespace

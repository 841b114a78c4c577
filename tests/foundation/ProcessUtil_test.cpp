#include "foundation/ProcessUtil.h"

#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace {

TEST(ProcessUtilTest, SplitsCommandLinesWithoutAShell) {
  const struct {
    const char* line;
    std::vector<std::string> arguments;
  } cases[] = {
      {"", {}},
      {"  prog   a  b ", {"prog", "a", "b"}},
      {"\"/opt/my prog/run\" -start -hide", {"/opt/my prog/run", "-start", "-hide"}},
      {"prog \"say \\\"hi\\\"\" x", {"prog", "say \"hi\"", "x"}},
      {"prog a\"b c\"d", {"prog", "ab cd"}},
      {"prog \"\"", {"prog", ""}},
      {"prog $HOME;rm *", {"prog", "$HOME;rm", "*"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
}

TEST(ProcessUtilTest, RunsProgramsWithAndWithoutWaiting) {
  TempDir dir;
  const std::string waited = dir.Join("waited");
  // The program ends only after writing the file: waiting returns after it.
  ASSERT_TRUE(RunProcess(0, true, "sh -c \"sleep 0.2; echo done > '%s'\"", waited.c_str()));
  EXPECT_EQ(ReadTestFile(waited), "done\n");

  const std::string later = dir.Join("later");
  const std::string release = dir.Join("release");
  // Without waiting the call returns while the program still waits for us.
  ASSERT_TRUE(RunProcess(0, false, "/bin/sh -c \"while [ ! -e '%s' ]; do sleep 0.01; done; echo x > '%s'\"",
                         release.c_str(), later.c_str()));
  EXPECT_NE(access(later.c_str(), F_OK), 0);
  WriteTestFile(release, "");
  EXPECT_TRUE(WaitUntil([&] { return ReadTestFile(later) == "x\n"; }));

  EXPECT_FALSE(RunProcess(0, true, "no-such-program-%d", 42));
  EXPECT_FALSE(RunProcess(0, true, "%s", ""));
  EXPECT_FALSE(RunProcess(0, true, "%s", dir.Join("missing").c_str()));
}

TEST(ProcessUtilTest, StartupEntryIsAnAutostartFile) {
  TempDir dir;
  const char* old = getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  EXPECT_EQ(GetStartupFolder(), dir.Join("autostart"));
  ASSERT_TRUE(CreateShortcut("/opt/gate 1/Gate%", "Gate", "/opt/gate 1"));
  EXPECT_EQ(ReadTestFile(dir.Join("autostart/Gate.desktop")),
            "[Desktop Entry]\nType=Application\nName=Gate\nExec=\"/opt/gate 1/Gate%%\" -start -hide\n"
            "Path=/opt/gate 1\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
  ASSERT_TRUE(CreateShortcut("/opt/a\\b", "Gate", ""));  // replaces the entry
  EXPECT_EQ(ReadTestFile(dir.Join("autostart/Gate.desktop")),
            "[Desktop Entry]\nType=Application\nName=Gate\nExec=\"/opt/a\\\\\\\\b\" -start -hide\n"
            "Terminal=false\nX-GNOME-Autostart-enabled=true\n");
  EXPECT_FALSE(CreateShortcut("/opt/gate", "a/b", ""));
  EXPECT_FALSE(CreateShortcut("/opt/gate\nrm", "Gate", ""));

  setenv("XDG_CONFIG_HOME", "relative", 1);
  const char* home = getenv("HOME");
  EXPECT_EQ(GetStartupFolder(), home ? std::string(home) + "/.config/autostart" : std::string());
  if (old) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace

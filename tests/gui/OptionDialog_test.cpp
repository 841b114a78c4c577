// The option dialog's widgets, headless: the page strip, the digit-only
// edits, Save/Enter and Close/Escape, the Option button of the main window,
// and a picture of each page with rows. Real settings files in a temporary
// program folder; message boxes answered through the dialog's interface.
#include "gui/OptionDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <fstream>
#include <functional>
#include <sstream>

#include "foundation/IDCreater.h"
#include "WaitFor.h"
#include "gui/ListCtrlExWidget.h"
#include "gui/MainWindow.h"
#include "gui/OptionPageWidget.h"
#include "gui/QtText.h"
#include "options/DlgOptionVuzorMetroEvent.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"
#include "shell/ProgramFolderFixture.h"
#include "shell/TestTrayHost.h"
#include "support/TempDir.h"

namespace {

// The shipped English texts, from the built program's Language folder.
class ShippedEnglishTexts : public ILangTexts {
 public:
  ShippedEnglishTexts() {
    std::string program = GATE_PROGRAM;
    std::ifstream file(program.substr(0, program.rfind('/')) + "/Language/TorvaneGateManager_ENG.txt");
    std::string line;
    while (std::getline(file, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(line);
    }
  }
  std::string GetText(int index) const override {
    return index >= 0 && index < static_cast<int>(lines_.size()) ? lines_[index] : std::string();
  }

 private:
  std::vector<std::string> lines_;
};

class AnsweringMessages : public IOptionMessageBox {
 public:
  bool ShowMessage(const std::string& text, const std::string&, OptionMessageKind kind) override {
    shown.push_back(text);
    if (kind == OptionMessageKind::Error || answers.empty()) return kind == OptionMessageKind::Error;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<bool> answers;
  std::vector<std::string> shown;
};


class OptionDialogTest : public ProgramFolderFixture {
 protected:
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    settings_.Load(GetAppSettingsFilePath());
    CIDCreater::GetInstance()->SetCurrentID("GATEMANAGER_ID", 40);
  }
  std::unique_ptr<OptionDialog> Open(int language = 1) {
    auto dialog = std::make_unique<OptionDialog>(&texts_, &settings_, language, nullptr, &messages_,
                                                 COptionProgramInfo{dir_.path() + "/G", dir_.path(), "G"});
    dialog->Initialize(GetOptionPageSettingsFilePath());
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    return dialog;
  }
  static QLineEdit* Edit(OptionDialog& dialog, int page, int id) {
    return qobject_cast<QLineEdit*>(dialog.pageWidget(page)->field(id));
  }
  static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  std::string Stored(const char* key) {
    CLocalAppSettings reread;
    reread.Load(GetAppSettingsFilePath());
    return reread.GetValue(1, key);
  }

  ShippedEnglishTexts texts_;
  CLocalAppSettings settings_;
  AnsweringMessages messages_;
};

TEST_F(OptionDialogTest, StripOfSevenButtonsInTheButtonFont) {
  auto dialog = Open();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Option"));
  EXPECT_EQ(dialog->saveButton()->text(), QStringLiteral("Save"));
  EXPECT_EQ(dialog->closeButton()->text(), QStringLiteral("Close"));
  EXPECT_TRUE(dialog->saveButton()->isDefault());
  const int captions[] = {1, 17, 46, 15, 39, 48, 52};
  for (int page = 1; page <= 7; ++page) {
    QPushButton* button = dialog->pageButton(page);
    ASSERT_NE(button, nullptr) << page;
    EXPECT_EQ(button->geometry(), QRect(OptionDialog::kStripLeft + 123 * (page - 1), OptionDialog::kStripTop, 120,
                                        OptionDialog::kStripHeight));
    EXPECT_EQ(ToLegacy(button->text()), texts_.GetText(captions[page - 1]));
    // The font asked for; a machine without the face shows a substitute.
    EXPECT_EQ(button->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(button->font().pixelSize(), 12);
    EXPECT_EQ(button->font().weight(), QFont::Normal);
  }
  EXPECT_EQ(dialog->pageButton(8), nullptr);
  EXPECT_TRUE(dialog->pageButton(1)->isChecked());
  EXPECT_EQ(Open(2)->pageButton(3)->font().pixelSize(), 13);
}

TEST_F(OptionDialogTest, DigitOnlyEditsRefuseOtherKeys) {
  auto dialog = Open();
  QLineEdit* port = Edit(*dialog, 1, CDlgOptionGeneral::kPort);
  port->clear();
  QTest::keyClicks(port, "8a0-8 0x");
  EXPECT_EQ(port->text(), QStringLiteral("8080"));
  Click(dialog->pageButton(3));
  QLineEdit* period = Edit(*dialog, 3, 1025);
  period->clear();
  QTest::keyClicks(period, "1e2");
  EXPECT_EQ(period->text(), QStringLiteral("12"));
  QLineEdit* address = Edit(*dialog, 3, 1037);
  QTest::keyClicks(address, "nvr-1.a");
  EXPECT_EQ(address->text(), QStringLiteral("nvr-1.a")) << "other edits take any key";
}

TEST_F(OptionDialogTest, EnterSavesTheCurrentPageAndEscapeRevertsAndCloses) {
  auto dialog = Open();
  Click(dialog->pageButton(2));
  ASSERT_TRUE(dialog->pageButton(2)->isChecked());
  OptionPageWidget* page = dialog->pageWidget(2);
  QLineEdit* url = Edit(*dialog, 2, 1021);
  url->setText(QStringLiteral("http://10.0.0.9/sync"));
  Click(page->addButton());
  ASSERT_EQ(page->list()->model()->rowCount(), 1);
  EXPECT_EQ(page->list()->model()->index(0, 0).data().toString(), QStringLiteral("41"));
  QTest::keyClick(url, Qt::Key_Return);
  EXPECT_TRUE(dialog->isVisible()) << "the dialog stays after Save";
  EXPECT_NE(Stored("DataSyncItems").find("10.0.0.9"), std::string::npos);

  url->setText(QStringLiteral("http://dropped"));
  Click(page->addButton());
  QTest::keyClick(url, Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(page->list()->model()->rowCount(), 1) << "reverted";
  EXPECT_EQ(Stored("DataSyncItems").find("dropped"), std::string::npos);
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(OptionDialogTest, AClickedRowShowsItsJobAndTheCloseBoxReverts) {
  settings_.SetString(1, "AIEventPubItems",
                      "[{\"ID\":\"3\", \"TargetUrl\":\"http://a\", \"TargetLoginID\":\"ua\"}, "
                      "{\"ID\":\"4\", \"TargetUrl\":\"http://b\", \"TargetLoginID\":\"ub\", \"TargetPassword\":\""
                      "DE/ezEp+Lw+LFByBAvAG4A==\"}]");
  auto dialog = Open();
  Click(dialog->pageButton(4));
  ListCtrlExWidget* list = dialog->pageWidget(4)->list();
  QRect second = list->visualRect(list->model()->index(1, 1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
  EXPECT_EQ(Edit(*dialog, 4, 1021)->text(), QStringLiteral("http://b"));
  EXPECT_EQ(Edit(*dialog, 4, 1033)->text(), QStringLiteral("ub"));
  EXPECT_EQ(Edit(*dialog, 4, 1034)->text(), QStringLiteral("admin"));
  Click(dialog->pageWidget(4)->deleteButton());
  EXPECT_EQ(list->model()->rowCount(), 1);
  EXPECT_TRUE(dialog->close());  // the close box
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(list->model()->rowCount(), 2) << "reverted without a question";
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(OptionDialogTest, ARefusedLeaveKeepsTheCurrentButtonPushed) {
  auto dialog = Open();
  Edit(*dialog, 1, CDlgOptionGeneral::kSystemLogin)->clear();
  messages_.answers = {true};
  Click(dialog->pageButton(4));
  EXPECT_TRUE(dialog->pageButton(1)->isChecked());
  EXPECT_FALSE(dialog->pageButton(4)->isChecked());
  EXPECT_TRUE(dialog->pageWidget(1)->isVisible());
  EXPECT_TRUE(Edit(*dialog, 1, CDlgOptionGeneral::kSystemLogin)->hasFocus() ||
              QApplication::focusWidget() == Edit(*dialog, 1, CDlgOptionGeneral::kSystemLogin));
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[1], texts_.GetText(31));
}

TEST_F(OptionDialogTest, TheMainWindowsOptionButtonOpensTheDialogModally) {
  TestTrayHost tray;
  MainWindow window({}, &texts_, &tray);
  window.SetOptionContext(&settings_, 1, GetOptionPageSettingsFilePath());
  window.Initialize();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(window.optionButton()->isEnabled());
  QString title;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    WaitFor([] { return QApplication::activeModalWidget() != nullptr; });
    auto* dialog = qobject_cast<OptionDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle();
    modal = dialog->isModal();
    dialog->closeButton()->click();
  });
  QTest::mouseClick(window.optionButton(), Qt::LeftButton);  // returns once the dialog is closed
  EXPECT_TRUE(modal);
  EXPECT_EQ(title, QStringLiteral("Option"));
}

TEST_F(OptionDialogTest, TheMetroReceiversBoxEnablesItsFields) {
  ASSERT_TRUE(WriteTestFile(GetOptionPageSettingsFilePath(),
                            "<Settings><Setting><Category>0</Category><Name>VuzorMetroEvent</Name><Value>1</Value>"
                            "</Setting></Settings>"));
  auto dialog = Open();
  Click(dialog->pageButton(8));
  OptionPageWidget* page = dialog->pageWidget(8);
  ASSERT_NE(page, nullptr);
  auto* box = qobject_cast<QCheckBox*>(page->field(CDlgOptionVuzorMetroEvent::kEnable));
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(Edit(*dialog, 8, CDlgOptionVuzorMetroEvent::kPort)->text(), QStringLiteral("10002"));
  EXPECT_FALSE(Edit(*dialog, 8, CDlgOptionVuzorMetroEvent::kTargetUrl)->isEnabled());
  EXPECT_FALSE(page->list()->isEnabled());
  EXPECT_TRUE(box->isEnabled());
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(5, box->height() / 2));
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(Edit(*dialog, 8, CDlgOptionVuzorMetroEvent::kTargetUrl)->isEnabled());
  EXPECT_TRUE(page->addButton()->isEnabled());
}

// Pictures of the pages, with rows, for review.
TEST_F(OptionDialogTest, SavesAPictureOfEachPage) {
  settings_.SetString(1, "DataSyncItems",
                      "[{\"ID\":\"3\", \"SourceData\":\"TBL_Camera\", \"Period\":\"60\", \"TargetUrl\":"
                      "\"http://10.0.0.20/api/cameras\", \"TargetLoginID\":\"sync\"}, {\"ID\":\"4\", \"SourceData\":"
                      "\"TBL_VasIntelligentEvent\", \"Period\":\"30\", \"TargetUrl\":\"http://10.0.0.21/events\"}]");
  settings_.SetString(1, "NvrDataSyncItems",
                      "[{\"ID\":\"5\", \"Period\":\"60\", \"TargetAddress\":\"10.0.1.5\", \"TargetPort\":\"3306\", "
                      "\"TargetName\":\"torvane\", \"TargetLoginID\":\"root\"}]");
  settings_.SetString(1, "HTNvrDataSyncItems",
                      "[{\"ID\":\"6\", \"Period\":\"86400\", \"TargetAddress\":\"10.0.2.6\", \"TargetPort\":\"9000\", "
                      "\"TargetLoginID\":\"admin\", \"TargetGroup\":\"Lobby\"}]");
  settings_.SetString(1, "AIEventPubItems",
                      "[{\"ID\":\"7\", \"TargetUrl\":\"http://10.0.0.21/events\", \"TargetLoginID\":\"ai\"}]");
  settings_.SetString(1, "ServerStatusPubItems",
                      "[{\"ID\":\"8\", \"ServerKind\":\"1\", \"TargetUrl\":\"http://10.0.0.22/status\", "
                      "\"Period\":\"5\"}]");
  settings_.SetString(1, "AlarmOutputPublisherItems",
                      "[{\"ID\":\"9\", \"EventKind\":\"2\", \"DeviceKind\":\"1\", \"Channel\":\"3\", "
                      "\"EMapAddress\":\"http://10.0.0.30/emap\", \"TargetUrl\":\"http://10.0.0.23\", "
                      "\"TargetLoginID\":\"admin\"}]");
  settings_.SetString(1, "DMEventReceiverItems",
                      "[{\"ID\":\"10\", \"Enable\":\"1\", \"Port\":\"10002\", \"TargetSites\":[{\"TargetUrl\":"
                      "\"http://10.0.0.24/metro\", \"TargetLoginID\":\"metro\"}]}]");
  ASSERT_TRUE(WriteTestFile(GetOptionPageSettingsFilePath(),
                            "<Settings><Setting><Category>0</Category><Name>VuzorMetroEvent</Name><Value>1</Value>"
                            "</Setting></Settings>"));
  auto dialog = Open();
  for (int page = 1; page <= 8; ++page) {
    Click(dialog->pageButton(page));
    ASSERT_TRUE(dialog->pageWidget(page) != nullptr && dialog->pageWidget(page)->isVisible()) << page;
    if (ListCtrlExWidget* list = dialog->pageWidget(page)->list()) {
      EXPECT_GT(list->model()->rowCount(), 0);
      list->selectRow(0);
    }
    QApplication::processEvents();
    QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/OptionPage%1.png").arg(page);
    ASSERT_TRUE(dialog->grab().toImage().save(path, "PNG")) << path.toStdString();
    EXPECT_EQ(QImage(path).size(), dialog->size());
  }
}

}  // namespace

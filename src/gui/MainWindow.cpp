#include "gui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "gui/AboutBox.h"
#include "gui/ListCtrlExWidget.h"
#include "gui/OptionDialog.h"
#include "gui/ProgramIcon.h"
#include "gui/QtText.h"
#include "gui/TrayHost.h"
#include "gui/WidgetResizerHost.h"

namespace {

constexpr const char* kWindowTitle = "TorvaneGateManager";
constexpr int kTrayWatchPeriodMs = 5000;

// The window's layout in dialog units (a quarter of the font's average
// character width, an eighth of its height): client size and controls.
constexpr int kTemplateWidth = 519;
constexpr int kTemplateHeight = 299;
struct TemplateControl {
  unsigned id;
  int x, y, width, height;
};
constexpr TemplateControl kTemplate[] = {
    {CTorvaneGateManagerDlg::kStatusTextId, 7, 7, 21, 8},
    {CTorvaneGateManagerDlg::kJobListId, 7, 19, 505, 253},
    {CTorvaneGateManagerDlg::kOptionButtonId, 7, 278, 50, 14},
    {CTorvaneGateManagerDlg::kStartButtonId, 462, 278, 50, 14},
};

}  // namespace

MainWindow::MainWindow(std::vector<std::shared_ptr<IGateService>> services, const ILangTexts* texts,
                       ITrayHost* trayHost, QWidget* parent)
    : QWidget(parent), resizerHost_(std::make_unique<WidgetResizerHost>(this)), trayHost_(trayHost), texts_(texts) {
  dialog_ = std::make_unique<CTorvaneGateManagerDlg>(this, texts, std::move(services));
  setWindowTitle(QString::fromLatin1(kWindowTitle));
  setWindowIcon(ProgramIcon());
  // The window's own menu (a right click on the window): the About box.
  setContextMenuPolicy(Qt::ActionsContextMenu);
  setFont(QFont(QStringLiteral("Tahoma"), 9));

  status_ = new QLabel(QStringLiteral("Status"), this);
  list_ = new ListCtrlExWidget(&dialog_->GetList(), this);
  option_ = new QPushButton(QStringLiteral("Option..."), this);
  start_ = new QPushButton(QStringLiteral("Start"), this);
  option_->setAutoDefault(false);
  start_->setAutoDefault(false);
  WidgetResizerHost::SetControlId(status_, CTorvaneGateManagerDlg::kStatusTextId);
  WidgetResizerHost::SetControlId(list_, CTorvaneGateManagerDlg::kJobListId);
  WidgetResizerHost::SetControlId(option_, CTorvaneGateManagerDlg::kOptionButtonId);
  WidgetResizerHost::SetControlId(start_, CTorvaneGateManagerDlg::kStartButtonId);
  connect(start_, &QPushButton::clicked, this, [this] { dialog_->OnBnClickedStart(); });
  connect(option_, &QPushButton::clicked, this, [this] { dialog_->OnBnClickedOption(); });
  LayOutTemplate();

  if (trayHost_ == nullptr) {
    desktopTray_ = new TrayHost(&dialog_->GetTray(), this, windowIcon(), this);
    trayHost_ = desktopTray_;
    trayWasAvailable_ = TrayHost::IsAvailable();
    trayWatch_ = new QTimer(this);
    connect(trayWatch_, &QTimer::timeout, this, [this] { WatchTrayHost(); });
    trayWatch_->start(kTrayWatchPeriodMs);
  }
}

MainWindow::~MainWindow() {
  dialog_->OnDestroy();
  // The list widget shows the dialog's list: it goes before the dialog does.
  delete list_;
  list_ = nullptr;
}

void MainWindow::LayOutTemplate() {
  // Dialog base units of the window's font, as the template's units are measured.
  QFontMetrics metrics(font());
  static const QString kSample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  int baseX = (metrics.horizontalAdvance(kSample) / 26 + 1) / 2;
  int baseY = metrics.height();
  auto x = [baseX](int units) { return units * baseX / 4; };
  auto y = [baseY](int units) { return units * baseY / 8; };
  resize(x(kTemplateWidth), y(kTemplateHeight));
  for (const TemplateControl& control : kTemplate) {
    if (QWidget* widget = resizerHost_->FindControl(control.id)) {
      widget->setGeometry(x(control.x), y(control.y), x(control.width), y(control.height));
    }
  }
  // The status label shows its whole text even where the font is wider than the template's.
  status_->setMinimumWidth(0);
  status_->adjustSize();
  status_->move(x(7), y(7));
}

void MainWindow::Initialize() { dialog_->OnInitDialog(); }

bool MainWindow::IsTimerActive(unsigned id) const {
  auto it = timers_.find(id);
  return it != timers_.end() && it->second->isActive();
}

void MainWindow::SetOptionButtonText(const std::string& text) { option_->setText(FromLegacy(text)); }

void MainWindow::SetStartButtonText(const std::string& text) { start_->setText(FromLegacy(text)); }

void MainWindow::SetStatusText(const std::string& text) {
  status_->setText(FromLegacy(text));
  status_->adjustSize();
}

void MainWindow::EnableOptionButton(bool enable) { option_->setEnabled(enable); }

void MainWindow::StartTimer(unsigned id, int milliseconds) {
  QTimer*& timer = timers_[id];
  if (timer == nullptr) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, id] { dialog_->OnTimer(id); });
  }
  timer->start(milliseconds);
}

void MainWindow::StopTimer(unsigned id) {
  auto it = timers_.find(id);
  if (it != timers_.end()) it->second->stop();
}

void MainWindow::PostAppStartup() {
  QTimer::singleShot(0, this, [this] { dialog_->OnAppStartup(); });
}

void MainWindow::ShowWindowNormal() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}

void MainWindow::HideWindow() { hide(); }

void MainWindow::MinimizeWindow() { showMinimized(); }

bool MainWindow::IsWindowHidden() const { return isHidden(); }

void MainWindow::QuitProgram() {
  // exit(), not quit(): quit() first asks every window to close, and this one refuses.
  QCoreApplication::exit(0);
}

void MainWindow::AddSystemMenuItem(const std::string& text, unsigned command) {
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  addAction(separator);
  auto* item = new QAction(FromLegacy(text), this);
  connect(item, &QAction::triggered, this, [this, command] { dialog_->OnSysCommand(command); });
  addAction(item);
}

void MainWindow::ShowAboutBox(const CAboutBoxTexts& texts) {
  AboutBox box(texts, this);
  box.exec();
}

void MainWindow::SetOptionContext(CLocalAppSettings* settings, int languageCode, std::string pageSettingsPath) {
  optionSettings_ = settings;
  languageCode_ = languageCode;
  pageSettingsPath_ = std::move(pageSettingsPath);
}

void MainWindow::OpenOptionDialog() {
  if (optionSettings_ == nullptr) return;
  OptionDialog options(texts_, optionSettings_, languageCode_, this);
  options.Initialize(pageSettingsPath_);
  options.exec();  // the result is not used
}

std::string MainWindow::GetWindowTitle() const { return ToLegacy(windowTitle()); }

ITrayHost* MainWindow::GetTrayHost() { return trayHost_; }

IResizerHost* MainWindow::GetResizerHost() { return resizerHost_.get(); }

void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  dialog_->OnClose();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Enter and Escape never close the window nor press a button.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!dialog_) return;
  // The window size stays within the resizer's limits. The toolkit does not
  // say which edge was dragged: the top-left corner stays, as when the
  // bottom-right corner is dragged.
  QRect frame = frameGeometry();
  CRect proposed(frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height());
  CRect allowed = proposed;
  dialog_->GetResizer().OnSizing(CWndResizer::SIZING_BOTTOMRIGHT, &allowed);
  if (allowed.Width() != proposed.Width() || allowed.Height() != proposed.Height()) {
    resize(width() + allowed.Width() - proposed.Width(), height() + allowed.Height() - proposed.Height());
    return;  // the layout follows the corrected size
  }
  dialog_->GetResizer().OnSize();
}

void MainWindow::WatchTrayHost() {
  bool available = TrayHost::IsAvailable();
  if (available == trayWasAvailable_) return;
  trayWasAvailable_ = available;
  dialog_->OnTrayHostChanged(available);
}

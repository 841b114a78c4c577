#include "database/DatabaseFixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <mysql.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>

#include "database/MariaDB.h"
#include "foundation/GenericLogger.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

// ---- RawConnection

RawConnection::~RawConnection() {
  if (conn_) mysql_close(conn_);
}

bool RawConnection::Open(const TestDatabase& db, const std::string& database, std::string* error) {
  conn_ = mysql_init(nullptr);
  if (!conn_) return false;
  unsigned timeout = 10;
  mysql_options(conn_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  mysql_options(conn_, MYSQL_SET_CHARSET_NAME, "euckr");
  if (!mysql_real_connect(conn_, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                          database.empty() ? nullptr : database.c_str(), db.port, nullptr, 0)) {
    if (error) *error = mysql_error(conn_);
    return false;
  }
  return true;
}

bool RawConnection::Run(const std::string& sql) {
  if (!conn_ || mysql_real_query(conn_, sql.data(), sql.size()) != 0) return false;
  MYSQL_RES* result = mysql_store_result(conn_);
  if (result) mysql_free_result(result);
  return mysql_errno(conn_) == 0;
}

std::vector<std::vector<std::string>> RawConnection::Rows(const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  if (!conn_ || mysql_real_query(conn_, sql.data(), sql.size()) != 0) return rows;
  MYSQL_RES* result = mysql_store_result(conn_);
  if (!result) return rows;
  unsigned columns = mysql_num_fields(result);
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    unsigned long* lengths = mysql_fetch_lengths(result);
    std::vector<std::string> values;
    for (unsigned c = 0; c < columns; ++c) {
      values.push_back(row[c] ? std::string(row[c], lengths[c]) : std::string("(null)"));
    }
    rows.push_back(std::move(values));
  }
  mysql_free_result(result);
  return rows;
}

std::string RawConnection::Value(const std::string& sql) {
  auto rows = Rows(sql);
  return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
}

std::string RawConnection::LastError() const { return conn_ ? mysql_error(conn_) : "not open"; }

unsigned long RawConnection::ThreadId() const { return conn_ ? mysql_thread_id(conn_) : 0; }

// ---- DatabaseTest

void DatabaseTest::SetUp() {
  GATE_REQUIRE_DATABASE(db_);
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string prefix = StrToLower(std::string("db_") + info->test_suite_name());
  if (prefix.size() > 30) prefix.resize(30);
  std::string error;
  database_ = CreateScratchDatabase(db_, prefix, &error);
  ASSERT_FALSE(database_.empty()) << error;
  ASSERT_TRUE(raw_.Open(db_, database_, &error)) << error;
  ASSERT_TRUE(raw_.Run("SET GLOBAL general_log = 1")) << raw_.LastError();
}

void DatabaseTest::TearDown() {
  if (!database_.empty()) DropScratchDatabase(db_, database_);
}

std::vector<std::string> DatabaseTest::StatementsOf(unsigned long thread_id) {
  // The general log is a CSV table: rows come back in the order they were written.
  // The sql_mode that the client library sets at every connect is part of connecting, not a statement.
  const std::string pinned_mode = std::string("SET SESSION sql_mode = '") + CMariaDB::kSessionSqlMode + "'";
  std::vector<std::string> statements;
  for (auto& row : raw_.Rows("SELECT argument FROM mysql.general_log WHERE thread_id = " +
                             std::to_string(thread_id) + " AND command_type = 'Query'")) {
    if (row[0] != pinned_mode) statements.push_back(row[0]);
  }
  return statements;
}

std::vector<std::string> DatabaseTest::StatementsSince(unsigned long thread_id, size_t skip) {
  std::vector<std::string> all = StatementsOf(thread_id);
  if (skip >= all.size()) return {};
  return std::vector<std::string>(all.begin() + static_cast<long>(skip), all.end());
}

bool DatabaseTest::KillSession(unsigned long thread_id) {
  return raw_.Run("KILL CONNECTION " + std::to_string(thread_id));
}

// ---- LogCapture

LogCapture::LogCapture() {
  fd_ = open(dir_.Join("log.txt").c_str(), O_CREAT | O_WRONLY | O_APPEND | O_CLOEXEC, 0600);
  CGenericLogger* logger = GetProcessLogger();
  if (logger && fd_ >= 0) {
    logger->SetDebugOutputFd(fd_);
    logger->SetLevelFlags(1, LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_FUNCTION);
  }
}

LogCapture::~LogCapture() {
  CGenericLogger* logger = GetProcessLogger();
  if (logger) {
    logger->SetLevelFlags(1, 0);
    logger->SetDebugOutputFd(2);
  }
  if (fd_ >= 0) close(fd_);
}

std::string LogCapture::Text() const { return ReadTestFile(dir_.Join("log.txt")); }

// ---- TcpRelay

namespace {

int ListenOn(unsigned short port, unsigned short* bound, int backlog = 16) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  socklen_t length = sizeof(addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
    close(fd);
    return -1;
  }
  if (bound) *bound = ntohs(addr.sin_port);
  return fd;
}

int ConnectTo(unsigned short port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

TcpRelay::TcpRelay(unsigned short target_port) : target_port_(target_port) {}

TcpRelay::~TcpRelay() { Stop(); }

bool TcpRelay::Start() {
  Stop();
  listener_ = ListenOn(port_, &port_);
  if (listener_ < 0) return false;
  if (pipe2(wake_, O_CLOEXEC) != 0) return false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void TcpRelay::Stop() {
  if (!thread_.joinable()) return;
  char byte = 0;
  (void)!write(wake_[1], &byte, 1);
  thread_.join();
  close(wake_[0]);
  close(wake_[1]);
  wake_[0] = wake_[1] = -1;
}

void TcpRelay::Run() {
  std::map<int, int> peer;  // each relayed socket -> the other end
  for (;;) {
    std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
    for (auto& entry : peer) fds.push_back({entry.first, POLLIN, 0});
    if (poll(fds.data(), fds.size(), 10000) < 0) continue;
    if (fds[0].revents) break;
    if (fds[1].revents & POLLIN) {
      int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      int server = client >= 0 ? ConnectTo(target_port_) : -1;
      if (server >= 0) {
        peer[client] = server;
        peer[server] = client;
      } else if (client >= 0) {
        close(client);
      }
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      int from = fds[i].fd;
      auto it = peer.find(from);
      if (it == peer.end()) continue;
      char buffer[65536];
      ssize_t n = read(from, buffer, sizeof(buffer));
      bool closed = n <= 0;
      if (!closed) {
        for (ssize_t done = 0; done < n;) {
          ssize_t w = send(it->second, buffer + done, static_cast<size_t>(n - done), MSG_NOSIGNAL);
          if (w <= 0) {
            closed = true;
            break;
          }
          done += w;
        }
      }
      if (closed) {
        int to = it->second;
        close(from);
        close(to);
        peer.erase(from);
        peer.erase(to);
      }
    }
  }
  for (auto& entry : peer) close(entry.first);
  close(listener_);
  listener_ = -1;
}

unsigned short ClosedPort() {
  unsigned short port = 0;
  int fd = ListenOn(0, &port);
  if (fd >= 0) close(fd);
  return port;
}

SilentServer::SilentServer(bool full) {
  listener_ = ListenOn(0, &port_, full ? 0 : 16);
  if (!full || listener_ < 0) return;
  // An accept queue of length 0 holds one connection; a few more make sure.
  for (int i = 0; i < 3; ++i) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port_);
    (void)!connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    fillers_.push_back(fd);
  }
  usleep(100 * 1000);  // let the handshakes of the fillers complete
}

SilentServer::~SilentServer() {
  for (int fd : fillers_) close(fd);
  if (listener_ >= 0) close(listener_);
}

// ---- PrivateServer

namespace {

// The environment with TMPDIR set to `tmpdir`: servers of parallel tests must
// not share a folder for their temporary tables.
std::vector<std::string> EnvironmentWithTmpdir(const std::string& tmpdir) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    if (strncmp(*entry, "TMPDIR=", 7) != 0) env.emplace_back(*entry);
  }
  env.push_back("TMPDIR=" + tmpdir);
  return env;
}

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Runs `argv` with its output in `log` and TMPDIR `tmpdir`, waits for it. True on exit status 0.
bool RunTool(const std::vector<std::string>& argv, const std::string& log, const std::string& tmpdir) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> args = Pointers(argv);
  const std::vector<std::string> env = EnvironmentWithTmpdir(tmpdir);
  std::vector<char*> envp = Pointers(env);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

PrivateServer::~PrivateServer() { Stop(); }

bool PrivateServer::Start(std::string* error) {
  if (pid_ > 0) return true;
  const std::string data = dir_.Join("data");
  const std::string tmpdir = dir_.Join("tmp");
  mkdir(tmpdir.c_str(), 0700);
  if (!installed_) {
    if (!RunTool({"mariadb-install-db", "--no-defaults", "--datadir=" + data,
                  "--auth-root-authentication-method=normal", "--skip-test-db", "--user=root"},
                 dir_.Join("install.log"), tmpdir)) {
      *error = "mariadb-install-db failed: " + ReadTestFile(dir_.Join("install.log"));
      return false;
    }
    port_ = ClosedPort();
  }
  std::vector<std::string> argv = {"mariadbd", "--no-defaults", "--datadir=" + data,
                                   "--socket=" + dir_.Join("sock"), "--port=" + std::to_string(port_),
                                   "--bind-address=127.0.0.1", "--skip-name-resolve", "--user=root",
                                   "--pid-file=" + dir_.Join("pid"), "--lower-case-table-names=1",
                                   "--log-error=" + dir_.Join("error.log"), "--skip-log-bin",
                                   "--innodb-flush-log-at-trx-commit=0", "--tmpdir=" + tmpdir};
  argv.insert(argv.end(), options_.begin(), options_.end());
  std::vector<char*> args = Pointers(argv);
  const std::vector<std::string> env = EnvironmentWithTmpdir(tmpdir);
  std::vector<char*> envp = Pointers(env);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) {
    *error = "cannot start mariadbd";
    return false;
  }
  pid_ = pid;
  if (!WaitUntilUp(error)) return false;
  if (!installed_) {
    installed_ = true;
    std::string sql = std::string("CREATE USER IF NOT EXISTS 'root'@'127.0.0.1'; ") +
                      "ALTER USER 'root'@'127.0.0.1' IDENTIFIED BY '" + password() + "'; " +
                      "GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION; " +
                      "CREATE DATABASE gate_private CHARACTER SET euckr;";
    if (!RunTool({"mariadb", "--no-defaults", "-S", dir_.Join("sock"), "-uroot", "-e", sql},
                 dir_.Join("setup.log"), tmpdir)) {
      *error = "setting the server up failed: " + ReadTestFile(dir_.Join("setup.log"));
      return false;
    }
  }
  return true;
}

bool PrivateServer::WaitUntilUp(std::string* error) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      *error = "mariadbd ended: " + ReadTestFile(dir_.Join("error.log"));
      return false;
    }
    MYSQL* conn = mysql_init(nullptr);
    bool up = mysql_real_connect(conn, nullptr, "root", nullptr, nullptr, 0, dir_.Join("sock").c_str(), 0);
    mysql_close(conn);
    if (up) return true;
    usleep(100 * 1000);
  }
  *error = "mariadbd did not answer within 60 s";
  return false;
}

void PrivateServer::Pause() {
  if (pid_ > 0 && kill(pid_, SIGSTOP) == 0) paused_ = true;
}

void PrivateServer::Resume() {
  if (pid_ > 0 && paused_) kill(pid_, SIGCONT);
  paused_ = false;
}

void PrivateServer::Stop() {
  if (pid_ <= 0) return;
  Resume();
  kill(pid_, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) != pid_) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    usleep(50 * 1000);
  }
  pid_ = -1;
}

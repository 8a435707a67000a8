// A second user in a child process: it opens the test database through its own Database object
// (never the parent's connection) and runs one command per line sent by the parent, answering
// each with the engine's error number (0: done). The two talk only through pipes, so a test
// never waits on time. The child leaves with _exit and never returns into the test runner.
#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "com/ole_exception.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/maintenance/database_open.h"
#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"

namespace qb::jet::test {

// The editor's commands that open People as a table-type recordset denying others writing it,
// or reading it.
inline constexpr const char* kOpenDenyWrite = "open 1 1 0";
inline constexpr const char* kOpenDenyRead = "open 1 2 0";

class ForkedEditor {
 public:
  // Commands:
  //   open TYPE OPTIONS LOCK [TABLE]   opens a recordset on TABLE (People), closing the last one
  //   find NAME                         makes the record named NAME current (3021 when none)
  //   edit | update | cancel | delete | close
  //   set FIELD VALUE                   sets FIELD of the pending edit (VALUE as text)
  //   begin | commit | rollback         the Database's BeginTrans, CommitTrans, Rollback
  //   execute SQL                       runs the statement SQL (the rest of the line)
  explicit ForkedEditor(const std::string& path) {
    int down[2], up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      ::close(down[1]);
      ::close(up[0]);
      try {
        Serve(path, down[0], up[1]);
      } catch (...) {
      }
      ::_exit(0);
    }
    ::close(down[0]);
    ::close(up[1]);
    to_child_ = down[1];
    from_child_ = up[0];
  }
  ~ForkedEditor() {
    if (pid_ > 0) {
      Send(to_child_, "quit");
      Reap();
    }
  }
  ForkedEditor(const ForkedEditor&) = delete;
  ForkedEditor& operator=(const ForkedEditor&) = delete;

  // Runs COMMAND in the child; its error number (0: done).
  int Do(const std::string& command) {
    Post(command);
    return Answer();
  }
  // Sends COMMAND without waiting for it (Answer reads its error number later): for a command
  // sent while this process is itself waiting, such as a commit it waits for.
  void Post(const std::string& command) { Send(to_child_, command); }
  int Answer() {
    const std::string reply = ReadLine(from_child_);
    return reply.empty() ? -1 : std::stoi(reply);
  }
  // Ends the child at once, as a crash would: nothing of it is closed or released by it.
  void Kill() {
    ::kill(pid_, SIGKILL);
    Reap();
  }

 private:
  static void Send(int fd, const std::string& line) {
    const std::string text = line + '\n';
    (void)!::write(fd, text.data(), text.size());
  }
  static std::string ReadLine(int fd) {
    std::string line;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  static void Run(const std::string& command, std::shared_ptr<Database>& database, std::shared_ptr<Recordset>& rs) {
    std::istringstream words(command);
    std::string verb;
    words >> verb;
    if (verb == "open") {
      int type = 0, options = 0, lock = 0;
      std::string table = "People";
      words >> type >> options >> lock >> table;
      rs.reset();
      rs = database->OpenRecordset(table, type, options, lock);
    } else if (verb == "find") {
      std::string name;
      words >> name;
      rs->FindFirst("Name = '" + name + "'");
      if (rs->NoMatch()) RaiseJetError(err::kNoCurrentRecord, "No record is named " + name + ".");
    } else if (verb == "set") {
      std::string field, value;
      words >> field >> value;
      rs->Fields()->Item(std::string_view(field))->SetValue(Variant(value));
    } else if (verb == "edit") {
      rs->Edit();
    } else if (verb == "update") {
      rs->Update();
    } else if (verb == "cancel") {
      rs->CancelUpdate();
    } else if (verb == "delete") {
      rs->Delete();
    } else if (verb == "begin") {
      database->BeginTrans();
    } else if (verb == "commit") {
      database->CommitTrans();
    } else if (verb == "rollback") {
      database->Rollback();
    } else if (verb == "execute") {
      std::string sql;
      std::getline(words, sql);
      database->Execute(sql);
    } else if (verb == "close") {
      rs->Close();
      rs.reset();
    } else {
      throw std::runtime_error("unknown command");
    }
  }

  static void Serve(const std::string& path, int in, int out) {
    std::shared_ptr<Database> database;
    int open_error = 0;
    try {
      database = OpenDatabaseAt(path, ShareMode::kShared, false, "", EngineSettings::ForTests());
    } catch (const EOleException& e) {
      open_error = e.ErrorCode();
    }
    std::shared_ptr<Recordset> rs;
    for (;;) {
      const std::string command = ReadLine(in);
      if (command.empty() || command == "quit") return;
      int code = open_error;
      if (code == 0) {
        try {
          Run(command, database, rs);
        } catch (const EOleException& e) {
          code = e.ErrorCode();
        } catch (...) {
          code = 1;  // a command the test got wrong
        }
      }
      Send(out, std::to_string(code));
    }
  }

  void Reap() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ::close(to_child_);
    ::close(from_child_);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
};

}  // namespace qb::jet::test

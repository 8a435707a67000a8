// app/main/main_form: TForm1, the utility's main window: choosing the workgroup and database
// files, logging in, connecting and disconnecting, and the entry to the tool windows. Its
// non-visual components come from its form text; it never talks to the engine directly.
//
// States (judged by DAOEngine1's Active, never by what is shown):
//   waiting        caption "Waiting for connection" at start, "Waiting for Connection" after a
//                  disconnect; Button1 "&Connect", enabled exactly when systemDB names an
//                  existing file; Button2-4 hidden.
//   connected      caption "Connected!"; Button1 "&Disconnect"; Button2 and Button3 shown;
//                  Button4 shown only when the database opened.
//   half connected an error during connect: caption and Button1 unchanged, the buttons of the
//                  steps reached shown (Button3 at least once the engine is active).
// A database that is a genuine file of another program is offered for import (ConnectOrImport).
// Button1Click: engine active -> Disconnect (to waiting); inactive -> Connect (to connected or
// half connected). Button5Click: deactivates the engine and closes the window (the end).
// At start DAOEngine1 is streamed active, so the first press of Button1 only disconnects.
// A tool window's refresh request (the database changed by hand) refreshes the lists of the
// database editor when it is shown.
#pragma once
#include <QWidget>
#include <string>

class QPushButton;

namespace qb {

class TDAODataBase;
class TDAOEngine;
class TDAOWorkspace;
class TFormStorage;
class TNimFileNameEdit;
class TNimLoginDialog;

// Registers the component classes the main window's form text creates. Idempotent.
void RegisterMainFormClasses();

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // Builds the controls, reads the form text (DAOEngine1 becomes active after loading),
  // registers the form, restores the kept settings and centres the window on the desktop.
  // Raises what reading the form text or activating the engine raises.
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Event handlers, as the buttons and the workgroup edit run them (through the default
  // exception display). Each raises what the components raise; the steps done stay done.
  void systemDBChange();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();

  TDAOEngine* DAOEngine1() const { return engine_; }
  TDAOWorkspace* DAOWorkspace1() const { return workspace_; }
  TDAODataBase* DAODataBase1() const { return database_; }
  TNimLoginDialog* dlgLogin() const { return login_; }
  TFormStorage* FormStorage1() const { return storage_; }

 protected:
  // Saves the kept settings (an error is shown, and the window still closes).
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void Connect();
  void Disconnect();
  // Connects the database FILE; when the engine refuses it as a genuine file of another program,
  // offers to import it beside it under a free name, imports it under the progress window and
  // connects the copy (which the database edit then names). A declined offer raises the refusal.
  void ConnectOrImport(const std::string& file);
  template <class T>
  T* Component(const char* name) const;

  // Controls, owned by the window.
  TNimFileNameEdit* system_db_;
  TNimFileNameEdit* db_name_;
  QPushButton* button1_;
  QPushButton* button2_;
  QPushButton* button3_;
  QPushButton* button4_;
  QPushButton* button5_;
  // Components placed by the form text, owned by the window.
  TDAOEngine* engine_ = nullptr;
  TDAOWorkspace* workspace_ = nullptr;
  TDAODataBase* database_ = nullptr;
  TNimLoginDialog* login_ = nullptr;
  TFormStorage* storage_ = nullptr;
};

}  // namespace qb

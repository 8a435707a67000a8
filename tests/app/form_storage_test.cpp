// Tests of the settings storage: where the ini file lives, the round trip of the kept values
// through components and widgets, and that passwords never reach the file.
#include <QLineEdit>
#include <QSettings>
#include <QWidget>
#include <cstdlib>

#include "app/app_test_support.h"
#include "app/login/nim_login_dialog.h"
#include "app/settings/form_storage.h"
#include "app/widgets/nim_file_name_edit.h"
#include "support/test_support.h"

namespace qb::test {
namespace {

// A window with what the main window keeps: a login component and a file-name edit.
struct Window {
  QWidget form;
  TNimLoginDialog* login;
  TNimFileNameEdit* file;
  TFormStorage* storage;

  explicit Window(const std::string& ini) {
    form.setObjectName("TForm1");
    login = new TNimLoginDialog(&form);
    login->setObjectName("dlgLogin");
    file = new TNimFileNameEdit(&form);
    file->setObjectName("systemDB");
    storage = new TFormStorage(&form);
    storage->setObjectName("FormStorage1");
    storage->SetIniFileName(ini);
    storage->SetStoredProps({"dlgLogin.Username", "systemDB.FileName", "dlgLogin.Password"});
  }
};

using FormStorageTest = AppTest;

TEST_F(FormStorageTest, DefaultPathFollowsTheConfigFolderAndTheProgramName) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string restore = saved != nullptr ? saved : "";
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(DefaultIniFilePath("quillbase"), "/tmp/cfg/quillbase/QUILLBASE.INI");
  setenv("XDG_CONFIG_HOME", "relative/ignored", 1);  // not absolute: the default applies
  const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  EXPECT_EQ(DefaultIniFilePath("quillbase"), home + "/.config/quillbase/QUILLBASE.INI");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultIniFilePath("Quill-Base"), home + "/.config/quillbase/QUILL-BASE.INI");
  if (saved != nullptr) setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
}

TEST_F(FormStorageTest, RoundTripKeepsNameAndFileButNeverThePassword) {
  TempDir dir;
  const std::string ini = dir.File("sub/folder/APP.INI");  // the folder is created on save
  {
    Window window(ini);
    window.login->SetUsername("Mary Ann");
    window.login->SetPassword("s3cret");
    window.file->SetFileName("/data/work, group/ünïcode.mdw");
    window.storage->SaveProperties();
  }
  const std::string bytes = ReadFileBytes(ini);
  EXPECT_EQ(bytes.find("s3cret"), std::string::npos) << bytes;
  EXPECT_EQ(bytes.find("Password"), std::string::npos) << bytes;

  Window again(ini);
  int changes = 0;
  again.file->OnChange = [&] { ++changes; };
  again.storage->RestoreProperties();
  EXPECT_EQ(again.login->Username(), "Mary Ann");
  EXPECT_EQ(again.login->Password(), "");
  EXPECT_EQ(again.file->FileName(), "/data/work, group/ünïcode.mdw");
  EXPECT_EQ(changes, 1) << "restoring a file name runs its change handler";
}

TEST_F(FormStorageTest, MissingFileKeysAndObjectsRestoreNothing) {
  TempDir dir;
  Window window(dir.File("none.ini"));
  window.login->SetUsername("Admin");
  window.storage->RestoreProperties();
  EXPECT_EQ(window.login->Username(), "Admin");

  // A file written for another list: unknown objects and missing keys are skipped.
  {
    QSettings settings(QString::fromStdString(dir.File("other.ini")), QSettings::IniFormat);
    settings.setValue("TForm1/nothere.FileName", "x");
    settings.setValue("TForm1/dlgLogin.Password", "planted");
  }
  window.storage->SetIniFileName(dir.File("other.ini"));
  window.storage->SetStoredProps({"nothere.FileName", "dlgLogin.Password", "dlgLogin.Username", "broken"});
  window.storage->RestoreProperties();
  EXPECT_EQ(window.login->Username(), "Admin");
  EXPECT_EQ(window.login->Password(), "") << "a password in the file is never read";
}

// The demo script writes the file by hand, quoting the paths.
TEST_F(FormStorageTest, HandWrittenFileWithQuotedPathsIsRead) {
  TempDir dir;
  WriteFileBytes(dir.File("QB.INI"),
                 "[TForm1]\n"
                 "dlgLogin.Username=Admin\n"
                 "systemDB.FileName=\"/home/a b/demo, 1/demo.mdw\"\n");
  Window window(dir.File("QB.INI"));
  window.storage->RestoreProperties();
  EXPECT_EQ(window.login->Username(), "Admin");
  EXPECT_EQ(window.file->FileName(), "/home/a b/demo, 1/demo.mdw");
}

TEST_F(FormStorageTest, UnwritableFileIsReported) {
  TempDir dir;
  WriteFileBytes(dir.File("blocker"), "a file where a folder should be");
  Window window(dir.File("blocker/APP.INI"));
  EXPECT_THROW(window.storage->SaveProperties(), Exception);
}

}  // namespace
}  // namespace qb::test

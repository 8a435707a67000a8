// jet/dao/user: the User object. Made by Workspace::CreateUser it is a detached description (name,
// PID, password) waiting to be appended; taken from a Users collection it stands for an account of
// the workgroup. Never keeps its workspace open by itself beyond the shared session.
#pragma once
#include <memory>
#include <string>

namespace qb::jet {

class AccountSession;
class Groups;
class Properties;

class User : public std::enable_shared_from_this<User> {
 public:
  // A detached user (see Workspace::CreateUser).
  User(std::shared_ptr<AccountSession> session, std::string name, std::string pid, std::string password);
  ~User();
  User(const User&) = delete;
  User& operator=(const User&) = delete;

  const std::string& Name() const { return name_; }
  // Setters for a detached user; raise kSetAfterAppend once it stands for an account.
  void SetName(std::string name);
  void SetPID(std::string pid);
  void SetPassword(std::string password);

  // Stands for an account of the workgroup (taken from or appended to a Users collection)?
  bool IsAppended() const { return appended_; }

  // The groups this user belongs to: Append(group) makes the user a member, Delete(name) takes
  // them out. Raises kInvalidOperation for a detached user.
  std::shared_ptr<jet::Groups> Groups();

  // Changes this user's password (rules in WorkgroupStore::ChangePassword): kBadPassword when
  // OLD_PASSWORD is wrong or NEW_PASSWORD too long, kNoPermission for another user's password,
  // kInvalidOperation for a detached user, kObjectClosed after the workspace closed.
  void NewPassword(const std::string& old_password, const std::string& new_password);

  // Name (Text, read-only once appended).
  std::shared_ptr<jet::Properties> Properties();

 private:
  friend class Users;
  // The account NAME of the session's workgroup.
  static std::shared_ptr<User> Attached(std::shared_ptr<AccountSession> session, std::string name);
  void MarkAppended();
  void RequireAppended(const char* what) const;
  void RequireDetached() const;
  const std::string& Pid() const { return pid_; }
  const std::string& Password() const { return password_; }

  std::shared_ptr<AccountSession> session_;  // constant after construction
  std::string name_;
  std::string pid_;       // detached only; wiped on append
  std::string password_;  // detached only; wiped on append and destruction
  bool appended_ = false;
};

}  // namespace qb::jet

// jet/dao/group: the Group object. Made by Workspace::CreateGroup it is a detached description (name,
// PID) waiting to be appended; taken from a Groups collection it stands for a group of the
// workgroup.
#pragma once
#include <memory>
#include <string>

namespace qb::jet {

class AccountSession;
class Properties;
class Users;

class Group : public std::enable_shared_from_this<Group> {
 public:
  // A detached group (see Workspace::CreateGroup).
  Group(std::shared_ptr<AccountSession> session, std::string name, std::string pid);

  const std::string& Name() const { return name_; }
  // Setters for a detached group; raise kSetAfterAppend once it stands for a group.
  void SetName(std::string name);
  void SetPID(std::string pid);

  bool IsAppended() const { return appended_; }

  // The members: Append(user) makes the user of that name a member (a User made with
  // Workspace::CreateUser and an existing user's name will do), Delete(name) takes one out.
  // Raises kInvalidOperation for a detached group.
  std::shared_ptr<jet::Users> Users();

  // Name (Text, read-only once appended).
  std::shared_ptr<jet::Properties> Properties();

 private:
  friend class Groups;
  static std::shared_ptr<Group> Attached(std::shared_ptr<AccountSession> session, std::string name);
  void MarkAppended();
  const std::string& Pid() const { return pid_; }

  std::shared_ptr<AccountSession> session_;  // constant after construction
  std::string name_;
  std::string pid_;  // detached only
  bool appended_ = false;
};

}  // namespace qb::jet

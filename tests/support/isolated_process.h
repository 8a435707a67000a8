// Runs part of a test in a forked child set apart from the test process: as another user, or
// in a private mount namespace where a folder is read-only or a small disk. Failures the child
// records (gtest EXPECT_*) make the parent's test fail too. Where the system does not allow
// the set-up (not root, no user namespaces), the helper returns why, for a GTEST_SKIP.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace qb::test {

// Runs BODY in a forked child whose user and group ids are ID. Then, while the child waits,
// MEANWHILE runs in the test process; then AFTER runs in the child and the child ends. Returns
// empty once the child ran, or why it could not (switching users needs root).
std::string RunAsUser(unsigned id, const std::function<void()>& body, const std::function<void()>& meanwhile = {},
                      const std::function<void()>& after = {});

// Runs BODY in a forked child in a private mount namespace (in a user namespace of its own when
// the test is not root) where FOLDER, an existing folder, is remounted read-only. Returns empty
// once the child ran, or why the mount could not be made.
std::string RunWithReadOnlyFolder(const std::string& folder, const std::function<void()>& body);

// As RunWithReadOnlyFolder, with a new tmpfs of BYTES bytes mounted at FOLDER instead.
std::string RunWithSmallDisk(const std::string& folder, std::size_t bytes, const std::function<void()>& body);

// Fills the file system holding FOLDER: writes a file there until the disk is full.
void FillDisk(const std::string& folder);

}  // namespace qb::test

#pragma once

#include <string>

namespace vellicor {

// Whether `dir` is a directory of this user's that no one else can read or
// write: anyone may make a name under /tmp first, and a folder named by the
// environment may be anyone's. A symbolic link is not followed.
bool isPrivateDirectory(const std::string& dir);

// Why the file at `path` is not a socket of this user's own: empty when it is,
// else "it is not there", "it is not a socket" or "it belongs to user N".
std::string whyNotUsersSocket(const std::string& path);

// Why the socket at `path` is not one this user can trust: empty when it is a
// socket of the user's own in a private directory of theirs, else the reason
// ("it is not a socket", "it belongs to user 1001", ...). Another user's
// socket there, or one in a folder others can write to, could be a server that
// listens in order to be talked to.
std::string whyNotPrivateSocket(const std::string& path);

}  // namespace vellicor

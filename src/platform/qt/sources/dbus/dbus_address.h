#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellicor::qt {

// A local D-Bus server's socket: a file path, or a name in the abstract
// namespace.
struct UnixSocketAddress {
  bool abstract = false;
  std::string path;  // unescaped
};

// The socket a D-Bus address names, when it names only local sockets as a
// running server reports them: every entry `unix:path=` or `unix:abstract=`
// (with at most a `guid`), the first one returned. None for anything else:
// an address from the environment or a file may not make libdbus run a
// program (`unixexec:`, `autolaunch:`), reach another machine (`tcp:`) or
// listen (`unix:dir=`, `unix:tmpdir=`).
std::optional<UnixSocketAddress> localSocketAddress(std::string_view address);

// A value as an address must spell it: every byte outside [-0-9A-Za-z_/.\*]
// escaped as %XX, so that a path with ',', ';', '=' or '%' in it names
// exactly that path.
std::string escapedAddressValue(std::string_view value);

// The address of a socket file: unix:path= and the escaped path.
std::string socketPathAddress(std::string_view path);

}  // namespace vellicor::qt

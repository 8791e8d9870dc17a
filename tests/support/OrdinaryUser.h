#pragma once

#include <filesystem>
#include <functional>

// Runs what as an ordinary user (nobody) and returns its result, a small signed number.
// Permissions do not bind root, and CI runs as root: there, what runs in a child process
// that has dropped to user nobody; otherwise it simply runs. 100 when the child could not
// drop its rights or did not end normally.
int RunAsOrdinaryUser(const std::function<int()>& what);

// Whether what RunAsOrdinaryUser runs can look up path: a temporary folder under one that
// user nobody may not enter (such as root's home) is out of its reach.
bool OrdinaryUserCanReach(const std::filesystem::path& path);

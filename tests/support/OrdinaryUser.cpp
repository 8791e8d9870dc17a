#include "support/OrdinaryUser.h"

#include <cerrno>
#include <cstdint>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

int RunAsOrdinaryUser(const std::function<int()>& what)
{
    if (::geteuid() != 0)
        return what();
    const pid_t child = ::fork();
    if (child == 0)
    {
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(100);
        ::_exit(what() & 0xff);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(status) ? static_cast<int8_t>(WEXITSTATUS(status)) : 100;
}

bool OrdinaryUserCanReach(const std::filesystem::path& path)
{
    return RunAsOrdinaryUser([&] { return ::access(path.c_str(), F_OK); }) == 0;
}

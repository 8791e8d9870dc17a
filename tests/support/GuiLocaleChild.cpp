#include "support/GuiLocaleChild.h"

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/Watchdog.h"

extern char** environ;

namespace {

constexpr char kChildMark[] = "Q310_LOCALE_CHILD";

// Runs the running test in the child; its exit status, -1 when it did not exit.
int RunInChild(const char* lang, const char* language)
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
    {
        const std::string entry = *e;
        if (entry.rfind("LC_", 0) != 0 && entry.rfind("LANG=", 0) != 0 &&
            entry.rfind("LANGUAGE=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back(std::string("LANG=") + lang);
    if (language)
        env.push_back(std::string("LANGUAGE=") + language);
    env.push_back(std::string(kChildMark) + "=1");
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0)
    {
        char* argv[] = {const_cast<char*>("app_tests"), const_cast<char*>(filter.c_str()), nullptr};
        ::execve("/proc/self/exe", argv, envp.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool InChildStartedIn(const char* lang, const char* language)
{
    if (!std::getenv(kChildMark))
    {
        Watchdog watchdog{std::chrono::seconds(90), "test run in a child started in a locale"};
        EXPECT_EQ(RunInChild(lang, language), 0) << "the child run in " << lang << " failed (its output is above)";
        return false;
    }
    const char* taken = std::setlocale(LC_CTYPE, nullptr);
    if (taken && std::string(taken) == lang)
        return true;
    ADD_FAILURE() << "the start-up took the locale " << (taken ? taken : "(none)") << ", not " << lang
                  << "; is it installed? (locale -a)";
    return false;
}

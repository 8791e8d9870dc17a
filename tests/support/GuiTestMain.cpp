// The main of the GUI test programs: starts a private X server when none is given,
// initialises wx once for the process, runs the tests and cleans up.
//
// Listing the tests (--gtest_list_tests, which CTest's discovery runs) needs no display.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

namespace {

// A private Xvfb on a display number it picks itself (-displayfd), so that many test
// programs can run at once.
class XvfbServer
{
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { Stop(); }

    // Starts the server and returns its display name ("" on failure).
    std::string Start()
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return {};
        m_pid = fork();
        if (m_pid == 0)
        {
            // The server must not outlive a test program that crashes.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(fds[1], 3);  // dup2 clears close-on-exec on the copy
            const int devnull = open("/dev/null", O_RDWR);
            dup2(devnull, 1);
            dup2(devnull, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten",
                   "tcp", "-nocursor", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        if (m_pid > 0)
        {
            // The server writes its display number and a newline once it accepts clients.
            pollfd p{fds[0], POLLIN, 0};
            char c = 0;
            while (poll(&p, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
                number += c;
        }
        close(fds[0]);
        return number.empty() ? std::string() : ":" + number;
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR)
        {
        }
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
};

class GuiTestApp : public wxApp
{
public:
    // The test runner owns the command line; wx must not parse gtest's options.
    bool OnInit() override { return true; }
};

// wx assertions (including unmet wxTEST_DIALOG expectations) fail the running test.
void AssertToGtest(const wxString& file, int line, const wxString& func, const wxString& cond,
                   const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assertion in " << func.utf8_str().data() << ": " << cond.utf8_str().data() << " "
        << msg.utf8_str().data();
}

bool ListingOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        if (std::string(argv[i]) == "--gtest_list_tests")
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (ListingOnly(argc, argv))
        return RUN_ALL_TESTS();

    XvfbServer xvfb;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        const std::string started = xvfb.Start();
        if (started.empty())
        {
            std::fprintf(stderr, "could not start Xvfb\n");
            return 1;
        }
        setenv("DISPLAY", started.c_str(), 1);
    }
    setenv("GDK_BACKEND", "x11", 1);
    setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus to wait for

    wxApp::SetInstance(new GuiTestApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv) || !wxTheApp->CallOnInit())
    {
        std::fprintf(stderr, "could not initialise wx\n");
        return 1;
    }
    wxSetAssertHandler(AssertToGtest);
    wxLog::SetActiveTarget(new wxLogStderr);

    const int result = RUN_ALL_TESTS();

    wxTheApp->OnExit();
    wxEntryCleanup();
    xvfb.Stop();
    return result;
}

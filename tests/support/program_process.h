// The real program started as a child process, for tests that run it as a
// user or a script would: arguments and environment of the test's choice,
// standard output and error captured, signals sent, the exit code taken.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

class ProgramProcess
{
  public:
    // Starts program with arguments; the environment is the test's own with
    // the changes in set applied (an empty value removes the variable).
    ProgramProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& set = {});
    // Kills the process if it still runs.
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool started() const { return m_pid > 0; }
    // Reads standard error until a line containing text has come (true) or
    // timeoutMs has passed or the process has ended (false).
    bool WaitForError(const std::string& text, int timeoutMs);
    void Signal(int signal);
    // Waits at most timeoutMs for the end and reads the rest of the output.
    // The exit code, 128 + the signal for a process a signal ended, or -1
    // when it did not end in time (it is then killed).
    int Wait(int timeoutMs);

    const std::string& out() const { return m_out; }
    const std::string& err() const { return m_err; }

  private:
    // Reads what the pipes hold, waiting at most timeoutMs for something.
    void Pump(int timeoutMs);

    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    std::string m_out;
    std::string m_err;
    int m_exit = -1;
};

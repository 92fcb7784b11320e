// Child process with captured output for the program's end-to-end tests.
#include "support/program_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ProgramProcess::ProgramProcess(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& set)
{
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        const char* equals = std::strchr(*e, '=');
        if (equals)
            env[std::string(*e, static_cast<size_t>(equals - *e))] = equals + 1;
    }
    for (const auto& [name, value] : set) {
        if (value.empty())
            env.erase(name);
        else
            env[name] = value;
    }
    std::vector<std::string> envText;
    for (const auto& [name, value] : env)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    m_outFd = out[0];
    m_errFd = err[0];
    fcntl(m_outFd, F_SETFL, O_NONBLOCK);
    fcntl(m_errFd, F_SETFL, O_NONBLOCK);
}

ProgramProcess::~ProgramProcess()
{
    if (m_pid > 0 && m_exit < 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_outFd >= 0)
        close(m_outFd);
    if (m_errFd >= 0)
        close(m_errFd);
}

void ProgramProcess::Pump(int timeoutMs)
{
    pollfd p[2] = {{m_outFd, POLLIN, 0}, {m_errFd, POLLIN, 0}};
    if (poll(p, 2, timeoutMs) <= 0)
        return;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
        for (;;) {
            const ssize_t n = read(p[i].fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            (i == 0 ? m_out : m_err).append(buffer, static_cast<size_t>(n));
        }
    }
}

bool ProgramProcess::WaitForError(const std::string& text, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_err.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline || m_pid <= 0)
            return false;
        int status = 0;
        if (m_exit < 0 && waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            Pump(0);
            return m_err.find(text) != std::string::npos;
        }
        Pump(20);
    }
    return true;
}

void ProgramProcess::Signal(int signal)
{
    if (m_pid > 0 && m_exit < 0)
        kill(m_pid, signal);
}

int ProgramProcess::Wait(int timeoutMs)
{
    if (m_pid <= 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_exit < 0) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1; // reaped: never signalled again
            Pump(0);
            return -1;
        }
        Pump(20);
    }
    // Whatever is left in the pipes.
    for (int i = 0; i < 5; ++i)
        Pump(10);
    return m_exit;
}

#include "tests/support/OutsidePrograms.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Points the child's standard streams at /dev/null and the pipe.
bool PlanStreams(posix_spawn_file_actions_t& actions, int out, ErrorOutput errors)
{
    bool planned = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
                   posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO) == 0;
    if (errors == ErrorOutput::Kept)
        planned = planned && posix_spawn_file_actions_adddup2(&actions, out, STDERR_FILENO) == 0;
    if (errors == ErrorOutput::Discarded)
        planned = planned &&
                  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0) == 0;
    return planned;
}

pid_t Spawn(const std::vector<std::string>& argv, int out, ErrorOutput errors)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    pid_t child = -1;
    if (!PlanStreams(actions, out, errors) ||
        posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            text.append(buffer, size_t(n));
        else if (errno != EINTR)
            break;
    }
    return text;
}

}  // namespace

CommandResult RunProgram(const std::vector<std::string>& argv, ErrorOutput errors)
{
    CommandResult result;
    int pipeEnds[2];
    if (argv.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0)
        return result;
    pid_t child = Spawn(argv, pipeEnds[1], errors);
    close(pipeEnds[1]);
    result.output = ReadAll(pipeEnds[0]);
    close(pipeEnds[0]);
    int status = 0;
    pid_t waited = -1;
    while (child > 0 && (waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    if (child > 0 && waited == child && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}

std::string ShellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

#include "e2e/ProcessRunner.h"

#include "support/TempDir.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace cadro::testing {

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment) {
    // Output goes to files, so a grandchild left running cannot hold the run
    // open; a hung child is ended by timeout and exits 124.
    TempDir dir;
    std::vector<std::string> words = {"timeout", "30", "env", "-i", "PATH=/usr/bin:/bin"};
    if (const char* home = std::getenv("HOME"))
        words.push_back(std::string("HOME=") + home);
    for (const auto& [key, value] : environment)
        words.push_back(key + "=" + value);
    words.insert(words.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (auto& word : words)
        args.push_back(word.data());
    args.push_back(nullptr);

    const std::string out = (dir / "out").string(), err = (dir / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), readFile(dir / "out"),
            readFile(dir / "err")};
}

}  // namespace cadro::testing

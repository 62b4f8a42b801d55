// Preloaded into the tray app by the attack scripts to reach moments no
// command can: while a flag file exists, the next replacement of
// threads.json is slowed down ("slow": 7 s before it) or the process is
// killed right after it ("die"), before it can answer. The flag is used once.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Reads and removes the flag; a slow save waits here, before the rename.
char armed(const char* target) {
    const char* flag = std::getenv("CADRO_SAVE_SHIM_FLAG");
    if (!flag || !std::strstr(target, "threads.json") || std::strstr(target, "threads.json."))
        return 0;
    std::FILE* file = std::fopen(flag, "r");
    if (!file)
        return 0;
    char what = static_cast<char>(std::fgetc(file));
    std::fclose(file);
    unlink(flag);
    if (what == 's')
        sleep(7);
    return what;
}

int finish(char what, int result) {
    if (what == 'd' && result == 0)
        kill(getpid(), SIGKILL);
    return result;
}

}  // namespace

extern "C" int rename(const char* from, const char* to) {
    auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    char what = armed(to);
    return finish(what, real(from, to));
}

extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    auto real = reinterpret_cast<int (*)(int, const char*, int, const char*, unsigned)>(
        dlsym(RTLD_NEXT, "renameat2"));
    char what = armed(to);
    return finish(what, real(fromDir, from, toDir, to, flags));
}

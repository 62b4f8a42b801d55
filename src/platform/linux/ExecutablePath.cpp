#include "platform/linux/ExecutablePath.h"

#include <elf.h>
#include <link.h>

#include <cstdio>
#include <string_view>

namespace cadro {

std::filesystem::path executablePath() {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

std::string executableBuildId() {
    std::string id;
    // The first object listed is the program itself.
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            auto& found = *static_cast<std::string*>(data);
            for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type != PT_NOTE)
                    continue;
                const char* at = reinterpret_cast<const char*>(info->dlpi_addr + segment.p_vaddr);
                const char* end = at + segment.p_memsz;
                while (at + sizeof(ElfW(Nhdr)) <= end) {
                    const auto* note = reinterpret_cast<const ElfW(Nhdr)*>(at);
                    const char* name = at + sizeof(ElfW(Nhdr));
                    const char* desc = name + ((note->n_namesz + 3) & ~3u);
                    if (desc + note->n_descsz > end)
                        break;
                    if (note->n_type == NT_GNU_BUILD_ID && note->n_namesz == 4 &&
                        std::string_view(name, 3) == "GNU") {
                        char hex[3];
                        for (ElfW(Word) b = 0; b < note->n_descsz; ++b) {
                            std::snprintf(hex, sizeof hex, "%02x",
                                          static_cast<unsigned char>(desc[b]));
                            found += hex;
                        }
                        return 1;
                    }
                    at = desc + ((note->n_descsz + 3) & ~3u);
                }
            }
            return 1;
        },
        &id);
    return id;
}

}  // namespace cadro

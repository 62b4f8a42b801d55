#include "core/store/ThreadStore.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "status";
    if (command == "--version") {
        std::cout << "cadro " << CADRO_VERSION << "\n";
        return 0;
    }
    cadro::ThreadStore store;
    if (command == "next")
        store.next();
    if (const cadro::Strand* current = store.current())
        std::cout << current->title << "\n";
    return 0;
}

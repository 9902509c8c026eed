// Prints, for each manifest file named on the command line, the client's verdict on it: "none"
// when the client reads it as a valid manifest (its signature aside), else the reason it refuses.
#include "download/UpdateManifest.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::printf("unreadable\n");
            continue;
        }
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        velm::UpdateManifest manifest;
        std::printf("%s\n", velm::ManifestErrorName(velm::UpdateManifest::Parse(bytes, manifest)));
    }
    return 0;
}

// Writes the messages of the hostile server's behaviours, one file each, into the folder
// given: the seed corpus of the entry decoding's fuzz target (tests/fuzz/ldap_entry).
#include "HostileAnswers.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (const auto& [name, bytes] : hostile::sampleMessages()) {
        std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary);
        out << bytes;
        if (!out) {
            std::fprintf(stderr, "%s/%s: cannot be written\n", argv[1], name.c_str());
            return 1;
        }
    }
    return 0;
}

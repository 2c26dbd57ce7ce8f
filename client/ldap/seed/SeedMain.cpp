// ostrel-ldap-seed: writes what a private slapd needs to serve a data folder.
//   ostrel-ldap-seed bare OUT EXTERNAL_ROOT
//   ostrel-ldap-seed write DATA OUT URI EXTERNAL_ROOT PASSWORD_FILE BUILTIN_DUMP [TREE=LDIF...]
#include "SlapdSeed.h"
#include "client/common/TextFile.h"

#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "bare" && argc == 4) {
        std::filesystem::create_directories(argv[2]);
        std::ofstream(std::string(argv[2]) + "/bare.ldif") << slapdseed::bareConfig(argv[3]);
        return 0;
    }
    if (mode == "write" && argc >= 8) {
        slapdseed::Options options;
        options.dataDir = argv[2];
        options.outDir = argv[3];
        options.uri = argv[4];
        options.externalRoot = argv[5];
        options.passwordFile = argv[6];
        std::string dump, why;
        if (!readRegularFile(argv[7], kMaxDataFileBytes, dump, why)) {
            std::cerr << "ostrel-ldap-seed: the subschema dump " << argv[7] << " " << why << "\n";
            return 1;
        }
        options.builtInOids = slapdseed::oidsOfSubschemaDump(dump);
        for (int i = 8; i < argc; ++i)
            options.extraLdif.push_back(argv[i]);
        std::string error;
        if (!slapdseed::write(options, &error)) {
            std::cerr << "ostrel-ldap-seed: " << error << "\n";
            return 1;
        }
        return 0;
    }
    std::cerr << "usage: ostrel-ldap-seed bare OUT EXTERNAL_ROOT\n"
                 "       ostrel-ldap-seed write DATA OUT URI EXTERNAL_ROOT PASSWORD_FILE "
                 "BUILTIN_DUMP [TREE=LDIF...]\n";
    return 2;
}

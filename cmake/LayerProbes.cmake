# The layers the build holds, tried: each probe is one small program built on its own, against
# one library of the program. Those that reach a layer the library may not use must fail to
# build; each has a twin that reaches an allowed layer the same way and must build, so that a
# probe fails for the reason it is there for.
set(probe_dir ${CMAKE_BINARY_DIR}/layer_probes)

# ostrel_layer_probe(name LIBRARY lib {CODE include-line | SOURCE file} [FORBIDDEN])
function(ostrel_layer_probe name)
    cmake_parse_arguments(ARG "FORBIDDEN" "LIBRARY;CODE;SOURCE" "" ${ARGN})
    if(ARG_SOURCE)
        set(source ${CMAKE_SOURCE_DIR}/cmake/probes/${ARG_SOURCE})
    else()
        set(source ${probe_dir}/${name}.cpp)
        file(WRITE ${source} "${ARG_CODE}\nint main() { return 0; }\n")
    endif()
    add_executable(layer_probe_${name} EXCLUDE_FROM_ALL ${source})
    target_link_libraries(layer_probe_${name} PRIVATE ${ARG_LIBRARY})
    add_test(NAME layer_probe_${name}
             COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target layer_probe_${name})
    # Probes build in the build folder one at a time.
    set_tests_properties(layer_probe_${name} PROPERTIES RESOURCE_LOCK layer_probes)
    if(ARG_FORBIDDEN)
        set_tests_properties(layer_probe_${name} PROPERTIES WILL_FAIL TRUE)
    endif()
endfunction()

# The seam: no page, no client, no Qt.
ostrel_layer_probe(directory_reads_itself LIBRARY ostrel_directory
                   CODE "#include \"directory/ListContainer.h\"")
ostrel_layer_probe(directory_reads_no_page FORBIDDEN LIBRARY ostrel_directory
                   CODE "#include \"pages/ClassIconTable.h\"")
ostrel_layer_probe(directory_reads_no_client FORBIDDEN LIBRARY ostrel_directory
                   CODE "#include \"client/common/Names.h\"")
ostrel_layer_probe(directory_reads_no_qt FORBIDDEN LIBRARY ostrel_directory
                   CODE "#include <QString>")

# The pages: the seam, and no client.
ostrel_layer_probe(pages_read_the_seam LIBRARY ostrel_objects
                   CODE "#include \"directory/DirectoryClient.h\"\n#include \"pages/PageFrame.h\"")
ostrel_layer_probe(pages_read_no_client FORBIDDEN LIBRARY ostrel_objects
                   CODE "#include \"client/embedded/EmbeddedDirectory.h\"")

# LDIF: the seam, and no client (the text forms come through the seam) and no Qt; the dialogs
# that pages open read no client either.
ostrel_layer_probe(ldif_reads_the_seam LIBRARY ostrel_ldif
                   CODE "#include \"directory/DirectoryClient.h\"\n#include \"ldif/LdifImport.h\"")
ostrel_layer_probe(ldif_reads_no_client FORBIDDEN LIBRARY ostrel_ldif
                   CODE "#include \"client/common/ValueText.h\"")
ostrel_layer_probe(ldif_reads_no_qt FORBIDDEN LIBRARY ostrel_ldif CODE "#include <QString>")
ostrel_layer_probe(ldif_dialogs_read_no_client FORBIDDEN LIBRARY ostrel_ldif_dialogs
                   CODE "#include \"client/common/ValueText.h\"")

# The Connections dialog and its stores read no client: the program hands it its test.
ostrel_layer_probe(connections_read_themselves LIBRARY ostrel_connections
                   CODE "#include \"connections/ConnectionsDlg.h\"")
ostrel_layer_probe(connections_read_no_client FORBIDDEN LIBRARY ostrel_connections
                   CODE "#include \"client/SavedTrees.h\"")

# Only the LDAP client links libldap: a program of the embedded client alone that calls it
# does not link.
if(TARGET ostrel_client_ldap)
    ostrel_layer_probe(ldap_client_links_libldap LIBRARY ostrel_client_ldap SOURCE CallsLdap.cpp)
endif()
ostrel_layer_probe(embedded_client_links_no_libldap FORBIDDEN LIBRARY ostrel_client_embedded
                   SOURCE CallsLdap.cpp)

# Helpers that keep every library folder's CMakeLists.txt a few lines long.
include(GoogleTest)

# kel_library(KELXXX32 DEF file.def SOURCES ... [IMPORTS KELYYY32 ...] [LINKS ...])
# A Kelgrove DLL: its exports come from the .def file, its folder is its public include directory.
# IMPORTS names other Kelgrove libraries. They are linked through import libraries made from their
# .def files (target KELYYY32_imports), so libraries may import each other in cycles, as the
# system's libraries do. LINKS is for everything else (system and third-party libraries).
function(kel_library name)
    cmake_parse_arguments(K "" "DEF" "SOURCES;LINKS;IMPORTS" ${ARGN})
    add_library(${name} SHARED ${K_SOURCES} ${K_DEF})
    set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name} IMPORT_PREFIX "lib")
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    foreach(lib ${K_IMPORTS})
        list(APPEND K_LINKS ${lib}_imports)
    endforeach()
    target_link_libraries(${name} PUBLIC kelcommon ${K_LINKS})

    set(implib ${CMAKE_BINARY_DIR}/lib/lib${name}_def.a)
    get_filename_component(def ${K_DEF} ABSOLUTE)
    add_custom_command(OUTPUT ${implib}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/lib
        COMMAND ${CMAKE_DLLTOOL} -d ${def} -D ${name}.dll -l ${implib}
        DEPENDS ${def} VERBATIM)
    add_custom_target(${name}_deflib DEPENDS ${implib})
    add_library(${name}_imports INTERFACE)
    target_include_directories(${name}_imports INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name}_imports INTERFACE ${implib})
    add_dependencies(${name}_imports ${name}_deflib)
endfunction()

# kel_test(name SOURCES ... LINKS ... [PROPERTIES ...])
# A GoogleTest program; it carries the application's resources so that libraries can load
# their texts through the test's own instance. Tests are discovered at test time through Wine.
# PROPERTIES are extra ctest properties of its tests (for example RESOURCE_LOCK KELJPEG for
# programs that take the system-wide JPEG mutex, which one test holds for ten seconds).
function(kel_test name)
    cmake_parse_arguments(K "" "" "SOURCES;LINKS;PROPERTIES" ${ARGN})
    add_executable(${name} ${K_SOURCES})
    target_link_libraries(${name} PRIVATE ${K_LINKS} kel_resources kel_testsupport gtest_main gmock)
    if(KEL_RUN_TESTS)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
            PROPERTIES TIMEOUT 120 ENVIRONMENT "KEL_TESTDATA=Z:${KEL_TESTDATA_WIN}" ${K_PROPERTIES})
    endif()
endfunction()

string(REPLACE "/" "\\" KEL_TESTDATA_WIN "${KEL_TESTDATA}")

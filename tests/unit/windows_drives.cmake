# The GPS unit's drives under Wine: checkDeviceDll.dll, the drive queries of
# the core and the device-change reports, checked on the removable test
# drives R:, S: and T: that tools/wine-run.sh gives the Wine prefix. The
# executable runs once.

add_executable(unit_drives_tests unit_drives_windows_test.cpp unit_on_wine_drives_test.cpp)
target_include_directories(unit_drives_tests PRIVATE
    ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/libs/checkdevice)
target_link_libraries(unit_drives_tests PRIVATE vantora_core ${GTEST_TARGETS})
# Beside the program and checkDeviceDll.dll, where the core looks for the
# library as the program does.
set_target_properties(unit_drives_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/program)
add_dependencies(unit_drives_tests checkDeviceDll)

add_test(NAME unit_drives_under_wine COMMAND unit_drives_tests)

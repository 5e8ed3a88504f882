# The GPS unit's drives under Wine: checkDeviceDll.dll, the drive queries of
# the core and the device-change reports, checked on the removable test
# drives R:, S: and T: that tools/wine-run.sh gives the Wine prefix. The
# executable runs once; the library is copied beside it, where the core
# looks for it as the program does.

add_executable(unit_drives_tests unit_drives_windows_test.cpp unit_on_wine_drives_test.cpp)
target_include_directories(unit_drives_tests PRIVATE
    ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/libs/checkdevice)
target_link_libraries(unit_drives_tests PRIVATE vantora_core ${GTEST_TARGETS})
set_target_properties(unit_drives_tests PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

set(CHECK_DEVICE_BESIDE_TESTS ${CMAKE_CURRENT_BINARY_DIR}/checkDeviceDll.dll)
add_custom_command(OUTPUT ${CHECK_DEVICE_BESIDE_TESTS}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:checkDeviceDll>
            ${CHECK_DEVICE_BESIDE_TESTS}
    DEPENDS checkDeviceDll $<TARGET_FILE:checkDeviceDll>
    COMMENT "Copying checkDeviceDll.dll beside the drive tests")
add_custom_target(check_device_beside_unit_drives_tests DEPENDS ${CHECK_DEVICE_BESIDE_TESTS})
add_dependencies(unit_drives_tests check_device_beside_unit_drives_tests)

add_test(NAME unit_drives_under_wine COMMAND unit_drives_tests)
